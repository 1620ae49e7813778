// Numbers in Wavefront OBJ text. A coordinate is read as the float its decimal text denotes,
// rounded once (decimal straight to single precision, never through double), and written back as
// the shortest text that reads as the same float, so a file survives a read and a write bit for
// bit. Relies on the standard library's std::from_chars / std::to_chars.
#pragma once

#include <string>
#include <string_view>

namespace runner::obj {

// Reads a whole token as a finite float: an optional sign, digits with an optional point, an
// optional exponent. A value too small for single precision reads as zero of its sign. False
// with the reason ("not a number", "too large for single precision") otherwise.
bool parseCoordinate(std::string_view token, float& value, std::string& why);

// Reads a whole token as a nonzero index of at most nine digits, with an optional minus sign
// (negative indices count back from the last element read so far).
bool parseIndex(std::string_view token, long& index);

// The shortest text that reads back as the same float ("0.1", "-0", "1e-05").
std::string shortestText(float value);

} // namespace runner::obj
