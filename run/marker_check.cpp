// The marker check. For each file and tag it takes the passages of the run's own search and
// the places where each marker alone matches; every marker match that is not the begin or
// end of a passage is a problem, named by where it lies against the passages around it.
#include "run/marker_check.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <iterator>
#include <memory>
#include <set>
#include <string_view>
#include <thread>
#include <utility>

#include "regex/pattern_engine.h"
#include "run/tag_scanner.h"
#include "run/tagged_text.h"
#include "run/text_position.h"
#include "tagset/tag_set.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"
#include "text/trim.h"

namespace farrowdale {

// A tag whose pattern compiles, with its two markers compiled alone (null when a marker alone
// is no valid pattern, or empty: then only empty passages are checked).
struct TTagSearch {
  const TTagInfo* tag = nullptr;
  std::unique_ptr<TPatternEngine> begin;
  std::unique_ptr<TPatternEngine> end;
};

// What a scan of the text already found for one tag: its matches and where each of its
// markers alone matches; null where the check searches for itself.
struct TScannedTag {
  const std::vector<TPassageSpan>* spans = nullptr;
  const std::vector<TMarkerHit>* begin_hits = nullptr;
  const std::vector<TMarkerHit>* end_hits = nullptr;
};

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// "LINE:COLUMN" of a byte offset, as messages name other places.
std::string PlaceText(TTextPositionCursor& positions, size_t offset) {
  const TTextPosition place = positions.PositionOf(offset);
  return std::to_string(place.line) + ":" + std::to_string(place.column);
}

std::unique_ptr<TPatternEngine> CompiledMarker(const std::string& pattern) {
  if (pattern.empty()) return nullptr;
  auto engine = std::make_unique<TPatternEngine>();
  engine->SetExpression(pattern);
  try {
    engine->Exec("");
  } catch (const EPatternError&) {
    return nullptr;
  }
  return engine;
}

std::vector<TMarkerHit> FindMarkers(TPatternEngine* engine, const std::string& text) {
  std::vector<TMarkerHit> hits;
  if (engine == nullptr) return hits;
  for (bool found = engine->ExecInPlace(text); found; found = engine->ExecNext()) {
    if (engine->MatchLen(0) <= 0) continue;
    const auto start = static_cast<size_t>(engine->MatchPos(0) - 1);
    hits.push_back({start, start + static_cast<size_t>(engine->MatchLen(0))});
  }
  return hits;
}

bool Overlap(const TMarkerHit& hit, size_t start, size_t end) {
  return hit.start < end && start < hit.end;
}

// Where a marker match lies against the run's passages.
struct TPlace {
  enum class EKind { kMarkerOfPassage, kInsidePassage, kOutside } kind;
  size_t passage = 0;  // for kInsidePassage
};

// Places marker matches, asked for in increasing order, against the run's passages in one
// forward pass over them.
class TPlaceCursor {
 public:
  explicit TPlaceCursor(const std::vector<TPassageSpan>& spans) : spans_(spans) {}

  TPlace PlaceOf(const TMarkerHit& hit) {
    // The first passage that begins after the match.
    while (after_ < spans_.size() && spans_[after_].begin_marker <= hit.start) ++after_;
    if (after_ < spans_.size() &&
        Overlap(hit, spans_[after_].begin_marker, spans_[after_].text_begin)) {
      return {TPlace::EKind::kMarkerOfPassage};
    }
    if (after_ == 0) return {TPlace::EKind::kOutside};
    const TPassageSpan& span = spans_[after_ - 1];
    if (Overlap(hit, span.begin_marker, span.text_begin) ||
        Overlap(hit, span.text_end, span.end_marker_end)) {
      return {TPlace::EKind::kMarkerOfPassage};
    }
    if (hit.start < span.text_end) return {TPlace::EKind::kInsidePassage, after_ - 1};
    return {TPlace::EKind::kOutside};
  }

