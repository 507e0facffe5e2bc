#include "common/number_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string_view>

namespace vyn::tools {
namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Reads text as decimal digits alone (from_chars takes no sign, space or base
// prefix for an unsigned number). False for anything else; true with value
// unset when the digits exceed 64 bits.
bool readDigits(std::string_view text, std::optional<std::uint64_t>& value) {
  std::uint64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (stop != end || error == std::errc::invalid_argument) return false;
  value = error == std::errc() ? std::optional<std::uint64_t>(number) : std::nullopt;
  return true;
}

// "[1, 100000]" for help; nothing when the range is only the type's.
std::string rangeText(std::int64_t min, std::uint64_t max) {
  if (min == 0 && max == std::numeric_limits<std::uint64_t>::max()) return {};
  return "[" + std::to_string(min) + ", " + std::to_string(max) + "]";
}

}  // namespace

CLI::Validator wholeNumber(std::int64_t min, std::uint64_t max, const std::string& allowed) {
  return CLI::Validator(
      [min, max, allowed](std::string& text) -> std::string {
        const std::string give = "; give " + allowed;
        const bool negative = !text.empty() && text[0] == '-';
        std::optional<std::uint64_t> magnitude;
        if (!readDigits(std::string_view(text).substr(negative ? 1 : 0), magnitude)) {
          return "'" + text + "' is not a whole number" + give;
        }
        if (negative && magnitude != std::uint64_t{0}) {
          if (min >= 0) return text + " is negative" + give;
          // The magnitude of min, without overflowing for the smallest int64.
          const std::uint64_t lowest = static_cast<std::uint64_t>(-(min + 1)) + 1;
          if (!magnitude || *magnitude > lowest) return text + " is less than " + std::to_string(min) + give;
          text = "-" + std::to_string(*magnitude);
          return {};
        }
        if (!magnitude || *magnitude > max) return text + " is more than " + std::to_string(max) + give;
        if (min > 0 && *magnitude < static_cast<std::uint64_t>(min)) {
          return text + " is less than " + std::to_string(min) + give;
        }
        text = std::to_string(*magnitude);
        return {};
      },
      rangeText(min, max));
}

CLI::Validator nonNegativeNumber(const std::string& allowed) {
  return CLI::Validator(
      [allowed](std::string& text) -> std::string {
        const std::string give = "; give " + allowed;
        // A sign, then what from_chars reads, which starts with a digit or a
        // point: no "inf", "nan" or hexadecimal.
        const std::size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
        const char* end = text.data() + text.size();
        double value = 0;
        const auto [stop, error] = std::from_chars(text.data() + sign, end, value);
        if (text.size() == sign || !(isDigit(text[sign]) || text[sign] == '.') || stop != end ||
            error == std::errc::invalid_argument) {
          return "'" + text + "' is not a number" + give;
        }
        // Out of a double's range either way: strtod tells which (0 for a number too small).
        if (error == std::errc::result_out_of_range) value = std::strtod(text.c_str() + sign, nullptr);
        if (!std::isfinite(value)) return text + " is too large" + give;
        if (text[0] == '-') value = -value;
        if (value < 0) return text + " is negative" + give;
        return {};
      },
      "NONNEGATIVE");
}

std::optional<std::uint64_t> parseByteSize(const std::string& text, std::string& problem) {
  static const struct {
    const char* unit;
    std::uint64_t factor;
  } kUnits[] = {{"", 1},
                {"B", 1},
                {"K", 1ULL << 10},
                {"KIB", 1ULL << 10},
                {"KB", 1000},
                {"M", 1ULL << 20},
                {"MIB", 1ULL << 20},
                {"MB", 1000000},
                {"G", 1ULL << 30},
                {"GIB", 1ULL << 30},
                {"GB", 1000000000}};
  // The digits, then the unit; from_chars reads past every digit even when
  // they exceed 64 bits.
  std::uint64_t number = 0;
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  std::string unit(stop, text.data() + text.size());
  for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto known =
      std::find_if(std::begin(kUnits), std::end(kUnits), [&unit](const auto& entry) { return unit == entry.unit; });
  if (error == std::errc::invalid_argument || known == std::end(kUnits)) {
    problem = "'" + text +
              "' is not a size; give a number of bytes with an optional unit: K, M, G (or KiB, MiB, "
              "GiB) for powers of 1024, KB, MB, GB for powers of 1000, e.g. 34MB or 1GiB";
    return std::nullopt;
  }
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  if (error == std::errc::result_out_of_range || number > kMax / known->factor) {
    problem = "'" + text + "' is more bytes than 64 bits hold; give at most " + std::to_string(kMax) + " bytes";
    return std::nullopt;
  }
  if (number == 0) {
    problem = "'" + text + "' is no size; give 1 byte or more";
    return std::nullopt;
  }
  return number * known->factor;
}

CLI::Validator byteSize() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        std::string problem;
        const std::optional<std::uint64_t> size = parseByteSize(text, problem);
        if (!size) return problem;
        text = std::to_string(*size);
        return {};
      },
      "");
}

}  // namespace vyn::tools
