#include "app/tag_set_flags.h"

#include <algorithm>

#include "tagset/ini_file.h"

namespace farrowdale {

TTagSetFlags FlagTagSetProblems(const TTagSetCheck& check) {
  // Tags are read from the sections in file order, so tag i comes from section i; a merged
  // section still stands where it is written, which the tag's own marker line does not.
  const std::vector<int>& sections = check.section_lines;
  TTagSetFlags flags;
  flags.by_tag.resize(check.tags.size());
  for (const TTagSetProblem& problem : check.problems) {
    const auto after = std::upper_bound(sections.begin(), sections.end(), problem.line);
    const auto section = static_cast<size_t>(after - sections.begin());
    if (section == 0 || section > check.tags.size() || IsSkippedTag(check.tags[section - 1])) {
      flags.elsewhere.push_back(problem);
    } else {
      flags.by_tag[section - 1].push_back(problem);
    }
  }
  return flags;
}

TTagSetFlags FlagTagSetProblems(const std::filesystem::path& tag_set) {
  return FlagTagSetProblems(CheckTagSet(TIniFile::ReadOnce(tag_set)));
}

std::string TagSetProblemText(const TTagSetProblem& problem) {
  return "line " + std::to_string(problem.line) + ": " + problem.message;
}

}  // namespace farrowdale
