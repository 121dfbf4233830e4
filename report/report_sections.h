// The sections a template may place around its table, each where its placeholder stands:
// "{@chart}" (bar charts), "{@passages}" (passages in context), "{@provenance}", "{@problems}"
// and, in the combined report, "{@cooccurrence}". A value
// is made only for a placeholder the template holds, so a template without them is filled
// exactly as before and costs nothing more.
#ifndef FARROWDALE_REPORT_REPORT_SECTIONS_H_
#define FARROWDALE_REPORT_REPORT_SECTIONS_H_

#include <functional>
#include <string_view>
#include <vector>

#include "report/chart_svg.h"
#include "report/cooccurrence_section.h"
#include "report/passages_section.h"
#include "report/problems_section.h"
#include "report/provenance.h"
#include "report/report_page.h"
#include "report/report_stream.h"

namespace farrowdale {

// What a run adds to a report besides its table. A null pointer leaves its placeholder
// empty. The pointed-to data must outlive the writer's call.
struct TReportAdditions {
  const TProvenance* provenance = nullptr;
  const std::vector<TTagPassages>* passages = nullptr;  // one per table row, in row order
  const TCooccurrenceView* cooccurrence = nullptr;      // over all files
  const TRunProblems* problems = nullptr;
};

// Whether the table's hit lists link to the passages section: only when the template holds
// "{@passages}" and the run gave passages.
bool LinksToPassages(const TReportTemplate& report_template, const TReportAdditions& additions);

// Writes the value of a section placeholder into out; charts is called only for "{@chart}".
// Any other placeholder gets nothing.
void WriteSectionValue(std::string_view placeholder, const TReportAdditions& additions,
                       const std::function<std::vector<TBarChart>()>& charts, TReportStream& out);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_SECTIONS_H_
