#include "format/log_json_names.h"

#include <cctype>

#include "format/record_format.h"

namespace vyn::tools {
namespace {

namespace fb = ::vyn::profiling::fb;

// Looks a value up in one of the generated enumeration tables.
template <typename Enum, std::size_t N>
std::string nameIn(const Enum (&values)[N], const char* const* names, std::int64_t value) {
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::int64_t>(values[i]) == value) {
      return names[static_cast<std::size_t>(values[i]) - static_cast<std::size_t>(values[0])];
    }
  }
  return {};
}

template <typename Enum, std::size_t N>
std::optional<std::int64_t> valueIn(const Enum (&values)[N], const char* const* names, const std::string& name) {
  for (std::size_t i = 0; i < N; ++i) {
    const auto index = static_cast<std::size_t>(values[i]) - static_cast<std::size_t>(values[0]);
    if (name == names[index]) return static_cast<std::int64_t>(values[i]);
  }
  return std::nullopt;
}

}  // namespace

std::string methodTypeName(std::int64_t value) {
  return nameIn(fb::EnumValuesMethodType(), fb::EnumNamesMethodType(), value);
}

std::string eventUnitEnumName(std::int64_t value) {
  return nameIn(fb::EnumValuesEventUnit(), fb::EnumNamesEventUnit(), value);
}

std::string valueKindName(std::int64_t value) {
  return nameIn(fb::EnumValuesEventValueKind(), fb::EnumNamesEventValueKind(), value);
}

std::optional<std::int64_t> methodTypeByName(const std::string& name) {
  return valueIn(fb::EnumValuesMethodType(), fb::EnumNamesMethodType(), name);
}

std::optional<std::int64_t> eventUnitByName(const std::string& name) {
  return valueIn(fb::EnumValuesEventUnit(), fb::EnumNamesEventUnit(), name);
}

std::optional<std::int64_t> valueKindByName(const std::string& name) {
  return valueIn(fb::EnumValuesEventValueKind(), fb::EnumNamesEventValueKind(), name);
}

std::string jsonKeyOf(const char* member) {
  std::string key;
  for (; *member != '\0'; ++member) {
    const auto c = static_cast<unsigned char>(*member);
    if (std::isupper(c)) key += '_';
    key += static_cast<char>(std::tolower(c));
  }
  return key;
}

}  // namespace vyn::tools