 private:
  const std::vector<TPassageSpan>& spans_;
  size_t after_ = 0;
};

// Checks one file's text with one tag and appends what it finds.
class TTagInTextCheck {
 public:
  // scanned: what a scan already found; the rest is searched for here.
  TTagInTextCheck(const std::string& text, TTagSearch& search, const TScannedTag& scanned,
                  TTextPositionCursor& positions, const std::filesystem::path& path,
                  std::vector<TCheckProblem>& problems)
      : text_(text),
        search_(search),
        tag_(*search.tag),
        scanned_(scanned),
        positions_(positions),
        path_(path),
        problems_(problems),
        spans_(scanned.spans != nullptr ? *scanned.spans : searched_spans_) {}

  void Run() {
    if (scanned_.spans == nullptr) {
      ForEachTaggedSpan(text_, tag_,
                        [&](const TPassageSpan& span) { searched_spans_.push_back(span); });
    }
    for (const TPassageSpan& span : spans_) {
      const std::string_view passage =
          std::string_view(text_).substr(span.text_begin, span.text_end - span.text_begin);
      if (Trim(passage).empty()) {
        Report(span.begin_marker, "empty passage between " + Quoted(tag_.BeginMark) + " and " +
                                      Quoted(tag_.EndMark) + "; the run skips it");
      }
    }
    SortMarkers();
    ReportInnerBegins();
    for (const TMarkerHit& hit : orphan_begins_) {
      Report(hit.start, Quoted(tag_.BeginMark) + " has no end marker " + Quoted(tag_.EndMark) +
                            " after it; the run takes no passage from here");
    }
    for (const TMarkerHit& hit : stray_ends_) {
      if (consumed_ends_.contains(hit.start)) continue;
      Report(hit.start, Quoted(tag_.EndMark) + " has no begin marker " + Quoted(tag_.BeginMark) +
                            " before it");
    }
  }

 private:
  // The marker's matches: the scan's where it found them, else the marker's own search.
  const std::vector<TMarkerHit>& MarkerHits(const std::vector<TMarkerHit>* scanned,
                                            TPatternEngine* marker,
                                            std::vector<TMarkerHit>& searched) const {
    if (scanned != nullptr) return *scanned;
    searched = FindMarkers(marker, text_);
    return searched;
  }

  // Sorts every marker match that is not the begin or end of a passage.
  void SortMarkers() {
    std::vector<TMarkerHit> searched;
    TPlaceCursor begin_places(spans_);
    for (const TMarkerHit& hit : MarkerHits(scanned_.begin_hits, search_.begin.get(), searched)) {
      const TPlace place = begin_places.PlaceOf(hit);
      if (place.kind == TPlace::EKind::kInsidePassage)
        inner_begins_.emplace_back(place.passage, hit);
      if (place.kind == TPlace::EKind::kOutside) orphan_begins_.push_back(hit);
    }
    // An end marker that matches where a begin marker without passage stands (a tag whose two
    // markers are the same) is reported once, as that begin marker.
    size_t next_orphan = 0;
    TPlaceCursor end_places(spans_);
    for (const TMarkerHit& hit : MarkerHits(scanned_.end_hits, search_.end.get(), searched)) {
      if (end_places.PlaceOf(hit).kind != TPlace::EKind::kOutside) continue;
      while (next_orphan < orphan_begins_.size() && orphan_begins_[next_orphan].end <= hit.start) {
        ++next_orphan;
      }
      if (next_orphan < orphan_begins_.size() &&
          Overlap(hit, orphan_begins_[next_orphan].start, orphan_begins_[next_orphan].end)) {
        continue;
      }
      stray_ends_.push_back(hit);
    }
  }

