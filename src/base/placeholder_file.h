// An empty file that holds a name while the content meant for that name is
// written elsewhere: code that picks names for new files by skipping existing
// ones (a reader's data files) then leaves it alone. If the content never
// comes, the placeholder goes again, also on SIGINT, SIGTERM or SIGHUP.
#ifndef VYN_BASE_PLACEHOLDER_FILE_H_
#define VYN_BASE_PLACEHOLDER_FILE_H_

#include <sys/types.h>

#include <string>

namespace vyn::base {

class PlaceholderFile {
 public:
  PlaceholderFile() = default;
  // Removes the placeholder unless it was released.
  ~PlaceholderFile() { remove(); }
  PlaceholderFile(const PlaceholderFile&) = delete;
  PlaceholderFile& operator=(const PlaceholderFile&) = delete;

  // Creates an empty file at path, which must not exist yet (a symbolic link
  // there is not followed); false with errno set when it cannot be created.
  bool create(const std::string& path);
  // The file at the path is no longer ours to remove (the content took its place).
  void release();
  // Removes the placeholder if it is still the empty file created here.
  void remove();

 private:
  std::string path_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  int signalSlot_ = -1;
};

}  // namespace vyn::base

#endif  // VYN_BASE_PLACEHOLDER_FILE_H_
