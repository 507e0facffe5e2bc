// Built without coverage instrumentation (fuzz/CMakeLists.txt): the checks are
// the fuzzer's judge, not code under test, and the branches of a JSON parser
// would only crowd the fuzzer's corpus and cost it time on every input.
#include "output_checks.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "base/utf8.h"

namespace vyn::fuzzing {
namespace {

[[noreturn]] void brokenOutput(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s breaks its form:\n%.2000s\n", what, text.c_str());
  std::abort();
}

}  // namespace

void requireJson(const char* what, const std::string& text) {
  if (!nlohmann::json::accept(text)) brokenOutput(what, text);
}

void requireTerminalText(const char* what, const std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    const base::Utf8Sequence sequence = base::utf8SequenceAt(text, at);
    if ((c < 0x20 && c != '\n') || c == 0x7F || !sequence.wellFormed ||
        base::isC1Control(text.substr(at, sequence.length))) {
      brokenOutput(what, text);
    }
    at += sequence.length;
  }
}

}  // namespace vyn::fuzzing
