// The numbers the tools take on their command lines: validators that read the
// text as a person means it (plain decimal, no wrap-around, no overflow) and,
// when they refuse it, say what is wrong and what to give instead:
//   --threshold: -5 is negative; give a percentage of 0 or more
// A refused value is a usage error; CLI11 puts the option's name in front.
// These are what CLI11's own validators do not offer: its number reading takes
// "0x10" as hexadecimal and "010" as octal, its size reading makes K and KB the
// same factor, and its refusals do not say what to give instead.
#ifndef VYN_TOOLS_COMMON_NUMBER_OPTIONS_H_
#define VYN_TOOLS_COMMON_NUMBER_OPTIONS_H_

#include <CLI/CLI.hpp>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace vyn::tools {

// A whole number from min to max in decimal digits, with a '-' in front for a
// negative one; rewritten as plain digits ("007" as "7"), so that no other
// reading (octal, hexadecimal, a negative number wrapped to a huge one) applies.
// allowed completes "give ...", e.g. "a number of graphs from 1 to 100000".
CLI::Validator wholeNumber(std::int64_t min, std::uint64_t max, const std::string& allowed);

// A number of at least 0, with decimals or an exponent ("5", "2.5", "1e1");
// nothing infinite or not a number. allowed completes "give ...".
CLI::Validator nonNegativeNumber(const std::string& allowed);

// A size in bytes: digits and an optional unit, any case. K, M, G and KiB, MiB,
// GiB are powers of 1024, KB, MB, GB powers of 1000, B is bytes. Rewritten as
// the number of bytes; 0 and sizes beyond 64 bits are refused.
CLI::Validator byteSize();

// The size that text names, or nothing with problem saying why ("'4x' is not a
// size ...", "'17179869184G' is more bytes than 64 bits hold ...").
std::optional<std::uint64_t> parseByteSize(const std::string& text, std::string& problem);

// The visibility level of a reader: -128 to 127.
inline CLI::Validator visibilityLevel() { return wholeNumber(-128, 127, "a level from -128 to 127"); }

}  // namespace vyn::tools

#endif  // VYN_TOOLS_COMMON_NUMBER_OPTIONS_H_
