// Base64 (RFC 4648, with padding) for the numeric blocks stored inline in document files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace runner {

std::string encodeBase64(const std::uint8_t* data, size_t size);
// False when the text is not valid padded base64 (whitespace is not allowed either).
bool decodeBase64(const std::string& text, std::vector<std::uint8_t>& out);

} // namespace runner
