// The two report writers. Each fills a template with a results table (and the sections of
// report_sections.h the template asks for) and writes the report as UTF-16 LE with a
// byte-order mark. They return false, writing nothing, for empty results
// or a missing template; file errors are thrown as Error.
#ifndef FARROWDALE_REPORT_REPORT_WRITERS_H_
#define FARROWDALE_REPORT_REPORT_WRITERS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "report/report_sections.h"
#include "run/pooled_count.h"
#include "run/stat_info.h"

namespace farrowdale {

// One report per text file, from "result.tpl". additions.passages, when given, are the
// file's own.
bool WriteFileReport(const TStatArray& results, const std::filesystem::path& template_path,
                     const std::filesystem::path& report_path,
                     const TReportAdditions& additions = {});

// One report for all files side by side, from "resultEx.tpl". totals are the run's totals
// over all files, each row's asked for once; file_names are narrow text, one per element of
// results; every element of results holds one entry per tag and totals one per tag (else
// std::invalid_argument).
bool WriteCombinedReport(const TStatArrayArray& results, const TTagTotalsList& totals,
                         const std::vector<std::string>& file_names,
                         const std::filesystem::path& template_path,
                         const std::filesystem::path& report_path,
                         const TReportAdditions& additions = {});

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_WRITERS_H_
