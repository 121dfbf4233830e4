// The marker check. For each file and tag it takes the passages of the run's own search and
// the places where each marker alone matches; every marker match that is not the begin or
// end of a passage is a problem, named by where it lies against the passages around it.
#include "count/marker_check.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <initializer_list>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "count/grouping_notes.h"
#include "count/tag_scanner.h"
#include "count/tagged_text.h"
#include "regex/pattern_engine.h"
#include "tagset/tag_set.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"
#include "text/text_position.h"
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

// The element an end marker closes when it is a closing tag "</NAME>" and the begin marker
// opens that element ("<NAME" then no further name character); empty otherwise. Such an end
// marker also closes the tag's other elements of that name, which the begin marker does not
// open.
std::string SharedElement(const TTagInfo& tag) {
  const std::string& end = tag.EndMark;
  if (end.size() < 4 || end.compare(0, 2, "</") != 0 || end.back() != '>') return {};
  const std::string name = end.substr(2, end.size() - 3);
  const auto name_char = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.' ||
           c == ':';
  };
  if (!std::all_of(name.begin(), name.end(), name_char) ||
      std::isdigit(static_cast<unsigned char>(name[0])) != 0) {
    return {};
  }
  const std::string& begin = tag.BeginMark;
  const std::string opening = "<" + name;
  if (begin.size() <= opening.size() || begin.compare(0, opening.size(), opening) != 0 ||
      name_char(begin[opening.size()])) {
    return {};
  }
  return name;
}

// Where element openings "<NAME" (not "<NAME/>", which opens and closes at once) stand in the
// text, in order.
std::vector<size_t> ElementOpenings(const std::string& text, const std::string& name) {
  std::vector<size_t> openings;
  const std::string opening = "<" + name;
  for (size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1)) {
    const size_t after = at + opening.size();
    if (after >= text.size()) break;
    const char next = text[after];
    if (next != '>' && next != '/' && next != ' ' && next != '\t' && next != '\r' && next != '\n') {
      continue;
    }
    const size_t close = text.find('>', after);
    if (close != std::string::npos && text[close - 1] == '/') continue;
    openings.push_back(at);
  }
  return openings;
}

}  // namespace

// One problem as the check finds it, placed and worded only when it is shown.
struct TFoundProblem {
  size_t offset = 0;  // where it is reported
  ECheckKind kind = ECheckKind::kFile;
  uint32_t tag = 0;  // searched tag; for a file message, the index of its message
  // Further places its message names: for kNested the passage's start, the run's end of it
  // and the end marker that closes nothing; for kOpenBeforeNext the next begin marker and
  // the run's end; for kCutShort the passage's start and the run's end.
  size_t places[3] = {0, 0, 0};
};

// What checking one file found: every problem counted by tag and kind, the first ones of
// each kept to be shown (placed in the text once the check is done with it), and the end
// markers set apart as closing other elements.
struct TFileFindings {
  // The file messages (kFile, kMarkerSearch), by index.
  std::vector<std::pair<ECheckSeverity, std::string>> file_messages;
  std::vector<TFoundProblem> kept;    // by offset; at one offset in the order found
  std::vector<TCheckProblem> placed;  // kept[i] placed and worded, once the check is done
  std::vector<int64_t> counts;        // per group (GroupIndex); notes are in none
  std::vector<int64_t> shared_ends;   // per searched tag
  int64_t keep_per_group = kAllLines;

  int64_t total() const {
    int64_t sum = 0;
    for (int64_t count : counts) sum += count;
    return sum;
  }
};

