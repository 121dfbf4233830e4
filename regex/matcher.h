// The backtracking matcher: runs a compiled program against the subject from one start
// position.
//
// Choices are tried in the engine's preference order (the first alternative, the greedy or
// lazy order of repetitions, loop iteration before or after the rest); the first path that
// reaches End wins. Every choice point and every undo record (captures, loop counters) lives
// on a heap stack, so the native stack depth does not grow with the subject. A failed path
// leaves the captures and loop counters as they were before it.
//
// What the matcher remembers, and when each memory is sound. Per subject (until NewSubject,
// which the caller calls when the text or the program changes): where each literal that
// follows a repetition next and last occurs (it depends on the text alone), and the last run
// of each single-character repetition operand (the text and the operand alone; used only
// while failed states are remembered). Per search (from BeginSearch on, over every attempt
// from every start): the cursor ranges after a repetition that all failed, and, once the
// search has backtracked often, the failed states themselves (program point, position, and
// what of the active counted loops still matters). Both assume that what follows a node at a
// position fails or not whatever path led there, which holds without back-references (the
// captures then never decide the outcome) and, for the ranges, outside counted loops (a
// loop's counter does); so neither is kept with back-references, and the ranges are kept
// only outside loops. With back-references the search counts its backtracks instead and
// throws error 1018 when they exceed its budget, which grows with the text still ahead of
// the search's start.
#ifndef FARROWDALE_REGEX_MATCHER_H_
#define FARROWDALE_REGEX_MATCHER_H_

#include <cstdint>
#include <vector>

#include "regex/backtrack_stack.h"
#include "regex/compiler.h"
#include "regex/failed_states.h"
#include "regex/memo_points.h"
#include "regex/program.h"

namespace farrowdale::regex {

// What the matcher needs to know about the subject and the character-set settings.
struct SubjectView {
  const uint8_t* text = nullptr;  // text[length] is the terminating zero
  int32_t length = 0;
  ByteSet line_breaks;
  bool paired_assigned = false;  // LinePairedSeparator: head then tail is one line break
  uint8_t paired_head = 0;
  uint8_t paired_tail = 0;
  ByteSet word_chars;
};

class Matcher {
 public:
  static constexpr int32_t kUnset = -1;

  // Binds a program and a subject for the following attempts; both must outlive them. Call
  // NewSubject too when the text or the program is another than the last one's.
  void Prepare(const Program& program, const SubjectView& subject);
  // Forgets what was learnt about the previous subject's text (call when the text changes).
  void NewSubject();
  // Starts one search (attempts from start on): clears the failed states and the count of
  // backtracks. Without back-references, once a search has backtracked often, every state
  // entered at a memo point is remembered and never run twice; with them, too many
  // backtracks throw error 1018.
  void BeginSearch(int32_t start);
  // Unsets every capture slot.
  void ClearCaptures();
  // Runs the program with the cursor at pos (0-based). On success sets slot 0 to the match
  // and returns true; on failure the captures are as before the call.
  bool MatchAt(int32_t pos);
  // Frees backtracking memory beyond the first block, and the failed states (a search that
  // remembered them holds at most memo rows x (subject length + 1) / 8 bytes of bits).
  void ReleaseSpareMemory();

  int32_t CaptureStart(int slot) const { return captures_[slot]; }
  int32_t CaptureEnd(int slot) const { return captures_[kCaptureSlots + slot]; }

 private:
  // What a repetition node repeats and what must follow it.
  struct RepeatPlan {
    int operand;
    int32_t min;
    int32_t max;
    bool greedy;
    int next;  // the node after the repetition
    // The Literal that must match right after the repetition, if any.
    const uint8_t* literal;
    size_t literal_length;
    // Else the one-character node (a class, a digit) that must match right after it, or -1.
    int follow_char;
    // Else, when an alternation follows whose every branch starts with a character of a known
    // set, the bytes the text after the repetition can start with: follow_few[0..count) when
    // there are at most three (count 0: no such set), else follow_set (count 4).
    int follow_count;
    uint8_t follow_few[3];
    ByteSet follow_set;
    // And when each of that alternation's branches (at most kMaxFollowLiterals) starts with
    // a literal: follow_literals[0..follow_literal_count), else follow_literal_count 0.
    static constexpr int kMaxFollowLiterals = 4;
    int follow_literal_count;
    const uint8_t* follow_literals[kMaxFollowLiterals];
    size_t follow_literal_lengths[kMaxFollowLiterals];
  };
  // Where one literal after a repetition occurs in the subject, as far as searched.
  struct LiteralOccurrences {
    const uint8_t* literal;
    int32_t searched_from = -1;  // none in [searched_from, next); -1: never searched
    int32_t next = -1;
    bool last_known = false;
    int32_t last = -1;
  };

  // Where a path stands: the node to match next and the cursor in the subject. A path that
  // passed End stands at kReachedEnd.
  static constexpr int kReachedEnd = -2;
  struct Cursor {
    int node;
    int32_t pos;
  };

