#include "common/number_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace vyn::tools {
namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool allDigits(const std::string& text, std::size_t from) {
  if (from >= text.size()) return false;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (!isDigit(text[i])) return false;
  }
  return true;
}

// The value of text[from, end) in decimal digits; nothing when it exceeds 64 bits.
std::optional<std::uint64_t> decimalValue(const std::string& text, std::size_t from) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (std::size_t i = from; i < text.size(); ++i) {
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    if (value > (kMax - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

// "[1, 100000]" for help; nothing when the range is only the type's.
std::string rangeText(std::int64_t min, std::uint64_t max) {
  if (min == 0 && max == std::numeric_limits<std::uint64_t>::max()) return {};
  return "[" + std::to_string(min) + ", " + std::to_string(max) + "]";
}

// "-5", "12.5", "1e-3": an optional sign, digits with at most one point, and an
// optional exponent; what strtod would also read as "inf", "nan" or hexadecimal
// is left out.
bool isPlainNumber(const std::string& text) {
  std::size_t at = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
  std::size_t digits = 0;
  bool point = false;
  for (; at < text.size() && (isDigit(text[at]) || (text[at] == '.' && !point)); ++at) {
    if (text[at] == '.') {
      point = true;
    } else {
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    if (!allDigits(text, at)) return false;
    at = text.size();
  }
  return at == text.size();
}

}  // namespace

CLI::Validator wholeNumber(std::int64_t min, std::uint64_t max, const std::string& allowed) {
  return CLI::Validator(
      [min, max, allowed](std::string& text) -> std::string {
        const std::string give = "; give " + allowed;
        const bool negative = !text.empty() && text[0] == '-';
        if (!allDigits(text, negative ? 1 : 0)) return "'" + text + "' is not a whole number" + give;
        const std::optional<std::uint64_t> magnitude = decimalValue(text, negative ? 1 : 0);
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
        if (!isPlainNumber(text)) return "'" + text + "' is not a number" + give;
        const double value = std::strtod(text.c_str(), nullptr);
        if (!std::isfinite(value)) return text + " is too large" + give;
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
  std::size_t digits = 0;
  while (digits < text.size() && isDigit(text[digits])) ++digits;
  std::string unit = text.substr(digits);
  for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const auto known =
      std::find_if(std::begin(kUnits), std::end(kUnits), [&unit](const auto& entry) { return unit == entry.unit; });
  if (digits == 0 || known == std::end(kUnits)) {
    problem = "'" + text +
              "' is not a size; give a number of bytes with an optional unit: K, M, G (or KiB, MiB, "
              "GiB) for powers of 1024, KB, MB, GB for powers of 1000, e.g. 34MB or 1GiB";
    return std::nullopt;
  }
  const std::optional<std::uint64_t> number = decimalValue(text.substr(0, digits), 0);
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  if (!number || *number > kMax / known->factor) {
    problem = "'" + text + "' is more bytes than 64 bits hold; give at most " + std::to_string(kMax) + " bytes";
    return std::nullopt;
  }
  if (*number == 0) {
    problem = "'" + text + "' is no size; give 1 byte or more";
    return std::nullopt;
  }
  return *number * known->factor;
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