namespace {

// Whether a problem is a message about a whole text file: how it was read or why it could not
// be, or why its markers could not be searched.
bool IsFileMessage(ECheckKind kind) {
  return kind == ECheckKind::kFile || kind == ECheckKind::kMarkerSearch;
}

// Groups of problems: the tag set's, the files' reading and their marker search first, then
// each searched tag's kinds.
size_t GroupIndex(ECheckKind kind, uint32_t tag) {
  const bool of_tag = kind != ECheckKind::kTagSet && !IsFileMessage(kind);
  return (of_tag ? tag + 1 : 0) * kCheckKindCount + static_cast<size_t>(kind);
}

size_t GroupCount(size_t tags) { return (tags + 1) * kCheckKindCount; }

void AddFound(TFileFindings& findings, const TFoundProblem& found) {
  int64_t& count = findings.counts[GroupIndex(found.kind, found.tag)];
  if (findings.keep_per_group == kAllLines || count < findings.keep_per_group) {
    findings.kept.push_back(found);
  }
  ++count;
}

// A message about the whole file, of kind kFile or kMarkerSearch. A note (how the file was
// read) is kept to be listed whatever the limit, and counted nowhere: it is no problem.
void AddFileMessage(TFileFindings& findings, ECheckKind kind, ECheckSeverity severity,
                    std::string message) {
  TFoundProblem found;
  found.kind = kind;
  found.tag = static_cast<uint32_t>(findings.file_messages.size());
  findings.file_messages.emplace_back(severity, std::move(message));
  if (severity == ECheckSeverity::kNote) {
    findings.kept.push_back(found);
  } else {
    AddFound(findings, found);
  }
}

bool IsNote(const TFileFindings& findings, const TFoundProblem& found) {
  return IsFileMessage(found.kind) &&
         findings.file_messages[found.tag].first == ECheckSeverity::kNote;
}

// Checks one file's text with one tag and adds what it finds.
class TTagInTextCheck {
 public:
  // scanned: what a scan already found; the rest is searched for here.
  TTagInTextCheck(const std::string& text, TTagSearch& search, uint32_t tag_index,
                  const TScannedTag& scanned, TFileFindings& findings)
      : text_(text),
        search_(search),
        tag_(*search.tag),
        tag_index_(tag_index),
        scanned_(scanned),
        findings_(findings),
        spans_(scanned.spans != nullptr ? *scanned.spans : searched_spans_) {}