  bool Run(int node, int32_t pos, int32_t* end);
  // One node by its family: false when it fails at the cursor; else the cursor moves on to
  // where the path goes (choices left for later are on the stack).
  bool Step(Cursor& at);
  bool GoOn(Cursor& at) const;
  bool StepAssertion(uint8_t kind, Cursor& at) const;
  bool StepLiteral(uint8_t kind, Cursor& at) const;
  bool StepBackRef(uint8_t kind, Cursor& at) const;
  bool StepLoopBack(Cursor& at);
  bool StepAlternative(Cursor& at);
  bool StepRepeat(Cursor& at);
  bool StepLoopEntry(Cursor& at);
  bool StepLoop(uint8_t kind, Cursor& at);
  void EnterIteration(Cursor& at);
  void LeaveLoop(Cursor& at);
  bool StepGroupMark(uint8_t kind, Cursor& at);
  bool Backtrack(Cursor& at);
  const RepeatPlan& PlanOf(int node);
  RepeatPlan PlanRepeat(int node) const;
  int32_t CountRun(const RepeatPlan& plan, int32_t pos) const;
  int32_t FindGreedyCandidate(const RepeatPlan& plan, int32_t from, int32_t lowest);
  int32_t FindGreedyCandidateInText(const RepeatPlan& plan, int32_t from, int32_t lowest);
  int32_t HighestUnfailedCursor(int node, int32_t from, int32_t lowest) const;
  int32_t CountRunRemembered(const RepeatPlan& plan, int32_t pos);
  int32_t FindLazyCandidate(const RepeatPlan& plan, int32_t from, int32_t highest);
  bool AddFirstChars(int node, ByteSet* chars, int* literal) const;
  void PlanFollowingAlternation(int alternative, RepeatPlan* plan) const;
  bool FollowCanStartAt(const RepeatPlan& plan, int32_t p) const;
  LiteralOccurrences& OccurrencesOf(const uint8_t* literal);
  int32_t NextLiteralAt(const uint8_t* literal, size_t literal_length, int32_t from);
  int32_t LastLiteralAt(const RepeatPlan& plan);
  void CountBacktrack();
  void PushUndoLoop(int li);
  uint64_t LoopKey(int32_t pos) const;
  bool EnterState(int node, int32_t pos);
  bool CursorsKnownToFail(int node, int32_t lowest, int32_t highest) const;
  bool RunKnownToFail(int node, const RepeatPlan& plan, int32_t pos) const;
  void RememberFailedRepeat(int node, int32_t lowest, int32_t highest);
  bool MatchesOneChar(int node, int32_t pos) const;
  bool CanStartAt(int node, int32_t pos) const;
  bool IsLineBreakAt(int32_t pos) const;
  bool IsWordCharAt(int32_t pos) const;
  int32_t UnitLength(const RepeatPlan& plan) const;

  const uint8_t* code_ = nullptr;
  const SubjectView* subject_ = nullptr;
  const uint8_t* text_ = nullptr;
  int32_t length_ = 0;

  // Slots 0..14: starts, then slots 0..14: ends.
  int32_t captures_[2 * kCaptureSlots];
  // Counted loops: counters and iteration start positions, 1..10; loop_index_ active.
  int32_t loop_counters_[kMaxActiveLoops + 1] = {};
  int32_t loop_starts_[kMaxActiveLoops + 1] = {};
  int32_t loop_nodes_[kMaxActiveLoops + 1] = {};  // each active loop's Loop node
  int32_t loop_index_ = 0;
  // With back-references an iteration of a loop can match the empty text; each LoopBack then
  // remembers where it was last passed, so an empty iteration is not repeated.
  bool guard_loop_backs_ = false;
  std::vector<int32_t> loop_back_slot_;  // by node offset
  std::vector<int32_t> loop_back_pos_;

  BacktrackStack stack_;
  std::vector<LiteralOccurrences> literal_cache_;
  // The last run of each single-character repetition operand: [from, end) all match it.
  struct KnownRun {
    int operand;
    int32_t from;
    int32_t end;
  };
  std::vector<KnownRun> known_runs_;
  // Repetitions entered outside counted loops after which every cursor in [lowest, highest]
  // failed in this search, one range per repetition node.
  struct FailedRepeat {
    int node;
    int32_t lowest;
    int32_t highest;
  };
  std::vector<FailedRepeat> failed_repeats_;
  int64_t backtracks_ = 0;
  int64_t budget_ = 0;
  bool memo_on_ = false;
  // The program the memo points and plans were made for (plans point into its code), and
  // the points.
  const uint8_t* memo_code_data_ = nullptr;
  std::vector<uint8_t> memo_code_;
  MemoPoints memo_points_;
  // Repetition plans of the same program, by node offset (-1: not made yet).
  std::vector<RepeatPlan> plans_;
  std::vector<int32_t> plan_of_node_;
  FailedStates failed_;
};

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_MATCHER_H_
