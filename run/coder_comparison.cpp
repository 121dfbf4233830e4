#include "run/coder_comparison.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "count/coded_intervals.h"
#include "count/passage_differences.h"
#include "count/stripped_text.h"
#include "count/tag_agreement.h"
#include "count/tag_scanner.h"
#include "count/unitized_alpha.h"
#include "report/provenance.h"
#include "run/file_list.h"
#include "run/ordered_workers.h"
#include "tagset/ini_file.h"
#include "tagset/tag_set.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

// The text files of folder (and, recursive, of its sub-folders, not following links to
// folders) as paths relative to it.
void ListRelative(const fs::path& root, const fs::path& relative, bool recursive,
                  std::vector<fs::path>& out) {
  const fs::path folder = relative.empty() ? root : root / relative;
  for (const fs::path& file : ListTextFilesOfFolder(folder)) {
    out.push_back(relative.empty() ? file.filename() : relative / file.filename());
  }
  if (!recursive) return;
  std::vector<fs::path> subfolders;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->is_directory() && !it->is_symlink()) subfolders.push_back(it->path().filename());
  }
  if (error) throw FileOpenError(folder, error.value());
  std::sort(subfolders.begin(), subfolders.end());
  for (const fs::path& sub : subfolders) {
    ListRelative(root, relative.empty() ? sub : relative / sub, recursive, out);
  }
}

// A coder's tag set as one reading of its file gave it, and the SHA-256 of the bytes read.
struct TComparedTagSet {
  TTagArray tags;
  std::string sha256;
};

TComparedTagSet ReadTags(const fs::path& path) {
  const TIniFile ini = TIniFile::ReadOnce(path);
  TComparedTagSet tag_set;
  LoadTagSet(ini, tag_set.tags);
  if (std::all_of(tag_set.tags.begin(), tag_set.tags.end(), IsSkippedTag)) {
    throw Error("The tag set \"" + PathToNarrow(path) + "\" has no tag to compare");
  }
  const std::string* bytes = ini.HeldBytes();
  if (bytes != nullptr) tag_set.sha256 = Sha256Hex(*bytes);
  return tag_set;
}

// B's tags in the order of A's: the k-th is B's tag of the name of A's k-th (a skipped one
// stays skipped), then B's other tags, whose markers are removed from B's text all the same.
TTagArray InOrderOf(const TTagArray& a, const TTagArray& b, const fs::path& b_path) {
  TTagArray ordered;
  std::vector<bool> used(b.size(), false);
  for (const TTagInfo& tag : a) {
    if (IsSkippedTag(tag)) {
      ordered.push_back(tag);
      continue;
    }
    const auto found = std::find_if(b.begin(), b.end(), [&](const TTagInfo& other) {
      return !IsSkippedTag(other) && other.Name == tag.Name;
    });
    if (found == b.end()) {
      throw Error("Tag \"" + tag.Name + "\" is not in the tag set \"" + PathToNarrow(b_path) +
                  "\" of coder B");
    }
    used[static_cast<size_t>(found - b.begin())] = true;
    ordered.push_back(*found);
  }
  for (size_t i = 0; i < b.size(); ++i) {
    if (!used[i] && !IsSkippedTag(b[i])) ordered.push_back(b[i]);
  }
  return ordered;
}

struct TCoder {
  TTagArray tags;
  TTagScanner scanner;
};

struct TStrippedCopy {
  TStrippedText stripped;
  std::vector<std::string> read_warnings;
};

TStrippedCopy ReadCopy(const fs::path& path, const TCoder& coder) {
  TNarrowTextFile file = ReadNarrowJoinedText(path);
  TStrippedCopy copy{StripMarkers(file.text, coder.tags, coder.scanner), {}};
  for (const TextReadWarning& warning : file.warnings) {
    copy.read_warnings.push_back(warning.Message());
  }
  return copy;
}

std::string Utf8Context(const std::u32string& text, size_t from) {
  return CodePointsUtf8(
      std::u32string_view(text).substr(std::min(from, text.size()), kContextAfterDifference));
}