  void Run() {
    if (scanned_.spans == nullptr) {
      ForEachTaggedSpan(text_, tag_,
                        [&](const TPassageSpan& span) { searched_spans_.push_back(span); });
    }
    for (const TPassageSpan& span : spans_) {
      const std::string_view passage =
          std::string_view(text_).substr(span.text_begin, span.text_end - span.text_begin);
      if (Trim(passage).empty()) Report(span.begin_marker, ECheckKind::kEmptyPassage);
    }
    SortMarkers();
    SetApartSharedEnds();
    ReportInnerBegins();
    for (const TMarkerHit& hit : orphan_begins_) Report(hit.start, ECheckKind::kNoEnd);
    for (const TMarkerHit& hit : stray_ends_) {
      if (!consumed_ends_.contains(hit.start)) Report(hit.start, ECheckKind::kStrayEnd);
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
    TPlaceCursor begin_places(spans_);
    begin_hits_ = &MarkerHits(scanned_.begin_hits, search_.begin.get(), searched_begins_);
    for (const TMarkerHit& hit : *begin_hits_) {
      const TPlace place = begin_places.PlaceOf(hit);
      if (place.kind == TPlace::EKind::kInsidePassage)
        inner_begins_.emplace_back(place.passage, hit);
      if (place.kind == TPlace::EKind::kOutside) orphan_begins_.push_back(hit);
    }
    // An end marker that matches where a begin marker without passage stands (a tag whose two
    // markers are the same) is reported once, as that begin marker.
    size_t next_orphan = 0;
    TPlaceCursor end_places(spans_);
    std::vector<TMarkerHit> searched_ends;
    for (const TMarkerHit& hit : MarkerHits(scanned_.end_hits, search_.end.get(), searched_ends)) {
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
      if (stray != stray_ends_.end() && stray->start < next_begin &&
          !consumed_ends_.contains(stray->start)) {
        consumed_ends_.insert(stray->start);
        Report(hit.start, ECheckKind::kNested, {span.begin_marker, span.text_end, stray->start});
      } else {
        Report(span.begin_marker, ECheckKind::kOpenBeforeNext, {hit.start, span.text_end, 0});
      }
    }
  }

  // Where the end marker closes an element its begin marker opens, the element's openings
  // and end markers are matched up as nested elements. A stray end marker that closes an
  // opening the begin marker did not make is no problem: it is counted apart. One that
  // closes a passage's own opening after the end marker of another element inside that
  // passage ended it is a passage cut short. Both leave the stray end markers before they are
  // taken for nesting; one that closes nothing, or closes this tag's opening otherwise, stays.
  void SetApartSharedEnds() {
    const std::string element = SharedElement(tag_);
    if (element.empty() || stray_ends_.empty()) return;
    const std::vector<size_t> openings = ElementOpenings(text_, element);
    struct TOpening {
      size_t at;
      bool own;  // the begin marker made it
    };
    std::vector<TOpening> open;     // innermost last
    std::set<size_t> cut_passages;  // begin markers of passages another element's end ended
    size_t next_begin = 0;
    size_t next_opening = 0;
    size_t next_passage = 0;
    // Opens what stands before offset.
    const auto open_before = [&](size_t offset) {
      for (; next_opening < openings.size() && openings[next_opening] < offset; ++next_opening) {
        const size_t at = openings[next_opening];
        while (next_begin < begin_hits_->size() && (*begin_hits_)[next_begin].start < at) {
          ++next_begin;
        }
        open.push_back(
            {at, next_begin < begin_hits_->size() && (*begin_hits_)[next_begin].start == at});
      }
    };
    const auto close = [&open]() -> std::optional<TOpening> {
      if (open.empty()) return std::nullopt;
      const TOpening closed = open.back();
      open.pop_back();
      return closed;
    };
    std::vector<TMarkerHit> left;
    int64_t shared = 0;
    for (const TMarkerHit& end : stray_ends_) {
      // The passages' end markers before it close what they close.
      for (; next_passage < spans_.size() && spans_[next_passage].text_end < end.start;
           ++next_passage) {
        const TPassageSpan& span = spans_[next_passage];
        open_before(span.text_end);
        const std::optional<TOpening> closed = close();
        if (closed && !closed->own) cut_passages.insert(span.begin_marker);
      }
      open_before(end.start);
      const std::optional<TOpening> closed = close();
      if (closed && !closed->own) {
        ++shared;
      } else if (closed && cut_passages.contains(closed->at)) {
        const auto span = std::lower_bound(
            spans_.begin(), spans_.end(), closed->at,
            [](const TPassageSpan& passage, size_t at) { return passage.begin_marker < at; });
        Report(end.start, ECheckKind::kCutShort, {closed->at, span->text_end});
      } else {
        left.push_back(end);
      }
    }
    findings_.shared_ends[tag_index_] += shared;
    stray_ends_ = std::move(left);
  }

  void Report(size_t offset, ECheckKind kind, std::initializer_list<size_t> places = {}) {
    TFoundProblem found;
    found.offset = offset;
    found.kind = kind;
    found.tag = tag_index_;
    std::copy(places.begin(), places.end(), found.places);
    AddFound(findings_, found);
  }

  const std::string& text_;
  TTagSearch& search_;
  const TTagInfo& tag_;
  const uint32_t tag_index_;
  const TScannedTag& scanned_;
  TFileFindings& findings_;
  std::vector<TPassageSpan> searched_spans_;  // when the scan gave none
  const std::vector<TPassageSpan>& spans_;
  std::vector<TMarkerHit> searched_begins_;  // when the scan gave none
  const std::vector<TMarkerHit>* begin_hits_ = nullptr;
  std::vector<std::pair<size_t, TMarkerHit>> inner_begins_;  // passage index, match
  std::vector<TMarkerHit> orphan_begins_;
  std::vector<TMarkerHit> stray_ends_;
  std::set<size_t> consumed_ends_;
};

// The message of a problem a tag's check found, its places named as LINE:COLUMN.
std::string TagProblemMessage(const TFoundProblem& found, const TTagInfo& tag,
                              TTextPositionCursor& positions) {
  const std::string begin = Quoted(tag.BeginMark);
  const std::string end = Quoted(tag.EndMark);
  std::string message;
  switch (found.kind) {
    case ECheckKind::kEmptyPassage:
      message = "empty passage between " + begin + " and " + end + "; the run skips it";
      break;
    case ECheckKind::kNoEnd:
      message =
          begin + " has no end marker " + end + " after it; the run takes no passage from here";
      break;
    case ECheckKind::kStrayEnd:
      message = end + " has no begin marker " + begin + " before it";
      break;
    case ECheckKind::kNested:
      message = begin + " inside a passage of the same tag that starts at " +
                PlaceText(positions, found.places[0]) +
                " (nesting): the run ends that passage at the first " + end + " at " +
                PlaceText(positions, found.places[1]) + ", so the inner passage is lost and the " +
                end + " at " + PlaceText(positions, found.places[2]) + " closes nothing";
      break;
    case ECheckKind::kOpenBeforeNext:
      message = begin + " has no end marker before the next " + begin + " at " +
                PlaceText(positions, found.places[0]) + "; the run ends this passage only at the " +
                end + " at " + PlaceText(positions, found.places[1]);
      break;
    case ECheckKind::kCutShort:
      message = end + " closes the passage that starts at " +
                PlaceText(positions, found.places[0]) + ", but the run ends that passage at the " +
                end + " at " + PlaceText(positions, found.places[1]) +
                " of another element inside it, so the passage is cut short";
      break;
    case ECheckKind::kTagSet:
    case ECheckKind::kFile:
    case ECheckKind::kMarkerSearch:
      break;
  }
  return "tag " + Quoted(tag.Name) + ": " + message;
}

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
                               " does not compile, and a run stops on it: " + error.what(),
                           ECheckKind::kTagSet});
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
    problems.push_back({tag_set_path, problem.line, problem.column, problem.severity,
                        problem.message, ECheckKind::kTagSet});
  }
  return problems;
}