  // A passage that holds its own tag's begin marker: nesting when an end marker that closes
  // nothing follows the passage (before the next one), an unclosed begin marker otherwise.
  void ReportInnerBegins() {
    size_t previous_passage = spans_.size();
    for (const auto& [passage, hit] : inner_begins_) {
      if (passage == previous_passage) continue;  // one report per passage
      previous_passage = passage;
      const TPassageSpan& span = spans_[passage];
      const size_t next_begin =
          passage + 1 < spans_.size() ? spans_[passage + 1].begin_marker : text_.size();
      const auto stray =
          std::lower_bound(stray_ends_.begin(), stray_ends_.end(), span.end_marker_end,
                           [](const TMarkerHit& end, size_t offset) { return end.start < offset; });
      const std::string outer = PlaceText(positions_, span.begin_marker);
      const std::string run_end = PlaceText(positions_, span.text_end);
      if (stray != stray_ends_.end() && stray->start < next_begin &&
          !consumed_ends_.contains(stray->start)) {
        consumed_ends_.insert(stray->start);
        const std::string closes_nothing = PlaceText(positions_, stray->start);
        Report(hit.start, Quoted(tag_.BeginMark) +
                              " inside a passage of the same tag that starts at " + outer +
                              " (nesting): the run ends that passage at the first " +
                              Quoted(tag_.EndMark) + " at " + run_end +
                              ", so the inner passage is lost and the " + Quoted(tag_.EndMark) +
                              " at " + closes_nothing + " closes nothing");
      } else {
        Report(span.begin_marker, Quoted(tag_.BeginMark) + " has no end marker before the next " +
                                      Quoted(tag_.BeginMark) + " at " +
                                      PlaceText(positions_, hit.start) +
                                      "; the run ends this passage only at the " +
                                      Quoted(tag_.EndMark) + " at " + run_end);
      }
    }
  }

  void Report(size_t offset, const std::string& message) {
    const TTextPosition place = positions_.PositionOf(offset);
    problems_.push_back({path_, place.line, place.column, ECheckSeverity::kWarning,
                         "tag " + Quoted(tag_.Name) + ": " + message});
  }

