// JSON read into a tree for the formats that edit a file's JSON (glTF, VRM), with the rules every
// JSON reader of the runner keeps: nesting at most kJsonNestingLimit levels (far below what the
// stack takes, far above any real file), no key twice in one object, and syntax faults told as
// "<file>:<line>:<column>: <what was expected>" rather than in the parser's words. Key order is
// kept. Relies on nlohmann-json.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

namespace runner {

using JsonTree = nlohmann::ordered_json;

// The deepest nesting of arrays and objects any JSON reader of the runner takes.
constexpr std::size_t kJsonNestingLimit = 64;

// Throws FileError naming the file, and the JSON path or line and column of the fault.
JsonTree parseJsonTree(const std::string& text, const std::string& file);

// The line and column (from 1) of a byte of the text, for messages.
std::string lineAndColumn(const std::string& text, std::size_t byte);

// A parser message without the library's prefix ("[json.exception.parse_error.101] parse error
// at line 1, column 2: "), so that only what was wrong and what was expected remain.
std::string parserProblem(const std::string& message);

} // namespace runner
