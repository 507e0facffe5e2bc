// A file written whole or not at all: the new content goes to a temporary file
// in the target's directory, which takes the target's place, by a rename, only
// when it is complete. Until then an existing target stays as it was, and a
// failure or an interruption leaves no temporary file behind.
#ifndef VYN_BASE_REPLACEMENT_FILE_H_
#define VYN_BASE_REPLACEMENT_FILE_H_

#include <string>

namespace vyn::base {

class ReplacementFile {
 public:
  ReplacementFile() = default;
  // Abandons the temporary file unless it was committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the temporary file beside target; a symbolic link at target is
  // followed, so that the file it names is replaced and the link kept. An
  // existing target is replaced only when the user may write to it in place
  // (else -1, "cannot be replaced: permission denied"). The temporary file gets
  // the permissions of the existing target, or those of a new file. Returns its
  // open descriptor, which the caller closes; -1 with problem() when it cannot
  // be created.
  int create(const std::string& target);

  // Where the content goes until commit(), and the file it will replace.
  const std::string& temporaryPath() const { return temporary_; }
  const std::string& target() const { return target_; }

  // Renames the closed temporary file over the target. False with problem()
  // when that fails; the temporary file is gone either way.
  bool commit();
  // Removes the temporary file; the target stays as it was.
  void abandon();

  const std::string& problem() const { return problem_; }

 private:
  std::string target_;
  std::string temporary_;
  std::string problem_;
  int signalSlot_ = -1;
};

}  // namespace vyn::base

#endif  // VYN_BASE_REPLACEMENT_FILE_H_
