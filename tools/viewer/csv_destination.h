// Where the reader writes the CSV export. The reader writes to a path it is
// given, so the viewer gives it a temporary copy of the target (the copy keeps
// what the target held, for a reader that appends) and puts the copy in the
// target's place only when the report succeeded: a failed or interrupted run
// leaves an existing CSV file as it was.
#ifndef VYN_TOOLS_VIEWER_CSV_DESTINATION_H_
#define VYN_TOOLS_VIEWER_CSV_DESTINATION_H_

#include <string>

#include "base/placeholder_file.h"
#include "base/replacement_file.h"

namespace vyn::tools {

class CsvDestination {
 public:
  // Prepares the copy for target (none for an empty target). False, with
  // problem() saying why in words a person can act on, when it cannot be written.
  bool prepare(const std::string& target);
  // The path to hand to writeReport: the copy; the target itself when it is a
  // device or a pipe, which is written directly; empty for no CSV.
  const std::string& readerPath() const { return readerPath_; }
  // After a successful report: the copy replaces the target. False with problem().
  bool commit();
  // After a failed one: the copy is removed, and so is the empty file that
  // held the target's name while the reader wrote.
  void abandon();

  const std::string& problem() const { return problem_; }

 private:
  base::ReplacementFile replacement_;
  base::PlaceholderFile placeholder_;
  std::string readerPath_;
  std::string problem_;
};

// Why a file cannot be opened for writing: "it is a directory", "directory d:
// no such file or directory", ...
std::string outputFileProblem(const std::string& path);

}  // namespace vyn::tools

#endif  // VYN_TOOLS_VIEWER_CSV_DESTINATION_H_
