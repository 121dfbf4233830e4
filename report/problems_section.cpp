#include "report/problems_section.h"

#include "report/markup_text.h"
#include "report/table_fragments.h"

namespace farrowdale {
namespace {

void AppendListItem(std::u16string& out, std::string_view narrow) {
  AppendAscii(out, "<li>");
  AppendMarkupNarrow(out, narrow);
  AppendAscii(out, "</li>\n");
}

std::string Counted(int64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

std::u16string RenderProblemsSection(const TRunProblems& problems) {
  return SectionMarkup("problems", "Problems", [&](std::u16string& out) {
    if (problems.tag_set_problems.empty() && problems.files.empty()) {
      AppendAscii(out,
                  "<p>None: the tag set and every text were read and checked without a "
                  "problem.</p>\n");
      return;
    }
    if (!problems.tag_set_problems.empty()) {
      AppendAscii(out, "<h3>Tag set</h3>\n<ul>\n");
      for (const std::string& problem : problems.tag_set_problems) AppendListItem(out, problem);
      AppendAscii(out, "</ul>\n");
    }
    for (const TFileProblems& file : problems.files) {
      AppendAscii(out, "<h3>");
      AppendMarkupNarrow(out, file.file_name);
      AppendAscii(out, "</h3>\n<ul>\n");
      for (const std::string& note : file.read_notes) AppendListItem(out, "note: " + note);
      if (file.marker_problems > 0) {
        AppendListItem(out,
                       Counted(file.marker_problems, "marker problem", "marker problems") +
                           (file.marker_problems > static_cast<int64_t>(file.first_problems.size())
                                ? "; the first " + std::to_string(file.first_problems.size()) + ":"
                                : ":"));
        for (const std::string& problem : file.first_problems) AppendListItem(out, problem);
      }
      AppendAscii(out, "</ul>\n");
    }
  });
}

}  // namespace farrowdale
