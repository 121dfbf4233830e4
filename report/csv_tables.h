// The tables a run can write beside its reports, for spreadsheets and scripts:
//   result_counts.csv    tag,file,passages,distinct passages  (one record per file and tag)
//   result_passages.csv  tag,file,line,column,passage        (one record per occurrence)
//   result_cooccurrence.csv  tag_a,tag_b,file,a_passages,b_passages,cooccurring,identical,
//                        a_inside_b,b_inside_a,crossing,c_coefficient (one record per ordered
//                        pair of different tags and file, then per pair over all files with
//                        file "*"; c with a dot and four decimals)
// Records come file after file in list order, within a file tag after tag in tag-set order,
// within a tag in order of occurrence. "file" is the file's name as the reports show it.
//
// The bytes: UTF-8 with a byte-order mark (so spreadsheets read accented text correctly),
// every record ended by CR LF, a field quoted when it holds a comma, a double quote, CR or LF,
// with its double quotes doubled (RFC 4180). Texts are kept exactly, line ends included,
// except that a text field starting with "=", "+", "-", "@", a tab or CR gets a leading
// apostrophe, so that no spreadsheet runs it as a formula.
//
// A table is built in memory, or streamed into a TAtomicFile piece by piece as it grows (so
// that it holds only its last piece, whatever the number of records); the bytes are the same.
#ifndef FARROWDALE_REPORT_CSV_TABLES_H_
#define FARROWDALE_REPORT_CSV_TABLES_H_

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/cooccurrence_counts.h"
#include "results/stat_info.h"
#include "text/atomic_file.h"
#include "text/text_position.h"

namespace farrowdale {

inline constexpr char kCountsTableName[] = "result_counts.csv";
inline constexpr char kPassagesTableName[] = "result_passages.csv";
inline constexpr char kCooccurrenceTableName[] = "result_cooccurrence.csv";

// The bytes a streamed table gathers before it appends them to its file.
inline constexpr size_t kCsvPieceBytes = size_t{64} << 10;

// A CSV table built record by record, in memory or into a file.
class TCsvTable {
 public:
  // Starts the table: the byte-order mark and the header record. With a file, the bytes are
  // appended to it whenever piece_bytes or more have gathered (at the end of a field), and
  // TakeFile hands it back complete; a failure to append throws the file's Error.
  explicit TCsvTable(std::initializer_list<std::string_view> header,
                     std::optional<TAtomicFile> file = std::nullopt,
                     size_t piece_bytes = kCsvPieceBytes);

  void AddText(std::u16string_view field);
  // Narrow text (system code page), converted to UTF-8.
  void AddNarrow(std::string_view field);
  void AddNumber(int64_t field);
  // A number already written out in ASCII ("-0.3230", or "" for none): kept as it is, a
  // leading minus included, so that spreadsheets read it as the number it is.
  void AddDecimal(std::string_view field);
  void EndRecord();

  // The whole table so far. REQUIRES: built in memory, no record half added.
  const std::string& bytes() const { return bytes_; }
  // Appends the bytes still gathered and hands the file over, holding the whole table.
  // REQUIRES: built into a file, no record half added; nothing is added afterwards.
  TAtomicFile TakeFile();

 private:
  void StartField();
  void AddUtf8(std::string_view field);
  // Appends the gathered bytes to the file once they fill a piece.
  void AppendFullPiece();

  std::string bytes_;  // the whole table in memory, or what the file has not yet taken
  std::optional<TAtomicFile> file_;
  size_t piece_bytes_;
  bool record_started_ = false;
};

// An empty counts table (header only), in memory or into file.
TCsvTable CountsTable(std::optional<TAtomicFile> file = std::nullopt);
// Appends one file's records: for each tag of file_results, its name, file_name, its
// passages (Freq) and distinct passages (Count).
void AddCountsRecords(TCsvTable& table, const TStatArray& file_results, std::string_view file_name);

// An empty passages table (header only), in memory or into file.
TCsvTable PassagesTable(std::optional<TAtomicFile> file = std::nullopt);
// Appends one occurrence's record.
void AddPassageRecord(TCsvTable& table, std::string_view tag_name, std::string_view file_name,
                      const TTextPosition& position, std::u16string_view passage);

// An empty co-occurrence table (header only), in memory or into file.
TCsvTable CooccurrenceTable(std::optional<TAtomicFile> file = std::nullopt);
// Appends a record for every ordered pair of different tags of matrix; tag_names are narrow,
// one per row of matrix, and file_name is "*" for the counts over all files.
void AddCooccurrenceRecords(TCsvTable& table, const std::vector<std::string>& tag_names,
                            const TCooccurrenceMatrix& matrix, std::string_view file_name);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_CSV_TABLES_H_
