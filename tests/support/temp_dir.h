// A scratch directory per test, and small file helpers.
#ifndef VYN_TESTS_SUPPORT_TEMP_DIR_H_
#define VYN_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>

namespace vyn::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Changes the working directory for the lifetime of the object.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& path);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::string previous_;
};

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

}  // namespace vyn::testing

#endif  // VYN_TESTS_SUPPORT_TEMP_DIR_H_
