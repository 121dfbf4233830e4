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
#ifndef FARROWDALE_REPORT_CSV_TABLES_H_
#define FARROWDALE_REPORT_CSV_TABLES_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "results/cooccurrence_counts.h"
#include "results/stat_info.h"
#include "text/text_position.h"

namespace farrowdale {

inline constexpr char kCountsTableName[] = "result_counts.csv";
inline constexpr char kPassagesTableName[] = "result_passages.csv";
inline constexpr char kCooccurrenceTableName[] = "result_cooccurrence.csv";

// A CSV table built in memory, record by record.
class TCsvTable {
 public:
  // Starts the table: the byte-order mark and the header record.
  explicit TCsvTable(std::initializer_list<std::string_view> header);

  void AddText(std::u16string_view field);
  // Narrow text (system code page), converted to UTF-8.
  void AddNarrow(std::string_view field);
  void AddNumber(int64_t field);
  // A number already written out in ASCII ("-0.3230", or "" for none): kept as it is, a
  // leading minus included, so that spreadsheets read it as the number it is.
  void AddDecimal(std::string_view field);
  void EndRecord();

  // The whole table so far. REQUIRES: no record is half added.
  const std::string& bytes() const { return bytes_; }

 private:
  void StartField();
  void AddUtf8(std::string_view field);

  std::string bytes_;
  bool record_started_ = false;
};

// An empty counts table (header only).
TCsvTable CountsTable();
// Appends one file's records: for each tag of file_results, its name, file_name, its
// passages (Freq) and distinct passages (Count).
void AddCountsRecords(TCsvTable& table, const TStatArray& file_results, std::string_view file_name);

// An empty passages table (header only).
TCsvTable PassagesTable();
// Appends one occurrence's record.
void AddPassageRecord(TCsvTable& table, std::string_view tag_name, std::string_view file_name,
                      const TTextPosition& position, std::u16string_view passage);

// An empty co-occurrence table (header only).
TCsvTable CooccurrenceTable();
// Appends a record for every ordered pair of different tags of matrix; tag_names are narrow,
// one per row of matrix, and file_name is "*" for the counts over all files.
void AddCooccurrenceRecords(TCsvTable& table, const std::vector<std::string>& tag_names,
                            const TCooccurrenceMatrix& matrix, std::string_view file_name);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_CSV_TABLES_H_
