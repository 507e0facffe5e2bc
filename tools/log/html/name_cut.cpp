#include "log/html/name_cut.h"

#include <algorithm>
#include <vector>

#include "base/utf8.h"

namespace vyn::tools {
namespace {

constexpr std::string_view kSeparator = " / ";
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

// The first count characters of text.
std::string_view firstCharacters(std::string_view text, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (!base::startsCharacter(text[at])) continue;
    if (seen == count) return text.substr(0, at);
    ++seen;
  }
  return text;
}

// The length of the path when every name longer than cap is cut to it.
std::size_t cappedLength(const std::vector<std::size_t>& lengths, std::size_t cap) {
  std::size_t total = kSeparator.size() * (lengths.size() - 1);
  for (const std::size_t length : lengths) total += std::min(length, cap);
  return total;
}

}  // namespace

std::string shortenedPath(std::string_view path, std::size_t budget) {
  std::vector<std::string_view> names;
  for (std::size_t from = 0;;) {
    const std::size_t at = path.find(kSeparator, from);
    names.push_back(path.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) break;
    from = at + kSeparator.size();
  }
  std::vector<std::size_t> lengths;
  for (const std::string_view name : names) lengths.push_back(base::characterCount(name));
  const std::size_t longest = *std::max_element(lengths.begin(), lengths.end());
  if (longest <= kShortestCutName || cappedLength(lengths, longest) <= budget) return std::string(path);
  // The largest cap from kShortestCutName up that fits the budget.
  std::size_t low = kShortestCutName;  // fits, or is the floor
  std::size_t high = longest;          // does not fit
  while (high - low > 1) {
    const std::size_t middle = low + (high - low) / 2;
    (cappedLength(lengths, middle) <= budget ? low : high) = middle;
  }
  std::string shortened;
  for (std::size_t at = 0; at < names.size(); ++at) {
    if (at != 0) shortened += kSeparator;
    if (lengths[at] <= low) {
      shortened += names[at];
    } else {
      shortened += firstCharacters(names[at], low - 1);
      shortened += kEllipsis;
    }
  }
  return shortened;
}

}  // namespace vyn::tools
