#include "base/system_error_text.h"

#include <cctype>
#include <cstring>

namespace vyn::base {

std::string systemErrorText(int error) {
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace vyn::base
