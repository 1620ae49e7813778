// Base64 (RFC 4648, with padding) for the numeric blocks stored inline in document files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace runner {

// Appends the base64 text of the bytes.
void appendBase64(std::string& out, const std::uint8_t* data, std::size_t size);
std::string encodeBase64(const std::uint8_t* data, std::size_t size);
// The number of bytes a padded base64 text holds; false when its length or padding is wrong.
bool base64Size(const std::string& text, std::size_t& size);
// Decodes into out (base64Size bytes; null: only checks); false when the text is not valid
// padded base64 (whitespace is not allowed either).
bool decodeBase64(const std::string& text, std::uint8_t* out);
// Decodes into a new array (emptied on failure).
bool decodeBase64(const std::string& text, std::vector<std::uint8_t>& out);

} // namespace runner
