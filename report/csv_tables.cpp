#include "report/csv_tables.h"

#include <utility>

#include "report/cooccurrence_section.h"
#include "text/code_page.h"
#include "text/utf8.h"

namespace farrowdale {

TCsvTable::TCsvTable(std::initializer_list<std::string_view> header,
                     std::optional<TAtomicFile> file, size_t piece_bytes)
    : bytes_("\xEF\xBB\xBF"), file_(std::move(file)), piece_bytes_(piece_bytes) {
  for (std::string_view name : header) AddUtf8(name);
  EndRecord();
}

void TCsvTable::AppendFullPiece() {
  if (!file_ || bytes_.size() < piece_bytes_) return;
  file_->Append(bytes_);
  bytes_.clear();
}

TAtomicFile TCsvTable::TakeFile() {
  file_->Append(bytes_);
  bytes_.clear();
  TAtomicFile file = std::move(*file_);
  file_.reset();
  return file;
}

void TCsvTable::StartField() {
  if (record_started_) bytes_ += ',';
  record_started_ = true;
}

void TCsvTable::AddUtf8(std::string_view field) {
  StartField();
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    bytes_ += field;
    AppendFullPiece();
    return;
  }
  bytes_ += '"';
  for (char c : field) {
    if (c == '"') bytes_ += '"';
    bytes_ += c;
  }
  bytes_ += '"';
  AppendFullPiece();
}

void TCsvTable::AddText(std::u16string_view field) {
  // An unpaired surrogate, which UTF-8 cannot carry, becomes "?" as in narrow text.
  std::string utf8 = Utf16ToUtf8(field, '?');
  // A spreadsheet takes a cell that starts with one of these for a formula and runs it: the
  // apostrophe makes it text there, and is what spreadsheets themselves write for it.
  if (!utf8.empty() && std::string_view("=+-@\t\r").find(utf8.front()) != std::string_view::npos) {
    utf8.insert(utf8.begin(), '\'');
  }
  AddUtf8(utf8);
}

void TCsvTable::AddNarrow(std::string_view field) { AddText(ToUnicode(field)); }

void TCsvTable::AddNumber(int64_t field) { AddUtf8(std::to_string(field)); }

void TCsvTable::AddDecimal(std::string_view field) { AddUtf8(field); }

void TCsvTable::EndRecord() {
  bytes_ += "\r\n";
  record_started_ = false;
}

TCsvTable CountsTable(std::optional<TAtomicFile> file) {
  return TCsvTable({"tag", "file", "passages", "distinct passages"}, std::move(file));
}

void AddCountsRecords(TCsvTable& table, const TStatArray& file_results,
                      std::string_view file_name) {
  for (const TStatInfo& info : file_results) {
    table.AddNarrow(info.Name);
    table.AddNarrow(file_name);
    table.AddNumber(info.Freq);
    table.AddNumber(info.Count);
    table.EndRecord();
  }
}

TCsvTable PassagesTable(std::optional<TAtomicFile> file) {
  return TCsvTable({"tag", "file", "line", "column", "passage"}, std::move(file));
}

void AddPassageRecord(TCsvTable& table, std::string_view tag_name, std::string_view file_name,
                      const TTextPosition& position, std::u16string_view passage) {
  table.AddNarrow(tag_name);
  table.AddNarrow(file_name);
  table.AddNumber(position.line);
  table.AddNumber(position.column);
  table.AddText(passage);
  table.EndRecord();
}

TCsvTable CooccurrenceTable(std::optional<TAtomicFile> file) {
  return TCsvTable({"tag_a", "tag_b", "file", "a_passages", "b_passages", "cooccurring",
                    "identical", "a_inside_b", "b_inside_a", "crossing", "c_coefficient"},
                   std::move(file));
}

void AddCooccurrenceRecords(TCsvTable& table, const std::vector<std::string>& tag_names,
                            const TCooccurrenceMatrix& matrix, std::string_view file_name) {
  for (size_t a = 0; a < matrix.size(); ++a) {
    for (size_t b = 0; b < matrix.size(); ++b) {
      if (a == b) continue;
      const TPairCounts& pair = matrix.At(a, b);
      table.AddNarrow(tag_names.at(a));
      table.AddNarrow(tag_names.at(b));
      table.AddNarrow(file_name);
      for (const int64_t count :
           {pair.a_passages, pair.b_passages, pair.Cooccurring(), pair.identical, pair.a_inside_b,
            pair.b_inside_a, pair.crossing}) {
        table.AddNumber(count);
      }
      table.AddDecimal(FormatCoefficient(pair.CCoefficient(), 4));
      table.EndRecord();
    }
  }
}

}  // namespace farrowdale