  const std::string& text_;
  TTagSearch& search_;
  const TTagInfo& tag_;
  const TScannedTag& scanned_;
  TTextPositionCursor& positions_;
  const std::filesystem::path& path_;
  std::vector<TCheckProblem>& problems_;
  std::vector<TPassageSpan> searched_spans_;  // when the scan gave none
  const std::vector<TPassageSpan>& spans_;
  std::vector<std::pair<size_t, TMarkerHit>> inner_begins_;  // passage index, match
  std::vector<TMarkerHit> orphan_begins_;
  std::vector<TMarkerHit> stray_ends_;
  std::set<size_t> consumed_ends_;
};

// The tags a run searches with, each compiled once; a pattern that does not compile is an
// error at its section (a run stops on it), added to problems when that is not null, and
// the tag is left out.
std::vector<TTagSearch> CompileTags(const TTagSetCheck& tag_set,
                                    const std::filesystem::path& tag_set_path,
                                    std::vector<TCheckProblem>* problems) {
  std::vector<TTagSearch> searches;
  for (size_t i = 0; i < tag_set.tags.size(); ++i) {
    const TTagInfo& tag = tag_set.tags[i];
    if (IsSkippedTag(tag)) continue;
    const std::string pattern = TaggedTextPattern(tag);
    try {
      TPatternEngine engine;
      engine.SetExpression(pattern);
      engine.Exec("");
    } catch (const EPatternError& error) {
      if (problems == nullptr) continue;
      problems->push_back({tag_set_path, i < tag_set.tag_lines.size() ? tag_set.tag_lines[i] : 1, 1,
                           ECheckSeverity::kError,
                           "tag " + Quoted(tag.Name) + ": pattern " + Quoted(pattern) +
                               " does not compile, and a run stops on it: " + error.what()});
      continue;
    }
    // A tag with the same markers as one before it finds the same problems again; the tag
    // set check has said so once.
    const bool repeated = std::any_of(searches.begin(), searches.end(), [&](const TTagSearch& s) {
      return s.tag->BeginMark == tag.BeginMark && s.tag->EndMark == tag.EndMark;
    });
    if (repeated) continue;
    searches.push_back(
        {&tag, CompiledMarker(BeginMarkerPattern(tag)), CompiledMarker(tag.EndMark)});
  }
  return searches;
}

std::vector<TCheckProblem> TagSetProblems(const TTagSetCheck& tag_set,
                                          const std::filesystem::path& tag_set_path) {
  std::vector<TCheckProblem> problems;
  for (const TTagSetProblem& problem : tag_set.problems) {
    problems.push_back(
        {tag_set_path, problem.line, problem.column, problem.severity, problem.message});
  }
  return problems;
}

// The tags the check searches with; each whose pattern does not compile is added to problems.
TTagArray SearchedTags(const TTagSetCheck& tag_set, const std::filesystem::path& tag_set_path,
                       std::vector<TCheckProblem>& problems) {
  TTagArray searched;
  for (const TTagSearch& search : CompileTags(tag_set, tag_set_path, &problems)) {
    searched.push_back(*search.tag);
  }
  return searched;
}

TScannedTag ScannedTag(const TScannedText& scanned, size_t k) {
  return {&scanned.spans[k], scanned.BeginMarkerHits(k), scanned.EndMarkerHits(k)};
}

std::string Counted(int count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace

TCheckedFile ReadFileForCheck(const std::filesystem::path& path) {
  TNarrowTextFile file = ReadNarrowJoinedText(path);
  TCheckedFile checked{std::move(file.text), {}};
  for (const TextReadWarning& warning : file.warnings) {
    checked.read_warnings.push_back(warning.Message());
  }
  return checked;
}

TMarkerCheck::TMarkerCheck(const std::filesystem::path& tag_set_path)
    : tag_set_path_(tag_set_path),
      tag_set_(CheckTagSet(TIniFile(tag_set_path))),
      tag_set_problems_(TagSetProblems(tag_set_, tag_set_path)),
      searched_tags_(SearchedTags(tag_set_, tag_set_path, tag_set_problems_)),
      scanner_(searched_tags_, tag_set_path) {}

TMarkerCheck::~TMarkerCheck() = default;

std::vector<TCheckProblem> TMarkerCheck::CheckText(
    const std::filesystem::path& path, const std::string& narrow_text,
    const std::vector<std::string>& read_warnings) const {
  // Every tag's matches and literal markers from one scan of the text; should that scan stop
  // on a search error, each tag searches alone and meets the error where it always did.
  TScannedText scanned;
  try {
    scanned = scanner_.ScanWithMarkerHits(narrow_text);
  } catch (const EPatternError&) {
  }
  std::vector<TScannedTag> given(searched_tags_.size());
  for (size_t k = 0; k < scanned.spans.size(); ++k) given[k] = ScannedTag(scanned, k);
  return CheckScanned(path, narrow_text, read_warnings, given);
}

std::vector<TCheckProblem> TMarkerCheck::CheckScannedText(
    const std::filesystem::path& path, const std::string& narrow_text,
    const std::vector<std::string>& read_warnings, const TTagArray& run_tags,
    const TScannedText& run_scan) const {
  // A tag's matches depend on its markers alone, so the run's matches of a tag with the same
  // markers serve.
  std::vector<TScannedTag> given;
  for (const TTagInfo& searched : searched_tags_) {
    TScannedTag& found = given.emplace_back();
    size_t scanned = 0;
    for (const TTagInfo& tag : run_tags) {
      if (IsSkippedTag(tag)) continue;
      if (scanned < run_scan.spans.size() && tag.BeginMark == searched.BeginMark &&
          tag.EndMark == searched.EndMark) {
        found = ScannedTag(run_scan, scanned);
        break;
      }
      ++scanned;
    }
  }
  return CheckScanned(path, narrow_text, read_warnings, given);
}

std::vector<TCheckProblem> TMarkerCheck::CheckScanned(
    const std::filesystem::path& path, const std::string& narrow_text,
    const std::vector<std::string>& read_warnings, const std::vector<TScannedTag>& scanned) const {
  std::vector<TCheckProblem> problems;
  for (const std::string& warning : read_warnings) {
    problems.push_back({path, 1, 1, ECheckSeverity::kWarning, warning});
  }
  std::unique_ptr<TSearches> searches = BorrowSearches();
  try {
    TTextPositionCursor positions(narrow_text);
    for (size_t k = 0; k < searches->size(); ++k) {
      TTagInTextCheck(narrow_text, (*searches)[k], scanned[k], positions, path, problems).Run();
    }
  } catch (const std::exception& error) {
    problems.push_back({path, 1, 1, ECheckSeverity::kError, error.what()});
  }
  ReturnSearches(std::move(searches));
  return problems;
}

// Each thread checks with compiled markers of its own (an engine serves one thread); sets
// that are done with wait here for the next file, so markers are compiled once per thread.
std::unique_ptr<TMarkerCheck::TSearches> TMarkerCheck::BorrowSearches() const {
  {
    const std::lock_guard lock(idle_searches_mutex_);
    if (!idle_searches_.empty()) {
      std::unique_ptr<TSearches> searches = std::move(idle_searches_.back());
      idle_searches_.pop_back();
      return searches;
    }
  }
  return std::make_unique<TSearches>(CompileTags(tag_set_, tag_set_path_, nullptr));
}

void TMarkerCheck::ReturnSearches(std::unique_ptr<TSearches> searches) const {
  const std::lock_guard lock(idle_searches_mutex_);
  idle_searches_.push_back(std::move(searches));
}

TCheckResult CheckCoding(const std::filesystem::path& tag_set_path,
                         const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader, unsigned jobs) {
  const TMarkerCheck check(tag_set_path);
  TCheckResult result;
  result.problems = check.tag_set_problems();
  result.tags_searched = check.tags_searched();
  result.tag_set_has_problems = !result.problems.empty();

  // Files are shared out to the workers one at a time, each file's problems in their own
  // slot, so the result does not depend on the number of workers. A file that cannot be
  // read is one error.
  std::vector<std::vector<TCheckProblem>> file_problems(files.size());
  std::atomic<size_t> next_file{0};
  auto work = [&] {
    for (size_t i = next_file++; i < files.size(); i = next_file++) {
      try {
        const TCheckedFile file = reader(files[i]);
        file_problems[i] = check.CheckText(files[i], file.narrow_text, file.read_warnings);
      } catch (const std::exception& error) {
        file_problems[i] = {{files[i], 1, 1, ECheckSeverity::kError, error.what()}};
      }
    }
  };
  if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::jthread> workers;
  for (unsigned j = 1; j < std::min<size_t>(jobs, files.size()); ++j) workers.emplace_back(work);
  work();
  for (std::jthread& worker : workers) worker.join();

  result.files_checked = static_cast<int>(files.size());
  for (std::vector<TCheckProblem>& problems : file_problems) {
    if (!problems.empty()) ++result.files_with_problems;
    std::move(problems.begin(), problems.end(), std::back_inserter(result.problems));
  }

  // The tag set first, then the files by path; within a file by line and column, problems
  // at one place in the order of the tags.
  std::stable_sort(result.problems.begin(), result.problems.end(),
                   [&](const TCheckProblem& a, const TCheckProblem& b) {
                     const bool a_tag_set = a.path == tag_set_path;
                     const bool b_tag_set = b.path == tag_set_path;
                     if (a_tag_set != b_tag_set) return a_tag_set;
                     if (a.path != b.path) return a.path < b.path;
                     return a.line != b.line ? a.line < b.line : a.column < b.column;
                   });
  return result;
}

std::string FormatCheckProblem(const TCheckProblem& problem) {
  return PathToNarrow(problem.path) + ":" + std::to_string(problem.line) + ":" +
         std::to_string(problem.column) + ": " +
         (problem.severity == ECheckSeverity::kError ? "error: " : "warning: ") + problem.message;
}

std::string ProblemPlacesText(bool in_tag_set, int files_with_problems, int files_checked) {
  return (in_tag_set ? "the tag set and " : "") + std::to_string(files_with_problems) + " of " +
         Counted(files_checked, "file", "files");
}

std::string FormatCheckSummary(const TCheckResult& result) {
  if (result.problems.empty())
    return "no problems in " + Counted(result.files_checked, "file", "files");
  return Counted(static_cast<int>(result.problems.size()), "problem", "problems") + " in " +
         ProblemPlacesText(result.tag_set_has_problems, result.files_with_problems,
                           result.files_checked);
}

}  // namespace farrowdale