// The tags the check searches with, and the line of each one's section in lines; each whose
// pattern does not compile is added to problems.
TTagArray SearchedTags(const TTagSetCheck& tag_set, const std::filesystem::path& tag_set_path,
                       std::vector<TCheckProblem>& problems, std::vector<int>& lines) {
  TTagArray searched;
  for (const TTagSearch& search : CompileTags(tag_set, tag_set_path, &problems)) {
    searched.push_back(*search.tag);
    const auto index = static_cast<size_t>(search.tag - tag_set.tags.data());
    lines.push_back(index < tag_set.tag_lines.size() ? tag_set.tag_lines[index] : 1);
  }
  return searched;
}

TScannedTag ScannedTag(const TScannedText& scanned, size_t k) {
  return {&scanned.spans[k], scanned.BeginMarkerHits(k), scanned.EndMarkerHits(k)};
}

std::string Counted(int64_t count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace

std::vector<TMarkerHit> FindMarkerHits(const std::string& marker, const std::string& narrow_text) {
  return FindMarkers(CompiledMarker(marker).get(), narrow_text);
}

TCheckedFile ReadFileForCheck(const std::filesystem::path& path) {
  TNarrowTextFile file = ReadNarrowJoinedText(path);
  TCheckedFile checked{std::move(file.text), {}};
  for (const TextReadWarning& warning : file.warnings) {
    checked.read_warnings.push_back(warning.Message());
  }
  return checked;
}

TMarkerCheck::TMarkerCheck(const std::filesystem::path& tag_set_path)
    : TMarkerCheck(tag_set_path, CheckTagSet(TIniFile::ReadOnce(tag_set_path))) {}

TMarkerCheck::TMarkerCheck(const std::filesystem::path& tag_set_path, TTagSetCheck tag_set)
    : tag_set_path_(tag_set_path),
      tag_set_(std::move(tag_set)),
      tag_set_problems_(TagSetProblems(tag_set_, tag_set_path)),
      searched_tags_(SearchedTags(tag_set_, tag_set_path, tag_set_problems_, searched_lines_)),
      scanner_(searched_tags_, tag_set_path) {
  // In file order: the patterns that do not compile among the rest.
  std::stable_sort(tag_set_problems_.begin(), tag_set_problems_.end(),
                   [](const TCheckProblem& a, const TCheckProblem& b) {
                     return a.line != b.line ? a.line < b.line : a.column < b.column;
                   });
}

TMarkerCheck::~TMarkerCheck() = default;

TFileFindings TMarkerCheck::Findings(const std::vector<std::string>& read_warnings,
                                     int64_t keep_per_group) const {
  TFileFindings findings;
  findings.keep_per_group = keep_per_group;
  findings.counts.assign(GroupCount(searched_tags_.size()), 0);
  findings.shared_ends.assign(searched_tags_.size(), 0);
  for (const std::string& warning : read_warnings) {
    AddFileMessage(findings, ECheckKind::kFile, ECheckSeverity::kNote, warning);
  }
  return findings;
}

std::vector<TCheckProblem> TMarkerCheck::CheckText(
    const std::filesystem::path& path, const std::string& narrow_text,
    const std::vector<std::string>& read_warnings) const {
  TFileFindings findings = Findings(read_warnings, kAllLines);
  TScannedText scan;
  CheckScanned(narrow_text, OwnScan(narrow_text, scan), findings);
  return Described(path, narrow_text, findings);
}

std::vector<TScannedTag> TMarkerCheck::OwnScan(const std::string& narrow_text,
                                               TScannedText& scan) const {
  // Every tag's matches and literal markers from one scan of the text.
  try {
    scan = scanner_.ScanWithMarkerHits(narrow_text);
  } catch (const EPatternError&) {
    scan = {};
  }
  std::vector<TScannedTag> given(searched_tags_.size());
  for (size_t k = 0; k < scan.spans.size(); ++k) given[k] = ScannedTag(scan, k);
  return given;
}

std::vector<TScannedTag> TMarkerCheck::RunScanned(const TTagArray& run_tags,
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
  return given;
}

std::vector<TCheckProblem> TMarkerCheck::CheckScannedText(
    const std::filesystem::path& path, const std::string& narrow_text,
    const std::vector<std::string>& read_warnings, const TTagArray& run_tags,
    const TScannedText& run_scan) const {
  TFileFindings findings = Findings(read_warnings, kAllLines);
  CheckScanned(narrow_text, RunScanned(run_tags, run_scan), findings);
  return Described(path, narrow_text, findings);
}

void TMarkerCheck::CheckScanned(const std::string& narrow_text,
                                const std::vector<TScannedTag>& scanned,
                                TFileFindings& findings) const {
  std::unique_ptr<TSearches> searches = BorrowSearches();
  try {
    for (size_t k = 0; k < searches->size(); ++k) {
      TTagInTextCheck(narrow_text, (*searches)[k], static_cast<uint32_t>(k), scanned[k], findings)
          .Run();
    }
  } catch (const std::exception& error) {
    AddFileMessage(findings, ECheckKind::kMarkerSearch, ECheckSeverity::kError, error.what());
  }
  ReturnSearches(std::move(searches));
  // By place; problems at one place in the order found (the file's reading first, then by
  // tag).
  std::stable_sort(
      findings.kept.begin(), findings.kept.end(),
      [](const TFoundProblem& a, const TFoundProblem& b) { return a.offset < b.offset; });
}

// Places and words the problems a check of one text found; made for one file at a time.
class TFindingsDescriber {
 public:
  TFindingsDescriber(const std::filesystem::path& path, const std::string& text,
                     const TFileFindings& findings, const TTagArray& tags)
      : path_(path), findings_(findings), tags_(tags), positions_(text) {}

  TCheckProblem Describe(const TFoundProblem& found) {
    if (IsFileMessage(found.kind)) {
      const auto& [severity, message] = findings_.file_messages[found.tag];
      return {path_, 1, 1, severity, message, found.kind};
    }
    const TTagInfo& tag = tags_[found.tag];
    const TTextPosition place = positions_.PositionOf(found.offset);
    std::string message = TagProblemMessage(found, tag, positions_);
    return {path_,      place.line, place.column, ECheckSeverity::kWarning, std::move(message),
            found.kind, tag.Name};
  }

 private:
  const std::filesystem::path& path_;
  const TFileFindings& findings_;
  const TTagArray& tags_;
  TTextPositionCursor positions_;
};

std::vector<TCheckProblem> TMarkerCheck::Described(const std::filesystem::path& path,
                                                   const std::string& text,
                                                   const TFileFindings& findings) const {
  TFindingsDescriber describer(path, text, findings, searched_tags_);
  std::vector<TCheckProblem> problems;
  problems.reserve(findings.kept.size());
  for (const TFoundProblem& found : findings.kept) problems.push_back(describer.Describe(found));
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

namespace {

// Each searched tag's distinct trimmed, non-empty passages in the scanned text, each placed
// where it first occurs; none when the scan stopped on a search error.
std::vector<std::vector<TNotePassage>> PassagesOf(const std::filesystem::path& path,
                                                  const std::string& text,
                                                  const std::vector<TScannedTag>& scanned) {
  std::vector<std::vector<TNotePassage>> passages;
  const bool whole = std::all_of(scanned.begin(), scanned.end(),
                                 [](const TScannedTag& tag) { return tag.spans != nullptr; });
  if (!whole) return passages;
  const std::string file_name = PathToNarrow(path.filename());
  // One cursor for every tag: its lines are found once per file, and each tag's passages
  // come in order.
  TTextPositionCursor positions(text);
  const auto place_of = [&](std::string_view passage) {
    return file_name + ":" +
           PlaceText(positions, static_cast<size_t>(passage.data() - text.data()));
  };
  std::vector<std::string_view> tag_passages;
  for (const TScannedTag& scanned_tag : scanned) {
    tag_passages.clear();
    for (const TPassageSpan& span : *scanned_tag.spans) {
      const std::string_view passage =
          Trim(std::string_view(text).substr(span.text_begin, span.text_end - span.text_begin));
      if (!passage.empty()) tag_passages.push_back(passage);
    }
    passages.push_back(DistinctNotePassages(tag_passages, place_of));
  }
  return passages;
}

}  // namespace

// The listing of a check over many files, fed their findings in the listing's order: counts
// every problem by tag and kind, lists the first ones of each up to the limit, and sums the
// end markers set apart.
class TCheckListing {
 public:
  TCheckListing(const TMarkerCheck& check, const TCheckOptions& options, TCheckResult& result)
      : check_(check),
        options_(options),
        result_(result),
        groups_(GroupCount(check.searched_tags_.size())),
        shared_ends_(check.searched_tags_.size(), 0),
        grouping_notes_(check.searched_tags_.size()) {
    for (const TCheckProblem& problem : check.tag_set_problems()) {
      TCheckGroup& group = Group(problem.kind, 0);
      if (group.count == 0) group.first = problem;
      ++group.count;
      List(group, problem);
    }
    result_.tag_set_has_problems = !check.tag_set_problems().empty();
    result_.problem_count = static_cast<int64_t>(check.tag_set_problems().size());
  }

  // How many problems of each tag and kind a file's findings must keep to be listed.
  int64_t KeepPerGroup() const {
    return options_.lines_per_group == kAllLines ? kAllLines
                                                 : std::max<int64_t>(options_.lines_per_group, 1);
  }

  void AddFile(const TFileFindings& findings) {
    ++result_.files_checked;
    AddSharedEnds(findings);
    const int64_t total = findings.total();
    if (total > 0) {
      ++result_.files_with_problems;
      result_.problem_count += total;
    }
    for (size_t i = 0; i < groups_.size(); ++i) {
      if (findings.counts[i] == 0) continue;
      groups_[i].count += findings.counts[i];
      ++groups_[i].files;
    }
    for (size_t i = 0; i < findings.kept.size(); ++i) {
      const TFoundProblem& found = findings.kept[i];
      const TCheckProblem& problem = findings.placed[i];
      // Notes belong to no group: listed in full, unless nothing is listed.
      if (IsNote(findings, found)) {
        if (options_.lines_per_group != 0) Emit(problem);
        continue;
      }
      TCheckGroup& group = Group(found.kind, found.tag);
      if (group.files == 1 && group.first.message.empty()) group.first = problem;
      List(group, problem);
    }
  }

  // The file at listed_at in the listing's order: each searched tag's passages for the grouping
  // notes (PassagesOf). Safe from several threads at once, so that the thread that checks a
  // file adds them, in any order of the files.
  void AddNotePassages(size_t listed_at, std::vector<std::vector<TNotePassage>>&& passages) {
    for (size_t k = 0; k < passages.size(); ++k) {
      grouping_notes_.AddFile(k, listed_at, std::move(passages[k]));
    }
  }

  void Finish() {
    for (size_t i = 0; i < groups_.size(); ++i) {
      if (groups_[i].count == 0) continue;
      TCheckGroup& group = groups_[i];
      group.kind = static_cast<ECheckKind>(i % kCheckKindCount);
      if (i >= kCheckKindCount) group.tag = check_.searched_tags_[i / kCheckKindCount - 1].Name;
      result_.groups.push_back(std::move(group));
    }
    for (size_t k = 0; k < shared_ends_.size(); ++k) {
      if (shared_ends_[k] == 0) continue;
      const TTagInfo& tag = check_.searched_tags_[k];
      result_.notes.push_back({check_.tag_set_path_, check_.searched_lines_[k], tag.Name,
                               tag.EndMark, SharedElement(tag), shared_ends_[k]});
    }
    for (size_t k = 0; k < check_.searched_tags_.size(); ++k) {
      for (std::string& note : grouping_notes_.Notes(k, check_.searched_tags_[k].Name)) {
        result_.grouping_notes.push_back({check_.tag_set_path_, check_.searched_lines_[k], 1,
                                          ECheckSeverity::kNote, std::move(note),
                                          ECheckKind::kTagSet, check_.searched_tags_[k].Name});
      }
    }
  }

 private:
  TCheckGroup& Group(ECheckKind kind, uint32_t tag) { return groups_[GroupIndex(kind, tag)]; }

  bool Listable(const TCheckGroup& group) const {
    return options_.lines_per_group == kAllLines || group.listed < options_.lines_per_group;
  }

  void List(TCheckGroup& group, const TCheckProblem& problem) {
    if (!Listable(group)) return;
    ++group.listed;
    Emit(problem);
  }

  void Emit(const TCheckProblem& problem) {
    if (options_.on_listed) {
      options_.on_listed(problem);
    } else {
      result_.problems.push_back(problem);
    }
  }

  void AddSharedEnds(const TFileFindings& findings) {
    for (size_t k = 0; k < shared_ends_.size(); ++k) shared_ends_[k] += findings.shared_ends[k];
  }

  const TMarkerCheck& check_;
  const TCheckOptions& options_;
  TCheckResult& result_;
  std::vector<TCheckGroup> groups_;  // by GroupIndex
  std::vector<int64_t> shared_ends_;
  // Keeps each tag's distinct passages over all files: the notes need every one of them.
  TGroupingNotes grouping_notes_;
};

TFileCheck::TFileCheck() = default;
TFileCheck::TFileCheck(TFileCheck&&) noexcept = default;
TFileCheck& TFileCheck::operator=(TFileCheck&&) noexcept = default;
TFileCheck::~TFileCheck() = default;

int64_t TFileCheck::problem_count() const { return findings_->total(); }

std::vector<TCheckProblem> TFileCheck::FirstProblems(size_t count) const {
  std::vector<TCheckProblem> first;
  for (size_t i = 0; i < findings_->kept.size() && first.size() < count; ++i) {
    if (!IsNote(*findings_, findings_->kept[i])) first.push_back(findings_->placed[i]);
  }
  return first;
}

TCodingCheck::TCodingCheck(const std::filesystem::path& tag_set_path, TCheckOptions options)
    : owned_check_(std::make_unique<TMarkerCheck>(tag_set_path)),
      check_(*owned_check_),
      options_(std::move(options)) {
  result_.tags_searched = check_.tags_searched();
  listing_ = std::make_unique<TCheckListing>(check_, options_, result_);
}

TCodingCheck::TCodingCheck(const TMarkerCheck& check, TCheckOptions options)
    : check_(check), options_(std::move(options)) {
  result_.tags_searched = check_.tags_searched();
  listing_ = std::make_unique<TCheckListing>(check_, options_, result_);
}

TCodingCheck::~TCodingCheck() = default;

std::vector<const std::filesystem::path*> TCodingCheck::ListingOrder(
    const std::vector<std::filesystem::path>& files) {
  std::vector<const std::filesystem::path*> ordered;
  for (const std::filesystem::path& file : files) ordered.push_back(&file);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const auto* a, const auto* b) { return *a < *b; });
  return ordered;
}

