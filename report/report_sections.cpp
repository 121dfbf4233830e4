#include "report/report_sections.h"

#include <string>

#include "text/code_page.h"

namespace farrowdale {

bool PageHolds(const TUnicodeStringList& page, std::string_view placeholder) {
  const std::u16string wide(placeholder.begin(), placeholder.end());
  for (int i = 0; i < page.EntryCount(); ++i) {
    if (page.EntryAt(i).find(wide) != std::u16string::npos) return true;
  }
  return false;
}

bool TemplateHolds(const std::filesystem::path& template_path, std::string_view placeholder) {
  if (!TemplateFileExists(template_path)) return false;
  TUnicodeStringList page;
  try {
    page.ReadTextFile(template_path);
  } catch (const std::exception&) {
    return false;  // the writer reports a template it cannot read
  }
  return PageHolds(page, placeholder);
}

bool LinksToPassages(const TUnicodeStringList& page, const TReportAdditions& additions) {
  return additions.passages != nullptr && PageHolds(page, kPassagesPlaceholder);
}

void AddSectionValues(const TUnicodeStringList& page, const TReportAdditions& additions,
                      const std::function<std::vector<TBarChart>()>& charts,
                      TPlaceholderValues& values) {
  if (PageHolds(page, kChartPlaceholder)) {
    values.push_back({kChartPlaceholder, ToNarrow(RenderBarCharts(charts()))});
  }
  if (PageHolds(page, kPassagesPlaceholder)) {
    values.push_back({kPassagesPlaceholder,
                      additions.passages ? ToNarrow(RenderPassagesSection(*additions.passages))
                                         : std::string()});
  }
  if (PageHolds(page, kProvenancePlaceholder)) {
    values.push_back(
        {kProvenancePlaceholder,
         additions.provenance ? ToNarrow(RenderProvenance(*additions.provenance)) : std::string()});
  }
}

}  // namespace farrowdale
