// The two report writers. Each fills a template with a results table (and the sections of
// report_sections.h the template asks for) and writes the report as UTF-16 LE with a
// byte-order mark, streamed to a temporary file and renamed into place (TAtomicFile). They
// write nothing for empty results or a missing template; file errors are thrown as Error.
//
// A template is read once per run (FileReportTemplate, CombinedReportTemplate) and may then
// serve every report of the run, on several threads at once.
#ifndef FARROWDALE_REPORT_REPORT_WRITERS_H_
#define FARROWDALE_REPORT_REPORT_WRITERS_H_

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "report/report_page.h"
#include "report/report_sections.h"
#include "results/stat_info.h"
#include "results/tag_totals.h"
#include "text/atomic_file.h"

namespace farrowdale {

// The templates of the two writers ("result.tpl", "resultEx.tpl"), read and cut once.
TReportTemplate FileReportTemplate(const std::filesystem::path& template_path);
TReportTemplate CombinedReportTemplate(const std::filesystem::path& template_path);

// One report per text file, from FileReportTemplate. additions.passages, when given, are the
// file's own. Renders the report into a temporary file beside report_path, its write-back started,
// for the caller to commit; nothing is created (nullopt) for empty results or a missing template.
// start: when the temporary file is created (TAtomicFile).
std::optional<TAtomicFile> RenderFileReport(const TStatArray& results,
                                            const TReportTemplate& report_template,
                                            const std::filesystem::path& report_path,
                                            const TReportAdditions& additions = {},
                                            EAtomicFileStart start = EAtomicFileStart::kNow);
// RenderFileReport, committed; false when there was nothing to write.
bool WriteFileReport(const TStatArray& results, const TReportTemplate& report_template,
                     const std::filesystem::path& report_path,
                     const TReportAdditions& additions = {});

// One report for all files side by side, from CombinedReportTemplate, written row by row
// into a temporary file beside report_path for the caller to commit; nothing is created
// (nullopt) for no files or no template.
// totals are the run's totals over all files, counted before; file_names are narrow text,
// one per element of results; every element of results holds one entry per tag and totals
// one per tag (else std::invalid_argument).
std::optional<TAtomicFile> RenderCombinedReport(const TStatArrayArray& results,
                                                const TTagTotalsView& totals,
                                                const std::vector<std::string>& file_names,
                                                const TReportTemplate& report_template,
                                                const std::filesystem::path& report_path,
                                                const TReportAdditions& additions = {});
// RenderCombinedReport, committed; false when there was nothing to write.
bool WriteCombinedReport(const TStatArrayArray& results, const TTagTotalsView& totals,
                         const std::vector<std::string>& file_names,
                         const TReportTemplate& report_template,
                         const std::filesystem::path& report_path,
                         const TReportAdditions& additions = {});

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_WRITERS_H_
