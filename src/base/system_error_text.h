// An error number in words for messages: "no such file or directory".
#ifndef VYN_BASE_SYSTEM_ERROR_TEXT_H_
#define VYN_BASE_SYSTEM_ERROR_TEXT_H_

#include <string>

namespace vyn::base {

// The system's text for error, starting in lower case so that it reads on
// after a colon.
std::string systemErrorText(int error);

}  // namespace vyn::base

#endif  // VYN_BASE_SYSTEM_ERROR_TEXT_H_
