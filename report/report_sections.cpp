#include "report/report_sections.h"

namespace farrowdale {

bool LinksToPassages(const TReportTemplate& report_template, const TReportAdditions& additions) {
  return additions.passages != nullptr && report_template.Holds(kPassagesPlaceholder);
}

void WriteSectionValue(std::string_view placeholder, const TReportAdditions& additions,
                       const std::function<std::vector<TBarChart>()>& charts, TReportStream& out) {
  if (placeholder == kChartPlaceholder) {
    out.AppendUnicode(RenderBarCharts(charts()));
  } else if (placeholder == kPassagesPlaceholder && additions.text_with_passages &&
             additions.passages) {
    WritePassagesInText(out, *additions.passages, *additions.text_with_passages);
  } else if (placeholder == kPassagesPlaceholder && additions.passages) {
    out.AppendUnicode(RenderPassagesSection(*additions.passages));
  } else if (placeholder == kProvenancePlaceholder && additions.provenance) {
    out.AppendUnicode(RenderProvenance(*additions.provenance));
  } else if (placeholder == kCooccurrencePlaceholder && additions.cooccurrence) {
    out.AppendUnicode(RenderCooccurrenceSection(*additions.cooccurrence));
  } else if (placeholder == kProblemsPlaceholder && additions.problems) {
    out.AppendUnicode(RenderProblemsSection(*additions.problems));
  }
}

}  // namespace farrowdale
