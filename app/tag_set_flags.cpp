#include "app/tag_set_flags.h"

#include <algorithm>
#include <exception>

#include "tagset/ini_file.h"

namespace farrowdale {

TTagSetFlags FlagTagSetProblems(const std::filesystem::path& tag_set) {
  const TIniFile ini(tag_set);
  const TTagSetCheck check = CheckTagSet(ini);
  // Tags are read from the sections in file order, so tag i comes from section i; a merged
  // section still stands where it is written, which the tag's own marker line does not.
  std::vector<TIniSectionPlace> places;
  try {
    places = ini.ReadPlaces();
  } catch (const std::exception&) {
    // A file that went between the check and this reading: its problems stand elsewhere.
  }
  TTagSetFlags flags;
  flags.by_tag.resize(check.tags.size());
  for (const TTagSetProblem& problem : check.problems) {
    const auto after =
        std::upper_bound(places.begin(), places.end(), problem.line,
                         [](int line, const TIniSectionPlace& place) { return line < place.line; });
    const auto section = static_cast<size_t>(after - places.begin());
    if (section == 0 || section > check.tags.size() || IsSkippedTag(check.tags[section - 1])) {
      flags.elsewhere.push_back(problem);
    } else {
      flags.by_tag[section - 1].push_back(problem);
    }
  }
  return flags;
}

std::string TagSetProblemText(const TTagSetProblem& problem) {
  return "line " + std::to_string(problem.line) + ": " + problem.message;
}

}  // namespace farrowdale
