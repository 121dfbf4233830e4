// The sections a template may place around its table, each where its placeholder stands:
// "{@chart}" (bar charts), "{@passages}" (passages in context) and "{@provenance}". A value
// is made only for a placeholder the template holds, so a template without them is filled
// exactly as before and costs nothing more.
#ifndef FARROWDALE_REPORT_REPORT_SECTIONS_H_
#define FARROWDALE_REPORT_REPORT_SECTIONS_H_

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "report/chart_svg.h"
#include "report/passages_section.h"
#include "report/provenance.h"
#include "report/report_page.h"
#include "text/unicode_string_list.h"

namespace farrowdale {

inline constexpr std::string_view kChartPlaceholder = "{@chart}";
inline constexpr std::string_view kPassagesPlaceholder = "{@passages}";
inline constexpr std::string_view kProvenancePlaceholder = "{@provenance}";

// What a run adds to a report besides its table. A null pointer leaves its placeholder
// empty. The pointed-to data must outlive the writer's call.
struct TReportAdditions {
  const TProvenance* provenance = nullptr;
  const std::vector<TTagPassages>* passages = nullptr;  // one per table row, in row order
};

// True when the page's text holds placeholder.
bool PageHolds(const TUnicodeStringList& page, std::string_view placeholder);
// True when the template file holds placeholder; false when it cannot be read.
bool TemplateHolds(const std::filesystem::path& template_path, std::string_view placeholder);

// Whether the table's hit lists link to the passages section: only when the page holds
// "{@passages}" and the run gave passages.
bool LinksToPassages(const TUnicodeStringList& page, const TReportAdditions& additions);

// Appends to values the value of each of the three placeholders the page holds; charts is
// called only when it holds "{@chart}".
void AddSectionValues(const TUnicodeStringList& page, const TReportAdditions& additions,
                      const std::function<std::vector<TBarChart>()>& charts,
                      TPlaceholderValues& values);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_SECTIONS_H_