void AddProblems(char coder, const TStrippedCopy& copy, const TTagArray& tags,
                 std::vector<TCodingProblem>& problems) {
  for (const std::string& warning : copy.read_warnings) problems.push_back({coder, {}, warning});
  for (const TStrippedText::TStrayMarker& stray : copy.stripped.stray_markers) {
    problems.push_back({coder, stray.place,
                        "tag \"" + tags[stray.tag].Name +
                            "\": a marker that delimits no passage stays in the text"});
  }
  if (copy.stripped.empty_passages > 0) {
    const int64_t count = copy.stripped.empty_passages;
    problems.push_back({coder,
                        {},
                        std::to_string(count) +
                            (count == 1 ? " empty passage" : " empty passages") +
                            " (\"farrowdale-cli check\" lists where)"});
  }
}

// One compared file: its record and, per tag, each coder's merged units, for the pooled
// unitized alpha.
struct TFileOutcome {
  TFileComparison record;
  int64_t characters = 0;
  std::vector<TAgreementCounts> counts;         // per tag of the tag set
  std::vector<std::vector<TInterval>> a_units;  // per tag of the tag set
  std::vector<std::vector<TInterval>> b_units;
};

std::vector<TInterval> Intervals(const std::vector<TCodedInterval>& coded) {
  std::vector<TInterval> intervals;
  for (const TCodedInterval& passage : coded) intervals.push_back({passage.start, passage.end});
  return intervals;
}

TFileOutcome CompareFile(const TCoderComparisonRequest& request, const fs::path& relative,
                         const TCoder& a, const TCoder& b) {
  TFileOutcome outcome;
  TFileComparison& record = outcome.record;
  record.file = PathToNarrow(relative);
  std::optional<TStrippedCopy> copy_a;
  std::optional<TStrippedCopy> copy_b;
  try {
    copy_a = ReadCopy(request.folder_a / relative, a);
    copy_b = ReadCopy(request.folder_b / relative, b);
  } catch (const std::exception& error) {
    record.outcome = EFileComparison::kUnreadable;
    record.error = error.what();
    return outcome;
  }
  AddProblems('A', *copy_a, a.tags, record.problems);
  AddProblems('B', *copy_b, a.tags, record.problems);
  const std::u32string& text_a = copy_a->stripped.text;
  const std::u32string& text_b = copy_b->stripped.text;
  if (text_a != text_b) {
    const size_t at = static_cast<size_t>(
        std::mismatch(text_a.begin(), text_a.end(), text_b.begin(), text_b.end()).first -
        text_a.begin());
    record.outcome = EFileComparison::kTextDiffers;
    record.difference = {copy_a->stripped.OriginalPlace(static_cast<int64_t>(at)),
                         copy_b->stripped.OriginalPlace(static_cast<int64_t>(at)),
                         Utf8Context(text_a, at), Utf8Context(text_b, at)};
    return outcome;
  }
  outcome.characters = static_cast<int64_t>(text_a.size());
  outcome.counts.resize(a.tags.size());
  outcome.a_units.resize(a.tags.size());
  outcome.b_units.resize(a.tags.size());
  TAgreementCounts all;
  for (size_t t = 0; t < a.tags.size(); ++t) {
    if (IsSkippedTag(a.tags[t])) continue;
    const std::vector<TInterval> passages_a = Intervals(copy_a->stripped.tags[t]);
    const std::vector<TInterval> passages_b = Intervals(copy_b->stripped.tags[t]);
    const TPassageMatching matching = MatchPassages(passages_a, passages_b, request.min_overlap);
    const TAgreementCounts counts =
        CountTagAgreement(passages_a, passages_b, outcome.characters, matching);
    AddCounts(all, counts);
    outcome.counts[t] = counts;
    record.rows.push_back(AgreementRow(a.tags[t].Name, record.file, counts));
    TTagDifferences differences = PassageDifferences(
        a.tags[t].Name, copy_a->stripped, copy_b->stripped, passages_a, passages_b, matching);
    if (differences.total > 0) record.differences.push_back(std::move(differences));
    outcome.a_units[t] = MergedIntervals(passages_a);
    outcome.b_units[t] = MergedIntervals(passages_b);
  }
  record.rows.push_back(AgreementRow("*", record.file, all));
  return outcome;
}

// Per tag, the compared files laid end to end in path order.
struct TPooledTag {
  TAgreementCounts counts;
  std::vector<TInterval> a_units;
  std::vector<TInterval> b_units;
};

// Keeps the listed differences within what is left of the comparison's budget.
void SpendListingBudget(std::vector<TTagDifferences>& differences, size_t& left) {
  for (TTagDifferences& tag : differences) {
    if (tag.listed.size() > left) {
      tag.listed.resize(left);
      tag.listed.shrink_to_fit();  // the record is kept to the end of the comparison
    }
    left -= tag.listed.size();
  }
}

