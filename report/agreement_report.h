// The outputs of a coder comparison: agreement.htm, a page to read, print and discuss (the
// pooled table per tag, the files not compared with the first difference and its context,
// each coder's coding problems, the tables per file (per tag up to kFilesWithTagTables files),
// the passage differences per file with each coder's place and the passage in context, and
// where the comparison came from), and agreement.csv, the same rows for spreadsheets and
// scripts:
//   tag,file,characters,a_chars,b_chars,both_chars,percent_all,percent_coded,kappa,alpha,
//   alpha_u,a_passages,b_passages,matched,a_only,b_only
// one record per compared file and tag, "*" as tag for all tags, then the pooled records
// with "*" as file. The table's bytes are those of csv_tables.h (UTF-8 with a byte-order mark,
// RFC 4180); a measure has a dot and six decimals, an undefined one is an empty field.
// The page is UTF-8, escapes every text it shows, and forbids scripts.
#ifndef FARROWDALE_REPORT_AGREEMENT_REPORT_H_
#define FARROWDALE_REPORT_AGREEMENT_REPORT_H_

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "results/agreement.h"

namespace farrowdale {

inline constexpr char kAgreementPageName[] = "agreement.htm";
inline constexpr char kAgreementTableName[] = "agreement.csv";
// Up to this many compared files the page shows each file's table per tag; beyond, one row
// per file over all tags.
inline constexpr int kFilesWithTagTables = 100;

// Where a comparison came from, for the page's provenance section. Each tag set's SHA-256 is
// the comparison's own, of the bytes it compared with, not that of the file as it is now.
struct TAgreementProvenance {
  std::chrono::system_clock::time_point run_time;
  std::filesystem::path folder_a;
  std::filesystem::path folder_b;
  std::filesystem::path tag_set_a;
  std::filesystem::path tag_set_b;  // the same as tag_set_a when B used A's
  std::string code_page;
};

// A measure with a dot and `decimals` decimals (never "-0"), or `undefined` when it has none.
std::string MeasureText(const std::optional<double>& value, int decimals,
                        const std::string& undefined);

std::string AgreementTableBytes(const TCoderComparison& comparison);
std::string AgreementPageBytes(const TCoderComparison& comparison,
                               const TAgreementProvenance& provenance);

// Writes both files into folder, each to a temporary file first; both take their place only
// once both are written. Throws the file-create Error.
void WriteAgreementOutputs(const TCoderComparison& comparison,
                           const TAgreementProvenance& provenance,
                           const std::filesystem::path& folder);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_AGREEMENT_REPORT_H_