// Each file's findings are made apart from the listing, so the result does not depend on
// which thread checked which file.
TFileCheck TCodingCheck::CheckFile(size_t listed_at, const std::filesystem::path& path,
                                   const TCheckFileReader& reader) const {
  const int64_t keep = listing_->KeepPerGroup();
  try {
    const TCheckedFile read = reader(path);
    TScannedText scan;
    return Checked(listed_at, path, read.narrow_text, read.read_warnings,
                   check_.OwnScan(read.narrow_text, scan), keep);
  } catch (const std::exception& error) {
    TFileCheck file;
    file.findings_ = std::make_unique<TFileFindings>(check_.Findings({}, keep));
    AddFileMessage(*file.findings_, ECheckKind::kFile, ECheckSeverity::kError, error.what());
    file.findings_->placed = check_.Described(path, {}, *file.findings_);
    return file;
  }
}

TFileCheck TCodingCheck::CheckScannedFile(size_t listed_at, const std::filesystem::path& path,
                                          const std::string& narrow_text, const TTagArray& run_tags,
                                          const TScannedText& run_scan, size_t first_wanted) const {
  int64_t keep = listing_->KeepPerGroup();
  if (keep != kAllLines) keep = std::max(keep, static_cast<int64_t>(first_wanted));
  return Checked(listed_at, path, narrow_text, {}, check_.RunScanned(run_tags, run_scan), keep);
}

