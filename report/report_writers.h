// The two report writers. Each fills a template with a results table and writes the report
// as UTF-16 LE with a byte-order mark. They return false, writing nothing, for empty results
// or a missing template; file errors are thrown as Error.
#ifndef FARROWDALE_REPORT_REPORT_WRITERS_H_
#define FARROWDALE_REPORT_REPORT_WRITERS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "run/pooled_count.h"
#include "run/stat_info.h"

namespace farrowdale {

// One report per text file, from "result.tpl".
bool WriteFileReport(const TStatArray& results, const std::filesystem::path& template_path,
                     const std::filesystem::path& report_path);

// One report for all files side by side, from "resultEx.tpl". totals are the run's
// CountOverAllFiles of results; file_names are narrow text, one per element of results;
// every element of results holds one entry per tag and totals one per tag (else
// std::invalid_argument).
bool WriteCombinedReport(const TStatArrayArray& results, const std::vector<TTagTotals>& totals,
                         const std::vector<std::string>& file_names,
                         const std::filesystem::path& template_path,
                         const std::filesystem::path& report_path);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_WRITERS_H_
