#include "query/query_result_writers.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/csv_field.h"
#include "base/json_text.h"
#include "base/number_text.h"
#include "base/terminal_text.h"
#include "base/text_buffer.h"
#include "base/utf8.h"

namespace vyn::query {
namespace {

constexpr std::size_t kBlock = 256 * 1024;

void appendHex(std::string& out, sqlite3_stmt* statement, int column) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(statement, column));
  const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
  for (std::size_t at = 0; at < size; ++at) {
    out += kDigits[bytes[at] >> 4];
    out += kDigits[bytes[at] & 15];
  }
}

std::string_view textOf(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return {text != nullptr ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

// A number cell's text; false for NULL, texts and blobs, and for a real that
// is not finite when finiteOnly.
bool appendNumberCell(std::string& out, sqlite3_stmt* statement, int column, bool finiteOnly) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: {
      char digits[base::kNumberTextRoom];
      out.append(digits, base::writeNumber(digits, std::int64_t{sqlite3_column_int64(statement, column)}));
      return true;
    }
    case SQLITE_FLOAT: {
      const double value = sqlite3_column_double(statement, column);
      if (!std::isfinite(value)) {
        if (finiteOnly) return false;
        out += std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
        return true;
      }
      base::appendShortest(out, value);
      return true;
    }
    default:
      return false;
  }
}

class TextWriter : public ResultSink {
 public:
  explicit TextWriter(base::OutputFile& output) : output_(output) {}

  void columns(const std::vector<std::string>& names) override {
    header_.clear();
    for (const std::string& name : names) header_.push_back(base::terminalText(name));
    rightAligned_.assign(names.size(), true);
    anyValue_.assign(names.size(), false);
  }

  void row(sqlite3_stmt* statement) override {
    std::vector<std::string> cells(header_.size());
    for (std::size_t column = 0; column < cells.size(); ++column) {
      const int at = static_cast<int>(column);
      std::string& cell = cells[column];
      const int type = sqlite3_column_type(statement, at);
      if (type == SQLITE_NULL) continue;
      anyValue_[column] = true;
      if (appendNumberCell(cell, statement, at, false)) continue;
      rightAligned_[column] = false;
      if (type == SQLITE_BLOB) {
        appendHex(cell, statement, at);
      } else {
        base::appendTerminalText(cell, textOf(statement, at));
      }
    }
    rows_.push_back(std::move(cells));
  }

  void finish() override {
    if (header_.empty()) return;
    std::vector<std::size_t> widths(header_.size(), 0);
    auto measure = [&](const std::vector<std::string>& cells) {
      for (std::size_t column = 0; column < cells.size(); ++column) {
        widths[column] = std::max(widths[column], base::characterCount(cells[column]));
      }
    };
    measure(header_);
    for (const auto& cells : rows_) measure(cells);
    base::TextBuffer out(output_, kBlock);
    auto line = [&](const std::vector<std::string>& cells) {
      std::string text;
      for (std::size_t column = 0; column < cells.size(); ++column) {
        const std::size_t pad = widths[column] - base::characterCount(cells[column]);
        if (column != 0) text += "  ";
        const bool right = rightAligned_[column] && anyValue_[column];
        if (right) text.append(pad, ' ');
        text += cells[column];
        if (!right) text.append(pad, ' ');
      }
      while (!text.empty() && text.back() == ' ') text.pop_back();
      out.text(text);
      out.endLine();
    };
    line(header_);
    for (const auto& cells : rows_) line(cells);
  }

  bool healthy() const override { return output_.problem().empty(); }

 private:
  base::OutputFile& output_;
  std::vector<std::string> header_;
  std::vector<bool> rightAligned_;  // every value of the column is a number
  std::vector<bool> anyValue_;
  std::vector<std::vector<std::string>> rows_;
};

class CsvWriter : public ResultSink {
 public:
  explicit CsvWriter(base::OutputFile& output) : out_(output, kBlock) {}

  void columns(const std::vector<std::string>& names) override {
    columns_ = names.size();
    if (names.empty()) return;
    std::string line;
    for (std::size_t column = 0; column < names.size(); ++column) {
      if (column != 0) line += ',';
      base::appendCsvField(line, names[column]);
    }
    out_.text(line);
    out_.endLine();
  }

  void row(sqlite3_stmt* statement) override {
    cell_.clear();
    for (std::size_t column = 0; column < columns_; ++column) {
      const int at = static_cast<int>(column);
      if (column != 0) cell_ += ',';
      if (appendNumberCell(cell_, statement, at, false)) continue;
      switch (sqlite3_column_type(statement, at)) {
        case SQLITE_TEXT:
          base::appendCsvField(cell_, textOf(statement, at));
          break;
        case SQLITE_BLOB:
          appendHex(cell_, statement, at);
          break;
        default:
          break;
      }
    }
    out_.text(cell_);
    out_.endLine();
  }

  void finish() override { out_.flush(); }
  bool healthy() const override { return out_.healthy(); }

 private:
  base::TextBuffer out_;
  std::size_t columns_ = 0;
  std::string cell_;
};

class JsonWriter : public ResultSink {
 public:
  explicit JsonWriter(base::OutputFile& output) : out_(output, kBlock) {}

  void columns(const std::vector<std::string>& names) override {
    keys_.clear();
    std::unordered_map<std::string, int> seen;
    for (const std::string& name : names) {
      const int count = ++seen[name];
      std::string key;
      base::appendJsonString(key, count == 1 ? name : name + ":" + std::to_string(count));
      keys_.push_back(key + ":");
    }
    out_.character('[');
  }

  void row(sqlite3_stmt* statement) override {
    line_ = rows_++ == 0 ? "\n{" : ",\n{";
    for (std::size_t column = 0; column < keys_.size(); ++column) {
      const int at = static_cast<int>(column);
      if (column != 0) line_ += ',';
      line_ += keys_[column];
      if (appendNumberCell(line_, statement, at, true)) continue;
      switch (sqlite3_column_type(statement, at)) {
        case SQLITE_TEXT:
          base::appendJsonString(line_, textOf(statement, at));
          break;
        case SQLITE_BLOB:
          line_ += '"';
          appendHex(line_, statement, at);
          line_ += '"';
          break;
        default:
          line_ += "null";
          break;
      }
    }
    line_ += '}';
    out_.text(line_);
    if (out_.size() >= kBlock) out_.flush();
  }

  void finish() override {
    out_.text(rows_ == 0 ? "]" : "\n]");
    out_.endLine();
    out_.flush();
  }
  bool healthy() const override { return out_.healthy(); }

 private:
  base::TextBuffer out_;
  std::vector<std::string> keys_;
  std::string line_;
  std::uint64_t rows_ = 0;
};

}  // namespace

std::unique_ptr<ResultSink> makeResultWriter(QueryFormat format, base::OutputFile& output) {
  switch (format) {
    case QueryFormat::Csv:
      return std::make_unique<CsvWriter>(output);
    case QueryFormat::Json:
      return std::make_unique<JsonWriter>(output);
    case QueryFormat::Text:
      break;
  }
  return std::make_unique<TextWriter>(output);
}

}  // namespace vyn::query
