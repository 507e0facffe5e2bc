// Base64 (RFC 4648, standard alphabet, '=' padding) for byte values in JSON.
#ifndef VYN_FORMAT_LOG_JSON_BASE64_H_
#define VYN_FORMAT_LOG_JSON_BASE64_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyn::tools {

std::string base64Encode(const std::uint8_t* bytes, std::size_t size);
inline std::string base64Encode(const std::vector<std::uint8_t>& bytes) {
  return base64Encode(bytes.data(), bytes.size());
}

// The decoded bytes, or nothing when text is not canonical padded base64 (a
// length that is not a multiple of four, a character outside the alphabet,
// padding anywhere but at the end, or non-zero bits in the padded group).
std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text);

}  // namespace vyn::tools

#endif  // VYN_FORMAT_LOG_JSON_BASE64_H_