TFileCheck TCodingCheck::Checked(size_t listed_at, const std::filesystem::path& path,
                                 const std::string& narrow_text,
                                 const std::vector<std::string>& read_warnings,
                                 const std::vector<TScannedTag>& scanned,
                                 int64_t keep_per_group) const {
  TFileCheck file;
  file.findings_ = std::make_unique<TFileFindings>(check_.Findings(read_warnings, keep_per_group));
  TFileFindings& findings = *file.findings_;
  check_.CheckScanned(narrow_text, scanned, findings);
  findings.placed = check_.Described(path, narrow_text, findings);
  // Added here, on the checking thread, once nothing more can fail: the notes take a file
  // whole or not at all.
  if (options_.grouping_notes) {
    listing_->AddNotePassages(listed_at, PassagesOf(path, narrow_text, scanned));
  }
  return file;
}

void TCodingCheck::AddFile(TFileCheck file) { listing_->AddFile(*file.findings_); }

TCheckResult TCodingCheck::Finish() {
  listing_->Finish();
  return std::move(result_);
}

namespace {

const char* SeverityLabel(ECheckSeverity severity) {
  switch (severity) {
    case ECheckSeverity::kError:
      return "error: ";
    case ECheckSeverity::kWarning:
      return "warning: ";
    case ECheckSeverity::kNote:
      return "note: ";
  }
  return "";
}

}  // namespace

bool ChangesCounts(const TCheckProblem& problem) {
  return problem.severity != ECheckSeverity::kNote;
}

std::string FormatCheckProblem(const TCheckProblem& problem) {
  return PathToNarrow(problem.path) + ":" + std::to_string(problem.line) + ":" +
         std::to_string(problem.column) + ": " + SeverityLabel(problem.severity) + problem.message;
}

std::string ProblemPlacesText(bool in_tag_set, int files_with_problems, int files_checked) {
  return (in_tag_set ? "the tag set and " : "") + std::to_string(files_with_problems) + " of " +
         Counted(files_checked, "file", "files");
}

std::string FormatCheckSummary(const TCheckResult& result) {
  if (result.problem_count == 0) {
    return "no problems in " + Counted(result.files_checked, "file", "files");
  }
  return Counted(result.problem_count, "problem", "problems") + " in " +
         ProblemPlacesText(result.tag_set_has_problems, result.files_with_problems,
                           result.files_checked);
}

}  // namespace farrowdale
