#include "regex/matcher.h"

#include <algorithm>
#include <cstring>

#include "regex/byte_search.h"
#include "regex/error_text.h"
#include "regex/literal_search.h"
#include "regex/pattern_search.h"
#include "regex/program_nodes.h"
#include "text/code_page.h"

namespace farrowdale::regex {
namespace {

// Backtracking frames: choice points to resume, and undo records applied on the way back.
enum FrameOp : int32_t {
  kResumeNode,          // a: node, b: cursor
  kResumeGreedyRepeat,  // a: repetition node, b: cursor last tried, c: lowest cursor
  kResumeLazyRepeat,    // a: repetition node, b: cursor last tried, c: highest cursor
  kResumeLoopExit,      // a: Loop node, b: cursor (leave the loop after a failed iteration)
  kResumeLoopIterate,   // a: LoopLazy node, b: cursor (iterate after a failed exit)
  kUndoCapture,         // a: capture index, b: old value
  kUndoLoop,            // a: loop index | its Loop node << 4, b: its counter, c: its start
  kUndoLoopBack,        // a: LoopBack slot, b: old position
  // Reached on the way back only when every cursor of a repetition's entry failed after it:
  // a: repetition node, b: lowest cursor, c: highest cursor.
  kRecordFailedRepeat,
};

// Bounds the walk over zero-width nodes that looks for the literal after a repetition.
constexpr int kLookAheadSteps = 16;

// Backtracks a search may make before it starts remembering failed states: most searches
// never get there and pay nothing for the memo.
constexpr int64_t kDefaultMemoThreshold = 1 << 15;
int64_t memo_threshold = kDefaultMemoThreshold;
// With back-references the memo is unsound (the captures decide the outcome), so a search
// has a budget of backtracks instead: a fixed allowance plus some per character searched.
constexpr int64_t kBudgetBase = 20'000'000;
constexpr int64_t kBudgetPerChar = 16;

constexpr uint64_t kNoLoopKey = ~uint64_t{0};

// The step functions and the backtrack routine are compiled into Run, the engine's hottest
// loop: as calls, the cursor passed by reference and the dispatch cost a third more
// instructions per node (callgrind, backtracking-heavy searches).
#define MATCHER_STEP [[gnu::always_inline]] inline

}  // namespace

void Matcher::Prepare(const Program& program, const SubjectView& subject) {
  code_ = program.code.data();
  subject_ = &subject;
  text_ = subject.text;
  length_ = subject.length;
  if (memo_code_data_ != program.code.data() || memo_code_ != program.code) {
    memo_code_data_ = program.code.data();
    memo_code_ = program.code;
    memo_points_ = FindMemoPoints(program.code);
    plans_.clear();
    plan_of_node_.assign(program.code.size(), -1);
  }
  guard_loop_backs_ = program.has_back_refs;
  if (guard_loop_backs_) {
    loop_back_slot_.assign(program.code.size(), -1);
    loop_back_pos_.clear();
  }
}

void SetMemoThresholdForTesting(int64_t backtracks) {
  memo_threshold = backtracks > 0 ? backtracks : kDefaultMemoThreshold;
}

void Matcher::NewSubject() {
  literal_cache_.clear();
  known_runs_.clear();
}

void Matcher::BeginSearch(int32_t start) {
  backtracks_ = 0;
  failed_repeats_.clear();
  if (memo_on_) failed_.Release();
  memo_on_ = false;
  budget_ = guard_loop_backs_ ? kBudgetBase + kBudgetPerChar * (int64_t{length_} - start + 1) : 0;
}

void Matcher::ReleaseSpareMemory() {
  stack_.ReleaseSpare();
  failed_.Release();
  memo_on_ = false;
}

void Matcher::CountBacktrack() {
  ++backtracks_;
  if (guard_loop_backs_) {
    if (backtracks_ > budget_) throw MakePatternError(kErrSearchTooComplex, 0);
  } else if (backtracks_ == memo_threshold) {
    memo_on_ = true;
    failed_.Start(memo_points_.rows, length_);
  }
}

void Matcher::PushUndoLoop(int li) {
  stack_.Push(kUndoLoop, li | loop_nodes_[li] << 4, loop_counters_[li], loop_starts_[li]);
}

// What of the active loops can still change the outcome from pos: for each, its counter up
// to the value beyond which the Loop node no longer tells counts apart, and whether its
// iteration started at pos (an empty iteration is not repeated). Mixed-radix digits, or
// kNoLoopKey when they do not fit 64 bits (the state is then not remembered).
uint64_t Matcher::LoopKey(int32_t pos) const {
  uint64_t key = static_cast<uint64_t>(loop_index_);
  uint64_t scale = kMaxActiveLoops + 1;
  for (int li = 1; li <= loop_index_; ++li) {
    const auto [min, max] = LoopBounds(code_, loop_nodes_[li]);
    const uint64_t cap = static_cast<uint64_t>(max >= kOpenBraceMax ? std::max(min, 1) : max);
    const uint64_t counter = std::min(static_cast<uint64_t>(loop_counters_[li]), cap);
    const uint64_t radix = (cap + 1) * 2;
    if (scale > kNoLoopKey / radix) return kNoLoopKey;
    key += (counter * 2 + (loop_starts_[li] == pos ? 1 : 0)) * scale;
    scale *= radix;
  }
  return key;
}

// False when the state already failed in this search (only memo points are remembered).
bool Matcher::EnterState(int node, int32_t pos) {
  const int row = memo_points_.row_of_node[node];
  if (row < 0) return true;
  const uint64_t key = LoopKey(pos);
  return key == kNoLoopKey || failed_.Insert(row, pos, key);
}

void Matcher::ClearCaptures() { std::fill(std::begin(captures_), std::end(captures_), kUnset); }

bool Matcher::MatchAt(int32_t pos) {
  loop_index_ = 0;
  if (guard_loop_backs_) std::fill(loop_back_pos_.begin(), loop_back_pos_.end(), kUnset);
  stack_.Clear();
  int32_t end = 0;
  if (!Run(1, pos, &end)) return false;
  captures_[0] = pos;
  captures_[kCaptureSlots] = end;
  return true;
}

bool Matcher::IsLineBreakAt(int32_t pos) const {
  const uint8_t c = text_[pos];
  if (subject_->line_breaks.Has(c)) return true;
  return subject_->paired_assigned && c == subject_->paired_head &&
         text_[pos + 1] == subject_->paired_tail;
}

bool Matcher::IsWordCharAt(int32_t pos) const {
  return pos >= 0 && pos < length_ && subject_->word_chars.Has(text_[pos]);
}

bool Matcher::MatchesOneChar(int node, int32_t pos) const {
  if (pos >= length_) return false;
  const uint8_t c = text_[pos];
  switch (code_[node]) {
    case kAnyChar:
      return true;
    case kAnyInLine:
      return !IsLineBreakAt(pos);
    case kLiteral: {
      const uint8_t first = LiteralBytes(code_, node)[0];
      return first != 0 && c == first;
    }
    case kLiteralNoCase: {
      const uint8_t first = LiteralBytes(code_, node)[0];
      return first != 0 && (c == first || c == SwapCase(first));
    }
    case kDigit:
      return c >= '0' && c <= '9';
    case kNonDigit:
      return c < '0' || c > '9';
    case kAnyOfFew: {
      const uint8_t* few = FewChars(code_, node);
      return c == few[0] || c == few[1] || c == few[2];
    }
    case kAnyButFew: {
      const uint8_t* few = FewChars(code_, node);
      return c != few[0] && c != few[1] && c != few[2];
    }
    case kAnyOfSet:
      return SetHas(SetBits(code_, node), c);
    default:
      throw MakePatternError(kErrRepeatOperand, 0);
  }
}

// False only when the node certainly fails at pos (used to skip hopeless alternatives).
bool Matcher::CanStartAt(int node, int32_t pos) const {
  switch (code_[node]) {
    case kAnyChar:
    case kAnyInLine:
    case kLiteral:
    case kDigit:
    case kNonDigit:
    case kAnyOfFew:
    case kAnyButFew:
    case kAnyOfSet:
      return MatchesOneChar(node, pos);
    default:
      return true;
  }
}

// The plan of the repetition node, made once per program.
const Matcher::RepeatPlan& Matcher::PlanOf(int node) {
  int32_t& index = plan_of_node_[node];
  if (index < 0) {
    index = static_cast<int32_t>(plans_.size());
    plans_.push_back(PlanRepeat(node));
  }
  return plans_[index];
}

Matcher::RepeatPlan Matcher::PlanRepeat(int node) const {
  RepeatPlan plan{};
  const uint8_t kind = code_[node];
  plan.operand = RepeatOperand(code_, node);
  plan.min = 0;
  plan.max = kUnboundedRepeat;
  if (kind == kPlusRepeat || kind == kPlusRepeatLazy) plan.min = 1;
  if (kind == kCountRepeat || kind == kCountRepeatLazy) {
    const Bounds bounds = CountBounds(code_, node);
    plan.min = bounds.min;
    plan.max = bounds.max;
  }
  plan.greedy = kind == kStarRepeat || kind == kPlusRepeat || kind == kCountRepeat;
  plan.next = NextNode(code_, node);
  plan.follow_char = -1;
  // Group marks, comments and empty nodes change nothing about what must follow, so the
  // literal after them is what the character after the repetition has to start.
  int follow = plan.next;
  for (int step = 0; follow != -1 && step < kLookAheadSteps; ++step) {
    const uint8_t k = code_[follow];
    if (k == kLiteral) {
      plan.literal = LiteralBytes(code_, follow);
      plan.literal_length = LiteralText(code_, follow).size();
      break;
    }
    if (k == kAnyInLine || k == kLiteralNoCase || k == kDigit || k == kNonDigit || k == kAnyOfFew ||
        k == kAnyButFew || k == kAnyOfSet) {
      plan.follow_char = follow;
      break;
    }
    if (IsGroupOpen(k) || IsGroupClose(k) || k == kComment || k == kEmpty) {
      follow = NextNode(code_, follow);
    } else if (k == kAlternative) {
      const int next = NextNode(code_, follow);
      if (next != -1 && code_[next] == kAlternative) {
        PlanFollowingAlternation(follow, &plan);
        break;
      }
      follow = BranchOf(code_, follow);
    } else {
      break;
    }
  }
  return plan;
}

// Adds to *chars the characters the chain from node can start with; false when that is not
// one known set (a branch that starts with an anchor, a repetition, an alternation, ...).
// *literal is the Literal node the chain starts with, or -1.
bool Matcher::AddFirstChars(int node, ByteSet* chars, int* literal) const {
  *literal = -1;
  for (int step = 0; node != -1 && step < kLookAheadSteps; ++step) {
    const uint8_t k = code_[node];
    switch (k) {
      case kLiteral: {
        const uint8_t first = LiteralBytes(code_, node)[0];
        if (first != 0) chars->Add(first);  // a zero character never matches
        *literal = node;
        return true;
      }
      case kAnyOfFew:
        chars->AddAll(
            std::string_view(reinterpret_cast<const char*>(FewChars(code_, node)), kFewSize));
        return true;
      case kAnyOfSet: {
        const uint8_t* set = SetBits(code_, node);
        for (int i = 0; i < kSetSize; ++i) chars->bits[i] |= set[i];
        return true;
      }
      case kDigit:
        chars->AddRange('0', '9');
        return true;
      default:
        if (!IsGroupOpen(k) && !IsGroupClose(k) && k != kComment) return false;
        node = NextNode(code_, node);
    }
  }
  return false;
}

// The bytes an alternation (from its first Alternative node) can start with, when each of
// its branches starts with one of a known set: only cursors at such a byte are worth a try.
// When every branch starts with a literal, and there are few, the literals too.
void Matcher::PlanFollowingAlternation(int alternative, RepeatPlan* plan) const {
  ByteSet chars;
  int literals = 0;
  for (int alt = alternative; alt != -1 && code_[alt] == kAlternative; alt = NextNode(code_, alt)) {
    int literal;
    if (!AddFirstChars(BranchOf(code_, alt), &chars, &literal)) return;
    const std::string_view text = literal < 0 ? std::string_view() : LiteralText(code_, literal);
    if (literals >= 0 && !text.empty() && literals < RepeatPlan::kMaxFollowLiterals) {
      plan->follow_literals[literals] = reinterpret_cast<const uint8_t*>(text.data());
      plan->follow_literal_lengths[literals++] = text.size();
    } else {
      literals = -1;
    }
  }
  plan->follow_literal_count = std::max(literals, 0);
  plan->follow_set = chars;
  plan->follow_count = 0;
  for (int c = 0; c < 256; ++c) {
    if (!chars.Has(static_cast<uint8_t>(c))) continue;
    if (plan->follow_count == 3) {
      plan->follow_count = 4;
      return;
    }
    plan->follow_few[plan->follow_count++] = static_cast<uint8_t>(c);
  }
  // An alternation that can start with no character never matches: no cursor is worth a try
  // (count 4 with the empty set).
  if (plan->follow_count == 0) plan->follow_count = 4;
}

// Whether the text after the repetition can start at p, as far as the plan knows.
bool Matcher::FollowCanStartAt(const RepeatPlan& plan, int32_t p) const {
  if (plan.follow_char >= 0) return MatchesOneChar(plan.follow_char, p);
  return plan.follow_count == 0 || plan.follow_set.Has(text_[p]);
}

Matcher::LiteralOccurrences& Matcher::OccurrencesOf(const uint8_t* literal) {
  for (LiteralOccurrences& known : literal_cache_) {
    if (known.literal == literal) return known;
  }
  return literal_cache_.emplace_back(LiteralOccurrences{literal});
}

// The first occurrence of the whole literal after the repetition at or after from, or -1.
// Remembered per subject: the text between a search's start and its answer holds none, so a
// later search from there is answered at once (a begin marker whose end marker never comes
// costs one scan of the text, not one per begin marker).
int32_t Matcher::NextLiteralAt(const uint8_t* literal, size_t literal_length, int32_t from) {
  LiteralOccurrences& known = OccurrencesOf(literal);
  if (known.searched_from >= 0 && from >= known.searched_from &&
      (known.next < 0 || from <= known.next)) {
    return known.next;
  }
  const uint8_t* hit = FindLiteral(text_ + from, length_ - from, literal, literal_length);
  known.searched_from = from;
  known.next = hit == nullptr ? -1 : static_cast<int32_t>(hit - text_);
  return known.next;
}

// The last occurrence of the whole literal after the repetition in the subject, or -1.
int32_t Matcher::LastLiteralAt(const RepeatPlan& plan) {
  LiteralOccurrences& known = OccurrencesOf(plan.literal);
  if (!known.last_known) {
    const uint8_t* hit = FindLastLiteral(text_, length_, plan.literal, plan.literal_length);
    known.last = hit == nullptr ? -1 : static_cast<int32_t>(hit - text_);
    known.last_known = true;
  }
  return known.last;
}

// Length of one repetition unit: the captured text for a back-reference, else 1.
int32_t Matcher::UnitLength(const RepeatPlan& plan) const {
  const uint8_t kind = code_[plan.operand];
  if (kind != kBackRef && kind != kBackRefNoCase) return 1;
  const int slot = BackRefGroup(code_, plan.operand);
  const int32_t start = captures_[slot];
  const int32_t end = captures_[kCaptureSlots + slot];
  if (start == kUnset || end == kUnset || end < start) return 1;
  return end - start;
}

// CountRun, remembering the last run of each single-character operand while failed states
// are remembered: a repetition inside a repetition is entered at every cursor of one run.
int32_t Matcher::CountRunRemembered(const RepeatPlan& plan, int32_t pos) {
  const uint8_t kind = code_[plan.operand];
  if (!memo_on_ || plan.max < kOpenBraceMax || kind == kBackRef || kind == kBackRefNoCase) {
    return CountRun(plan, pos);
  }
  for (KnownRun& run : known_runs_) {
    if (run.operand != plan.operand) continue;
    if (pos < run.from && pos >= 0) {
      // Counted only up to the known run; reaching it joins the two.
      RepeatPlan up_to_run = plan;
      up_to_run.max = run.from - pos;
      const int32_t count = CountRun(up_to_run, pos);
      if (count < up_to_run.max) run.end = pos + count;
      run.from = pos;
    } else if (pos > run.end) {
      run.from = pos;
      run.end = pos + CountRun(plan, pos);
    }
    return run.end - pos;
  }
  const int32_t count = CountRun(plan, pos);
  known_runs_.push_back(KnownRun{plan.operand, pos, pos + count});
  return count;
}

// How many units from pos match the operand (at most max).
int32_t Matcher::CountRun(const RepeatPlan& plan, int32_t pos) const {
  const int node = plan.operand;
  const uint8_t kind = code_[node];
  const int32_t limit = std::min(plan.max, length_ - pos);
  int32_t n = 0;
  switch (kind) {
    case kAnyChar:
      return limit;
    case kLiteral: {
      const uint8_t c = LiteralBytes(code_, node)[0];
      if (c == 0) return 0;
      while (n < limit && text_[pos + n] == c) ++n;
      return n;
    }
    case kAnyOfSet: {
      const uint8_t* set = SetBits(code_, node);
      while (n < limit && SetHas(set, text_[pos + n])) ++n;
      return n;
    }
    case kBackRef:
    case kBackRefNoCase: {
      const int slot = BackRefGroup(code_, node);
      const int32_t start = captures_[slot];
      const int32_t end = captures_[kCaptureSlots + slot];
      if (start == kUnset || end == kUnset || end < start) return 0;
      const int32_t unit = end - start;
      // An empty captured text repeats without moving: it counts as just the minimum.
      if (unit == 0) return plan.min;
      const bool no_case = kind == kBackRefNoCase;
      int32_t p = pos;
      while (n < plan.max && length_ - p >= unit) {
        for (int32_t i = 0; i < unit; ++i) {
          const uint8_t want = text_[start + i];
          if (text_[p + i] != want && !(no_case && text_[p + i] == SwapCase(want))) return n;
        }
        p += unit;
        ++n;
      }
      return n;
    }
    default:
      while (n < limit && MatchesOneChar(node, pos + n)) ++n;
      return n;
  }
}

// The highest cursor from `from` down to `lowest` (in steps of the unit) where the literal
// after the repetition can start, or -1.
int32_t Matcher::FindGreedyCandidate(const RepeatPlan& plan, int32_t from, int32_t lowest) {
  int32_t p = FindGreedyCandidateInText(plan, from, lowest);
  // Once failed states are remembered, whole runs of cursors known to fail after the
  // repetition are passed over a word at a time: otherwise a repetition inside a repetition
  // would try every one of them again, each time it is entered.
  while (memo_on_ && p >= 0) {
    const int32_t q = HighestUnfailedCursor(plan.next, p, lowest);
    if (q == p) break;
    p = FindGreedyCandidateInText(plan, q, lowest);
  }
  return p;
}

// The highest cursor in [lowest, from] whose state at node is not known to have failed, or
// lowest - 1. The loop key is the same for every cursor above the active loops' starts.
int32_t Matcher::HighestUnfailedCursor(int node, int32_t from, int32_t lowest) const {
  int32_t latest_start = -1;
  for (int li = 1; li <= loop_index_; ++li) latest_start = std::max(latest_start, loop_starts_[li]);
  if (from <= latest_start) return from;
  const int row = memo_points_.row_of_node[node];
  if (row < 0) return from;
  const uint64_t key = LoopKey(from);
  if (key == kNoLoopKey) return from;
  const int32_t q = failed_.HighestAbsent(row, from, std::max(lowest, latest_start + 1), key);
  return q < std::max(lowest, latest_start + 1) && latest_start >= lowest ? latest_start : q;
}

int32_t Matcher::FindGreedyCandidateInText(const RepeatPlan& plan, int32_t from, int32_t lowest) {
  if (from < lowest) return -1;
  if (plan.literal == nullptr) {
    if ((plan.follow_char < 0 && plan.follow_count == 0) || UnitLength(plan) != 1) return from;
    // Only cursors where the character after the repetition can match are worth a try.
    for (int32_t p = from; p >= lowest; --p) {
      if (FollowCanStartAt(plan, p)) return p;
    }
    return -1;
  }
  const uint8_t want = plan.literal[0];
  const int32_t unit = UnitLength(plan);
  if (unit == 1) {
    // No cursor after the literal's last occurrence can be followed by it.
    from = std::min(from, LastLiteralAt(plan));
    if (from < lowest) return -1;
    const void* hit = memrchr(text_ + lowest, want, from - lowest + 1);
    return hit ? static_cast<int32_t>(static_cast<const uint8_t*>(hit) - text_) : -1;
  }
  for (int32_t p = from; p >= lowest; p -= unit) {
    if (text_[p] == want) return p;
    if (unit == 0) break;
  }
  return -1;
}

// Whether every cursor in [lowest, highest] already failed after this repetition in this
// search.
bool Matcher::CursorsKnownToFail(int node, int32_t lowest, int32_t highest) const {
  for (const FailedRepeat& failed : failed_repeats_) {
    if (failed.node == node) return failed.lowest <= lowest && highest <= failed.highest;
  }
  return false;
}

// Before the run is counted: a repetition without an upper bound entered inside a run whose
// cursors all failed ends where that run ends, so its cursors are among them. Counting the
// run again from every start would itself take quadratic time.
bool Matcher::RunKnownToFail(int node, const RepeatPlan& plan, int32_t pos) const {
  if (plan.max < kOpenBraceMax) return false;
  for (const FailedRepeat& failed : failed_repeats_) {
    if (failed.node == node) return failed.lowest - plan.min <= pos && pos <= failed.highest;
  }
  return false;
}

// Keeps one range per repetition: the union with the range before when they meet (later
// starts reach the same run's end), else the newer one (starts move left to right).
void Matcher::RememberFailedRepeat(int node, int32_t lowest, int32_t highest) {
  for (FailedRepeat& failed : failed_repeats_) {
    if (failed.node != node) continue;
    if (lowest <= failed.highest + 1 && failed.lowest <= highest + 1) {
      failed.lowest = std::min(failed.lowest, lowest);
      failed.highest = std::max(failed.highest, highest);
    } else {
      failed = FailedRepeat{node, lowest, highest};
    }
    return;
  }
  failed_repeats_.push_back(FailedRepeat{node, lowest, highest});
}

// The lowest cursor from `from` up to `highest` where the literal (or the one character) after
// the repetition can start, or -1. After "." the whole literal is searched for at once.
int32_t Matcher::FindLazyCandidate(const RepeatPlan& plan, int32_t from, int32_t highest) {
  if (from > highest) return -1;
  if (plan.literal == nullptr) {
    if (plan.follow_literal_count > 0 && code_[plan.operand] == kAnyChar) {
      // After "." each literal an alternation can start with is searched for whole.
      int32_t p = -1;
      for (int i = 0; i < plan.follow_literal_count; ++i) {
        const int32_t q =
            NextLiteralAt(plan.follow_literals[i], plan.follow_literal_lengths[i], from);
        if (q >= 0 && (p < 0 || q < p)) p = q;
      }
      return p <= highest ? p : -1;
    }
    if ((plan.follow_char < 0 && plan.follow_count == 0) || UnitLength(plan) != 1) return from;
    if (plan.follow_char < 0 && plan.follow_count <= 3) {
      // Few possible bytes: found sixteen at a time.
      const uint8_t* hit =
          FindAnyOfFew(text_ + from, highest - from + 1, plan.follow_few, plan.follow_count);
      return hit == nullptr ? -1 : static_cast<int32_t>(hit - text_);
    }
    for (int32_t p = from; p <= highest; ++p) {
      if (FollowCanStartAt(plan, p)) return p;
    }
    return -1;
  }
  const int32_t unit = UnitLength(plan);
  if (unit == 1) {
    int32_t p;
    if (code_[plan.operand] == kAnyChar) {
      p = NextLiteralAt(plan.literal, plan.literal_length, from);
    } else {
      const void* hit = std::memchr(text_ + from, plan.literal[0], highest - from + 1);
      p = hit == nullptr ? -1 : static_cast<int32_t>(static_cast<const uint8_t*>(hit) - text_);
    }
    return p <= highest ? p : -1;
  }
  for (int32_t p = from; p <= highest; p += unit) {
    if (text_[p] == plan.literal[0]) return p;
    if (unit == 0) break;
  }
  return -1;
}

MATCHER_STEP bool Matcher::Step(Cursor& at) {
  const uint8_t kind = code_[at.node];
  switch (kind) {
    case kEnd:
      at.node = kReachedEnd;
      return true;
    case kSubjectStart:
    case kSubjectEnd:
    case kLineStart:
    case kLineEnd:
    case kWordBoundary:
    case kNotWordBoundary:
      return StepAssertion(kind, at);
    case kAnyChar:
    case kAnyInLine:
    case kDigit:
    case kNonDigit:
    case kAnyOfFew:
    case kAnyButFew:
    case kAnyOfSet:
      if (!MatchesOneChar(at.node, at.pos)) return false;
      ++at.pos;
      return GoOn(at);
    case kLiteral:
    case kLiteralNoCase:
      return StepLiteral(kind, at);
    case kBackRef:
    case kBackRefNoCase:
      return StepBackRef(kind, at);
    case kEmpty:
    case kComment:
      return GoOn(at);
    case kLoopBack:
      return StepLoopBack(at);
    case kAlternative:
      return StepAlternative(at);
    case kStarRepeat:
    case kPlusRepeat:
    case kCountRepeat:
    case kStarRepeatLazy:
    case kPlusRepeatLazy:
    case kCountRepeatLazy:
      return StepRepeat(at);
    case kLoopEntry:
      return StepLoopEntry(at);
    case kLoop:
    case kLoopLazy:
      return StepLoop(kind, at);
    default:
      if (IsGroupOpen(kind) || IsGroupClose(kind)) return StepGroupMark(kind, at);
      throw MakePatternError(kErrUnknownNode, 0);
  }
}

MATCHER_STEP bool Matcher::GoOn(Cursor& at) const {
  at.node = NextNode(code_, at.node);
  return true;
}

// Anchors and word boundaries: they hold or not at the cursor and consume nothing.
MATCHER_STEP bool Matcher::StepAssertion(uint8_t kind, Cursor& at) const {
  const int32_t pos = at.pos;
  const SubjectView& s = *subject_;
  switch (kind) {
    case kSubjectStart:
      if (pos != 0) return false;
      break;
    case kSubjectEnd:
      if (pos != length_) return false;
      break;
    case kLineStart:
      if (pos != 0) {
        const uint8_t c = text_[pos - 1];
        if (s.paired_assigned && c == s.paired_tail && pos >= 2 &&
            text_[pos - 2] == s.paired_head) {
          // the tail of a paired separator ends a line
        } else if (s.paired_assigned && c == s.paired_head && text_[pos] == s.paired_tail) {
          return false;
        } else if (!s.line_breaks.Has(c)) {
          return false;
        }
      }
      break;
    case kLineEnd:
      if (pos != length_) {
        const uint8_t c = text_[pos];
        if (s.paired_assigned && c == s.paired_head && text_[pos + 1] == s.paired_tail) {
          // the head of a paired separator starts a line break
        } else if (s.paired_assigned && c == s.paired_tail && pos >= 1 &&
                   text_[pos - 1] == s.paired_head) {
          return false;
        } else if (!s.line_breaks.Has(c)) {
          return false;
        }
      }
      break;
    default:  // kWordBoundary, kNotWordBoundary
      if ((IsWordCharAt(pos - 1) != IsWordCharAt(pos)) != (kind == kWordBoundary)) return false;
  }
  return GoOn(at);
}

MATCHER_STEP bool Matcher::StepLiteral(uint8_t kind, Cursor& at) const {
  const uint8_t* lit = LiteralBytes(code_, at.node);
  if (lit[0] == 0) return false;  // a zero character never occurs in a subject
  int32_t pos = at.pos;
  if (kind == kLiteral) {
    // The subject's terminating zero stops the comparison at its end.
    for (; *lit != 0; ++lit, ++pos) {
      if (text_[pos] != *lit) return false;
    }
  } else {
    for (; *lit != 0; ++lit, ++pos) {
      if (pos >= length_ || (text_[pos] != *lit && text_[pos] != SwapCase(*lit))) return false;
    }
  }
  at.pos = pos;
  return GoOn(at);
}

MATCHER_STEP bool Matcher::StepBackRef(uint8_t kind, Cursor& at) const {
  const int slot = BackRefGroup(code_, at.node);
  const int32_t start = captures_[slot];
  const int32_t stop = captures_[kCaptureSlots + slot];
  if (start == kUnset || stop == kUnset || stop < start) return false;
  if (length_ - at.pos < stop - start) return false;
  int32_t pos = at.pos;
  for (int32_t i = start; i < stop; ++i, ++pos) {
    const uint8_t want = text_[i];
    if (text_[pos] != want && !(kind == kBackRefNoCase && text_[pos] == SwapCase(want))) {
      return false;
    }
  }
  at.pos = pos;
  return GoOn(at);
}

// The end of a loop's body, on its way back to the loop's head. With back-references an
// iteration can match the empty text; it is not repeated.
MATCHER_STEP bool Matcher::StepLoopBack(Cursor& at) {
  if (guard_loop_backs_) {
    int32_t& slot = loop_back_slot_[at.node];
    if (slot == -1) {
      slot = static_cast<int32_t>(loop_back_pos_.size());
      loop_back_pos_.push_back(kUnset);
    }
    if (loop_back_pos_[slot] == at.pos) return false;
    stack_.Push(kUndoLoopBack, slot, loop_back_pos_[slot]);
    loop_back_pos_[slot] = at.pos;
  }
  return GoOn(at);
}

// A choice: the first alternative that can start here now, the next one later.
MATCHER_STEP bool Matcher::StepAlternative(Cursor& at) {
  const int next = NextNode(code_, at.node);
  if (next == -1 || code_[next] != kAlternative) {
    at.node = BranchOf(code_, at.node);
    return true;
  }
  int alt = at.node;
  while (!CanStartAt(BranchOf(code_, alt), at.pos)) {
    alt = NextNode(code_, alt);
    if (alt == -1 || code_[alt] != kAlternative) return false;
  }
  for (int later = NextNode(code_, alt); later != -1 && code_[later] == kAlternative;
       later = NextNode(code_, later)) {
    if (CanStartAt(BranchOf(code_, later), at.pos)) {
      stack_.Push(kResumeNode, later, at.pos);
      break;
    }
  }
  at.node = BranchOf(code_, alt);
  return true;
}

// A repetition of one node: its run is counted at once and the cursors after it are tried
// from the preferred end, each where what follows can start.
MATCHER_STEP bool Matcher::StepRepeat(Cursor& at) {
  const int node = at.node;
  const int32_t pos = at.pos;
  const RepeatPlan plan = PlanOf(node);
  // Outside counted loops and without back-references (a unit is then one character), what
  // follows the repetition at a cursor fails or not whatever the start: an entry whose every
  // cursor already failed in this search fails again at once. Without this, ".*?" followed by
  // text that never comes would walk to the end of the subject from every start.
  const bool rememberable = loop_index_ == 0 && !guard_loop_backs_;
  if (rememberable && RunKnownToFail(node, plan, pos)) return false;
  const int32_t count = CountRunRemembered(plan, pos);
  if (count < plan.min) return false;
  const int64_t unit = UnitLength(plan);
  const int32_t lowest = static_cast<int32_t>(pos + plan.min * unit);
  const int32_t highest = static_cast<int32_t>(pos + count * unit);
  if (rememberable) {
    if (CursorsKnownToFail(node, lowest, highest)) return false;
    stack_.Push(kRecordFailedRepeat, node, lowest, highest);
  }
  const int32_t p = plan.greedy ? FindGreedyCandidate(plan, highest, lowest)
                                : FindLazyCandidate(plan, lowest, highest);
  if (p < 0) return false;
  stack_.Push(plan.greedy ? kResumeGreedyRepeat : kResumeLazyRepeat, node, p,
              plan.greedy ? lowest : highest);
  at = Cursor{plan.next, p};
  return true;
}

MATCHER_STEP bool Matcher::StepLoopEntry(Cursor& at) {
  if (loop_index_ >= kMaxActiveLoops) throw MakePatternError(kErrLoopStackExceeded, 0);
  PushUndoLoop(loop_index_);
  ++loop_index_;
  const int loop = NextNode(code_, at.node);
  loop_nodes_[loop_index_] = loop;
  loop_counters_[loop_index_] = 0;
  loop_starts_[loop_index_] = at.pos;
  at.node = loop;
  return true;
}

// A counted loop's head: iterate below the minimum; above it, iterate or leave in the
// loop's order (greedy: iterate first), the other choice pushed for later.
MATCHER_STEP bool Matcher::StepLoop(uint8_t kind, Cursor& at) {
  if (loop_index_ == 0) throw MakePatternError(kErrLoopWithoutEntry, 0);
  const int li = loop_index_;
  const int32_t counter = loop_counters_[li];
  const auto [min, max] = LoopBounds(code_, at.node);
  if (counter < min) {
    EnterIteration(at);
    return true;
  }
  // An iteration that matched the empty text (possible only through back-references) is not
  // repeated.
  const bool may_iterate = counter < max && !(counter > 0 && at.pos == loop_starts_[li]);
  if (kind == kLoop && may_iterate) {
    stack_.Push(kResumeLoopExit, at.node, at.pos);
    EnterIteration(at);
    return true;
  }
  if (kind == kLoopLazy && may_iterate) stack_.Push(kResumeLoopIterate, at.node, at.pos);
  LeaveLoop(at);
  return true;
}

// Counts one more iteration of the innermost loop, whose Loop node is at.node, and goes to
// its body.
MATCHER_STEP void Matcher::EnterIteration(Cursor& at) {
  const int li = loop_index_;
  PushUndoLoop(li);
  ++loop_counters_[li];
  loop_starts_[li] = at.pos;
  at.node = LoopBody(code_, at.node);
}

// Leaves the innermost loop, whose Loop node is at.node.
MATCHER_STEP void Matcher::LeaveLoop(Cursor& at) {
  PushUndoLoop(loop_index_);
  --loop_index_;
  at.node = NextNode(code_, at.node);
}

MATCHER_STEP bool Matcher::StepGroupMark(uint8_t kind, Cursor& at) {
  const int index = IsGroupOpen(kind) ? kind - (kGroupOpenFirst - 1)
                                      : kCaptureSlots + kind - (kGroupCloseFirst - 1);
  stack_.Push(kUndoCapture, index, captures_[index]);
  captures_[index] = at.pos;
  return GoOn(at);
}

// Unwinds to the latest choice point, undoing state changes on the way, and resumes there:
// false when there is none left (the attempt failed).
MATCHER_STEP bool Matcher::Backtrack(Cursor& at) {
  for (;;) {
    Frame f;
    if (!stack_.Pop(f)) return false;
    switch (f.op) {
      case kUndoCapture:
        captures_[f.a] = f.b;
        continue;
      case kUndoLoop: {
        const int li = f.a & 15;
        loop_index_ = li;
        loop_nodes_[li] = f.a >> 4;
        loop_counters_[li] = f.b;
        loop_starts_[li] = f.c;
        continue;
      }
      case kUndoLoopBack:
        loop_back_pos_[f.a] = f.b;
        continue;
      case kRecordFailedRepeat:
        RememberFailedRepeat(f.a, f.b, f.c);
        continue;
      case kResumeNode:
        CountBacktrack();
        at = Cursor{f.a, f.b};
        return true;
      case kResumeGreedyRepeat:
      case kResumeLazyRepeat: {
        CountBacktrack();
        const RepeatPlan plan = PlanOf(f.a);
        const int32_t unit = UnitLength(plan);
        if (unit == 0) continue;  // an empty unit has a single cursor
        const int32_t p = f.op == kResumeGreedyRepeat ? FindGreedyCandidate(plan, f.b - unit, f.c)
                                                      : FindLazyCandidate(plan, f.b + unit, f.c);
        if (p < 0) continue;
        stack_.Push(f.op, f.a, p, f.c);
        at = Cursor{plan.next, p};
        return true;
      }
      case kResumeLoopExit:
        CountBacktrack();
        at = Cursor{f.a, f.b};
        LeaveLoop(at);
        return true;
      case kResumeLoopIterate:
        CountBacktrack();
        at = Cursor{f.a, f.b};
        EnterIteration(at);
        return true;
    }
  }
}

// The dispatcher: each node is stepped over by its family's step function; a failed step, or
// a state already known to fail, goes back to the latest choice point.
bool Matcher::Run(int node, int32_t pos, int32_t* end) {
  Cursor at{node, pos};
  for (;;) {
    if (at.node < 0) {
      if (at.node != kReachedEnd) throw MakePatternError(kErrNoNode, 0);
      *end = at.pos;
      return true;
    }
    if ((!memo_on_ || EnterState(at.node, at.pos)) && Step(at)) continue;
    if (!Backtrack(at)) return false;
  }
}

}  // namespace farrowdale::regex
