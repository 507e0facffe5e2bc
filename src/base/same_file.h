// Whether two paths name one file: the same device and inode, whatever the
// spelling (relative, absolute, "./", "..") and whatever hard or symbolic links
// lead there. A report checks it so that it never writes over the log it reads,
// and the tools so that no output replaces an input.
#ifndef VYN_BASE_SAME_FILE_H_
#define VYN_BASE_SAME_FILE_H_

#include <string>

namespace vyn::base {

// True when both paths exist and lead to the same file; false when either does
// not exist or cannot be examined.
bool namesSameFile(const std::string& first, const std::string& second);

}  // namespace vyn::base

#endif  // VYN_BASE_SAME_FILE_H_
