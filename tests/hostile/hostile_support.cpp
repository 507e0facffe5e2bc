#include "hostile/hostile_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "log/logger.h"

namespace vyn::testing {
namespace {

namespace fs = std::filesystem;

std::mutex diagnosticsMutex;
std::vector<std::pair<std::int32_t, std::string>> diagnostics;

void collect(const char* format, std::uint32_t level, std::uint64_t, va_list args) {
  char text[4096];
  std::vsnprintf(text, sizeof text, format, args);
  std::lock_guard<std::mutex> lock(diagnosticsMutex);
  diagnostics.emplace_back(static_cast<std::int32_t>(level), text);
}

void flushStdout() {
  std::cout.flush();
  std::fflush(stdout);
}

}  // namespace

CapturedDiagnostics::CapturedDiagnostics() {
  clear();
  if (!log::createLogger(collect, log::VYN_LOG_LEVEL_DEBUG))
    throw std::runtime_error("cannot create the logger");
}

CapturedDiagnostics::~CapturedDiagnostics() { log::destroyLogger(); }

std::vector<std::string> CapturedDiagnostics::at(std::int32_t level) const {
  std::lock_guard<std::mutex> lock(diagnosticsMutex);
  std::vector<std::string> texts;
  for (const auto& [messageLevel, text] : diagnostics)
    if (messageLevel == level) texts.push_back(text);
  return texts;
}

std::vector<std::string> CapturedDiagnostics::errors() const {
  return at(log::VYN_LOG_LEVEL_ERROR);
}

void CapturedDiagnostics::clear() {
  std::lock_guard<std::mutex> lock(diagnosticsMutex);
  diagnostics.clear();
}

CapturedStdout::CapturedStdout() {
  flushStdout();
  saved_ = ::dup(STDOUT_FILENO);
  const int file =
      ::open(dir_.file("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (saved_ < 0 || file < 0) throw std::runtime_error("cannot capture standard output");
  ::dup2(file, STDOUT_FILENO);
  ::close(file);
}

CapturedStdout::~CapturedStdout() { stop(); }

std::string CapturedStdout::stop() {
  if (saved_ < 0) return {};
  flushStdout();
  ::dup2(saved_, STDOUT_FILENO);
  ::close(saved_);
  saved_ = -1;
  return readFile(dir_.file("stdout"));
}

HostileScene::HostileScene() {
  fs::create_directory(dir_.file("work"));
  fs::create_directory(dir_.file("outside"));
  workingDirectory_ = std::make_unique<ScopedWorkingDirectory>(dir_.file("work"));
}

std::map<std::string, std::string> HostileScene::outsideSnapshot() const {
  std::map<std::string, std::string> entries;
  const fs::path base(root());
  for (auto it = fs::recursive_directory_iterator(base); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string relative = fs::relative(it->path(), base).string();
    if (relative == "work") {
      it.disable_recursion_pending();
      continue;
    }
    if (relative == "input.log") continue;  // written by the test itself
    if (it->is_symlink()) {
      entries[relative] = "link -> " + fs::read_symlink(it->path()).string();
    } else if (it->is_directory()) {
      entries[relative] = "directory";
    } else {
      entries[relative] = "file: " + readFile(it->path().string());
    }
  }
  return entries;
}

std::vector<std::string> HostileScene::workEntries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_.file("work")))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool isSymbolicLink(const std::string& path) {
  std::error_code ignored;
  return fs::is_symlink(fs::symlink_status(path, ignored));
}

bool isRegularFile(const std::string& path) {
  std::error_code ignored;
  return fs::is_regular_file(fs::symlink_status(path, ignored));
}

}  // namespace vyn::testing