void AppendShifted(const std::vector<TInterval>& units, int64_t shift,
                   std::vector<TInterval>& out) {
  for (const TInterval& unit : units) out.push_back({unit.start + shift, unit.end + shift});
}

}  // namespace

TCoderComparison CompareCoders(const TCoderComparisonRequest& request) {
  // Each file is read once, B's only when it is not A's, so that what is compared and the
  // hashes the report names come from the same bytes.
  const TComparedTagSet set_a = ReadTags(request.tag_set_a);
  const bool b_has_own = !request.tag_set_b.empty() && request.tag_set_b != request.tag_set_a;
  const fs::path& tag_set_b = b_has_own ? request.tag_set_b : request.tag_set_a;
  const TComparedTagSet set_b = b_has_own ? ReadTags(tag_set_b) : set_a;
  const TTagArray& tags_a = set_a.tags;
  const TTagArray tags_b = InOrderOf(tags_a, set_b.tags, tag_set_b);
  const TCoder a{tags_a, TTagScanner(tags_a, request.tag_set_a)};
  const TCoder b{tags_b, TTagScanner(tags_b, tag_set_b)};

  std::vector<fs::path> files_a;
  std::vector<fs::path> files_b;
  ListRelative(request.folder_a, {}, request.recursive, files_a);
  ListRelative(request.folder_b, {}, request.recursive, files_b);
  std::map<fs::path, EFileComparison> listed;  // by relative path
  for (const fs::path& file : files_a) listed[file] = EFileComparison::kOnlyInA;
  for (const fs::path& file : files_b) {
    const auto [it, added] = listed.emplace(file, EFileComparison::kOnlyInB);
    if (!added) it->second = EFileComparison::kCompared;
  }
  std::vector<fs::path> common;
  for (const auto& [file, outcome] : listed) {
    if (outcome == EFileComparison::kCompared) common.push_back(file);
  }

  TCoderComparison comparison;
  comparison.min_overlap = request.min_overlap;
  comparison.tag_set_a_sha256 = set_a.sha256;
  comparison.tag_set_b_sha256 = set_b.sha256;
  std::vector<TPooledTag> pooled(tags_a.size());
  int64_t pooled_length = 0;
  size_t listing_left = kListedDifferencesInAll;
  std::map<fs::path, TFileComparison> compared;
  ProcessInOrder<TFileOutcome>(
      common.size(), request.jobs > 0 ? request.jobs : DefaultJobCount(),
      [&](size_t i) { return CompareFile(request, common[i], a, b); },
      [&](size_t i, TFileOutcome&& outcome) {
        if (outcome.record.outcome == EFileComparison::kCompared) {
          ++comparison.files_compared;
          for (size_t t = 0; t < tags_a.size(); ++t) {
            if (IsSkippedTag(tags_a[t])) continue;
            AddCounts(pooled[t].counts, outcome.counts[t]);
            AppendShifted(outcome.a_units[t], pooled_length, pooled[t].a_units);
            AppendShifted(outcome.b_units[t], pooled_length, pooled[t].b_units);
          }
          pooled_length += outcome.characters;
          SpendListingBudget(outcome.record.differences, listing_left);
        }
        compared.emplace(common[i], std::move(outcome.record));
      });

  // The unitized alpha of a tag over all files is that of the one continuum, not a sum.
  TAgreementCounts all;
  for (size_t t = 0; t < tags_a.size(); ++t) {
    if (IsSkippedTag(tags_a[t])) continue;
    TAgreementCounts& counts = pooled[t].counts;
    const TUnitizedDisagreement unitized =
        UnitizedDisagreement({pooled[t].a_units, pooled[t].b_units}, pooled_length);
    counts.unitized_observed = unitized.observed;
    counts.unitized_expected = unitized.expected;
    AddCounts(all, counts);
    comparison.pooled.push_back(AgreementRow(tags_a[t].Name, "*", counts));
  }
  comparison.pooled.push_back(AgreementRow("*", "*", all));

  for (auto& [file, outcome] : listed) {
    if (outcome == EFileComparison::kCompared) {
      comparison.files.push_back(std::move(compared.at(file)));
    } else {
      TFileComparison record;
      record.file = PathToNarrow(file);
      record.outcome = outcome;
      comparison.files.push_back(std::move(record));
    }
  }
  return comparison;
}

}  // namespace farrowdale
