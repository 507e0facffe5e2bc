// Numbers as every output writes them, independent of locale and stream state:
// integers in plain decimal, floating-point values in the shortest decimal
// that reads back as the same value ("0.1", "1e+300", "-2.5").
#ifndef VYN_BASE_NUMBER_TEXT_H_
#define VYN_BASE_NUMBER_TEXT_H_

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vyn::base {

// Room for any integer and for the shortest form of any double
// ("-2.2250738585072014e-308" has 24 characters).
inline constexpr std::size_t kNumberTextRoom = 32;

// Writes value at `at`, which has kNumberTextRoom characters of room; returns
// the end of what was written. Floating-point values must be finite.
inline char* writeNumber(char* at, std::uint64_t value) { return std::to_chars(at, at + kNumberTextRoom, value).ptr; }
inline char* writeNumber(char* at, std::int64_t value) { return std::to_chars(at, at + kNumberTextRoom, value).ptr; }
inline char* writeShortest(char* at, double value) { return std::to_chars(at, at + kNumberTextRoom, value).ptr; }
inline char* writeShortest(char* at, float value) { return std::to_chars(at, at + kNumberTextRoom, value).ptr; }

inline void appendNumber(std::string& out, std::uint64_t value) {
  char digits[kNumberTextRoom];
  out.append(digits, writeNumber(digits, value));
}
inline void appendShortest(std::string& out, double value) {
  char digits[kNumberTextRoom];
  out.append(digits, writeShortest(digits, value));
}

// The same as a string of its own.
template <typename Number>
std::string numberText(Number value) {
  char digits[kNumberTextRoom];
  return {digits, writeNumber(digits, value)};
}
inline std::string shortestText(double value) {
  char digits[kNumberTextRoom];
  return {digits, writeShortest(digits, value)};
}

}  // namespace vyn::base

#endif  // VYN_BASE_NUMBER_TEXT_H_
