// Sequential reading of a log file's frames, with every allocation bounded by the
// bytes the file really holds.
#ifndef VYN_READER_LOG_FILE_H_
#define VYN_READER_LOG_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vyn::profiling {

class LogFile {
 public:
  LogFile() = default;
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Opens path for reading; false for a missing, unreadable or non-file path.
  bool open(const std::string& path);

  enum class PrefixResult { Read, EndOfFile, ReadError };
  // Reads the next 4-byte little-endian length prefix. Fewer than four bytes
  // left is the clean end of the log.
  PrefixResult readLengthPrefix(std::uint32_t& length);

  // Reads length bytes into record. Never allocates more than the file still
  // holds (plus one read chunk when the size is unknown). False when the file
  // ends first; available then tells how many bytes were there. Allocation
  // failures propagate as exceptions.
  bool readRecord(std::uint32_t length, std::vector<std::uint8_t>& record,
                  std::uint64_t& available);

 private:
  std::FILE* file_ = nullptr;
  bool sizeKnown_ = false;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

}  // namespace vyn::profiling

#endif  // VYN_READER_LOG_FILE_H_
