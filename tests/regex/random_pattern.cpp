#include "tests/regex/random_pattern.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>

#include "regex/pattern_syntax.h"

namespace farrowdale {

namespace {

// Bytes a pattern may hold as literals or class members. No zero byte: it ends a pattern.
constexpr std::string_view kAsciiPool = "abcxyzABXYZ019 -,=<>/_~!\"'%&:;@#}].*+?()[{|^$\\\r\n\t";
constexpr std::string_view kHighPool = "\xe9\xc9\xe0\xff\xb8\xa8\x80\xc0\xdf";
// Subject noise: a few letters both cases, separators, line breaks, high bytes.
constexpr std::string_view kNoise = "abcxAB01 -_.<>/\r\n\t\v\xe9\xc9\xe0\xb8]";

char OtherCase(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  return c;
}

std::string Hex(unsigned char c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
  return buffer;
}

}  // namespace

struct RandomPatternGenerator::Fragment {
  std::string ours;
  std::string peer;
  std::string sample;
  bool true_width = false;     // never matches the empty text
  bool single = false;         // a one-character atom that is not a back-reference
  bool group = false;          // a capture group
  bool has_unbounded = false;  // holds a "*", "+" or "{n,}"

  void Append(const Fragment& next) {
    ours += next.ours;
    peer += next.peer;
    sample += next.sample;
    true_width = true_width || next.true_width;
    has_unbounded = has_unbounded || next.has_unbounded;
    single = false;
    group = false;
  }
};

GeneratedPattern RandomPatternGenerator::NextPattern() {
  for (;;) {
    flags_ = Flags();
    next_group_ = 1;
    closed_groups_.clear();
    group_samples_.assign(15, std::string());
    samples_.clear();
    Fragment whole = Alternation(0);
    if (whole.ours.empty()) continue;
    GeneratedPattern result;
    result.pattern = whole.ours;
    result.peer_pattern = whole.peer;
    result.group_count = next_group_ - 1;
    result.samples = samples_;
    result.samples.push_back(whole.sample);
    return result;
  }
}

std::string RandomPatternGenerator::NextSubject(const GeneratedPattern& pattern) {
  const int target = Uniform(0, 24);
  std::string subject;
  while (static_cast<int>(subject.size()) < target) {
    if (!pattern.samples.empty() && Chance(0.5)) {
      subject += pattern.samples[Uniform(0, static_cast<int>(pattern.samples.size()) - 1)];
    } else {
      for (int n = Uniform(1, 3); n > 0; --n) {
        subject += kNoise[Uniform(0, static_cast<int>(kNoise.size()) - 1)];
      }
    }
  }
  if (!subject.empty() && Chance(0.3)) {
    subject[Uniform(0, static_cast<int>(subject.size()) - 1)] =
        kNoise[Uniform(0, static_cast<int>(kNoise.size()) - 1)];
  }
  if (subject.size() > 40) subject.resize(40);
  return subject;
}

RandomPatternGenerator::Fragment RandomPatternGenerator::Alternation(int depth) {
  const int count = Chance(0.3) ? Uniform(2, 3) : 1;
  Fragment result;
  result.true_width = true;
  for (int i = 0; i < count; ++i) {
    Fragment alternative;
    if (count == 1 || !Chance(0.1)) alternative = Sequence(depth);
    if (i > 0) {
      result.ours += '|';
      result.peer += '|';
    }
    result.ours += alternative.ours;
    result.peer += alternative.peer;
    result.true_width = result.true_width && alternative.true_width;
    result.has_unbounded = result.has_unbounded || alternative.has_unbounded;
    if (i == 0 || Chance(0.5)) result.sample = alternative.sample;
  }
  return result;
}

RandomPatternGenerator::Fragment RandomPatternGenerator::Sequence(int depth) {
  Fragment result;
  for (int n = Uniform(1, depth == 0 ? 4 : 3); n > 0; --n) {
    result.Append(Piece(depth));
    // White space and comments between pieces (never between an atom and its quantifier).
    if (flags_.extended && Chance(0.3)) {
      static constexpr std::string_view kSpace[] = {" ", "\t", "\r\n", "  ", "#note\n"};
      const std::string space(kSpace[Uniform(0, 4)]);
      result.ours += space;
      result.peer += space;
    }
  }
  if (depth == 0) samples_.push_back(result.sample);
  return result;
}

RandomPatternGenerator::Fragment RandomPatternGenerator::Piece(int depth) {
  Fragment atom = Atom(depth);
  if ((atom.single || atom.group) && Chance(0.35)) Quantify(atom);
  return atom;
}

RandomPatternGenerator::Fragment RandomPatternGenerator::Atom(int depth) {
  const int roll = Uniform(0, 99);
  if (roll < 35) return Literal();
  if (roll < 43) {
    Fragment any;
    any.ours = ".";
    any.peer = flags_.dot_all ? "." : "[^\\r\\n]";
    any.sample = std::string(1, kNoise[Uniform(0, static_cast<int>(kNoise.size()) - 1)]);
    any.true_width = any.single = true;
    return any;
  }
  if (roll < 58) return Class();
  if (roll < 64) {
    static constexpr std::string_view kEscapes = "dDwWsS";
    static constexpr std::string_view kEscapeSamples = "7a_?\t-";
    const int which = Uniform(0, 5);
    Fragment escape;
    escape.ours = escape.peer = std::string("\\") + kEscapes[which];
    if (kEscapes[which] == 's') escape.peer = "[\\t\\n\\f\\r ]";
    if (kEscapes[which] == 'S') escape.peer = "[^\\t\\n\\f\\r ]";
    escape.sample = std::string(1, kEscapeSamples[which]);
    escape.true_width = escape.single = true;
    return escape;
  }
  if (roll < 78 && depth < 3 && next_group_ <= 14) return Group(depth);
  if (roll < 84) {
    static constexpr std::string_view kAssertions[] = {"^", "$", "\\A", "\\Z", "\\b", "\\B"};
    Fragment assertion;
    assertion.ours = kAssertions[Uniform(0, 5)];
    assertion.peer = assertion.ours == "\\Z" ? "\\z" : assertion.ours;
    // With m, a line starts at the subject start or after CR or LF, an end is at the subject
    // end or before CR or LF; never between the CR and the LF of a CR LF.
    if (flags_.multi_line && assertion.ours == "^") {
      assertion.peer = "(?:(?<![^\\r\\n])(?!(?<=\\r)\\n))";
    } else if (flags_.multi_line && assertion.ours == "$") {
      assertion.peer = "(?:\\z|(?=[\\r\\n])(?!(?<=\\r)\\n))";
    }
    return assertion;
  }
  if (roll < 88 && !closed_groups_.empty() && !flags_.no_case) return BackReference();
  if (roll < 96) return ModifierChange();
  return Literal();
}

unsigned char RandomPatternGenerator::PatternChar() {
  if (!flags_.no_case && Chance(0.12)) {
    return kHighPool[Uniform(0, static_cast<int>(kHighPool.size()) - 1)];
  }
  return kAsciiPool[Uniform(0, static_cast<int>(kAsciiPool.size()) - 1)];
}

std::string RandomPatternGenerator::CharSpelling(unsigned char c, bool in_class) {
  if (Chance(0.08)) return Hex(c);
  // In x mode white space and "#" outside a class are pattern syntax, not literals.
  if (flags_.extended && !in_class) {
    if (c == ' ' || c == '#') return std::string("\\") + static_cast<char>(c);
    if (c == '\r' || c == '\n' || c == '\t') return Hex(c);
  }
  switch (c) {
    case '\r':
      return Chance(0.5) ? "\\r" : "\r";
    case '\n':
      return Chance(0.5) ? "\\n" : "\n";
    case '\t':
      return Chance(0.5) ? "\\t" : "\t";
    default:
      break;
  }
  // ":", "=" and "." escaped: PCRE2 reads "[:", "[=" and "[." as POSIX class syntax.
  constexpr std::string_view kClassMeta = "]\\^-[:=.";
  if ((in_class ? kClassMeta : kPatternOperators).find(static_cast<char>(c)) !=
      std::string_view::npos) {
    return std::string("\\") + static_cast<char>(c);
  }
  return std::string(1, static_cast<char>(c));
}

RandomPatternGenerator::Fragment RandomPatternGenerator::Literal() {
  Fragment literal;
  const int length = Chance(0.6) ? 1 : Uniform(2, 3);
  for (int i = 0; i < length; ++i) {
    const unsigned char c = PatternChar();
    literal.ours += CharSpelling(c, false);
    char shown = static_cast<char>(c);
    if (flags_.no_case && Chance(0.5)) shown = OtherCase(shown);
    literal.sample += shown;
  }
  literal.peer = literal.ours;
  literal.true_width = true;
  literal.single = length == 1;
  return literal;
}

RandomPatternGenerator::Fragment RandomPatternGenerator::Class() {
  Fragment result;
  std::set<unsigned char> members;
  auto add_range = [&](int lo, int hi) {
    for (int c = lo; c <= hi; ++c) members.insert(static_cast<unsigned char>(c));
  };
  const bool negated = Chance(0.3);
  std::string body;
  std::string peer_body;  // as body, but with the extra members of Cyrillic ranges spelled out
  auto emit = [&](const std::string& ours, const std::string& peer) {
    body += ours;
    peer_body += peer;
  };
  if (Chance(0.1)) {
    emit("]", "]");
    members.insert(']');
  } else if (Chance(0.1)) {
    emit("-", "-");
    members.insert('-');
  }
  const int units = Uniform(1, 4);
  for (int i = 0; i < units; ++i) {
    const int kind = Uniform(0, 9);
    if (kind < 5) {
      const unsigned char c = PatternChar();
      const std::string spelling = CharSpelling(c, true);
      emit(spelling, spelling);
      members.insert(c);
    } else if (kind < 8) {
      unsigned char lo = PatternChar();
      unsigned char hi = PatternChar();
      if (lo > hi) std::swap(lo, hi);
      // The Cyrillic ranges of the r modifier (on by default) add bytes 184 and 168.
      if (!flags_.no_case && Chance(0.1)) {
        static constexpr unsigned char kCyrillic[3][2] = {{224, 255}, {192, 223}, {224, 223}};
        const int which = Uniform(0, 2);
        lo = kCyrillic[which][0];
        hi = kCyrillic[which][1];
      }
      const std::string range = CharSpelling(lo, true) + "-" + CharSpelling(hi, true);
      if (lo == 224 && hi == 223) {
        emit(range, "\\xC0-\\xFF\\xA8\\xB8");
        add_range(192, 255);
        members.insert(168);
        members.insert(184);
      } else if (lo == 224 && hi == 255) {
        emit(range, range + "\\xB8");
        add_range(lo, hi);
        members.insert(184);
      } else if (lo == 192 && hi == 223) {
        emit(range, range + "\\xA8");
        add_range(lo, hi);
        members.insert(168);
      } else {
        emit(range, range);
        add_range(lo, hi);
      }
    } else {
      static constexpr std::string_view kClassEscapes[] = {"\\d", "\\w", "\\s"};
      static constexpr std::string_view kClassEscapeMembers[] = {
          "0123456789", "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_",
          " \t\n\r\f"};
      const int which = Uniform(0, 2);
      emit(std::string(kClassEscapes[which]),
           which == 2 ? "\\t\\n\\f\\r " : std::string(kClassEscapes[which]));
      for (char c : kClassEscapeMembers[which]) members.insert(static_cast<unsigned char>(c));
    }
  }
  if (Chance(0.1)) {
    emit("-", "-");
    members.insert('-');
  }
  if (flags_.no_case) {
    std::set<unsigned char> both = members;
    for (unsigned char c : members) both.insert(static_cast<unsigned char>(OtherCase(c)));
    members = both;
  }
  const std::string open = negated ? "[^" : "[";
  result.ours = open + body + "]";
  result.peer = open + peer_body + "]";
  std::vector<unsigned char> candidates;
  for (unsigned char c : kNoise) {
    if (members.count(c) != negated) candidates.push_back(c);
  }
  if (!negated) candidates.assign(members.begin(), members.end());
  if (!candidates.empty()) {
    result.sample = std::string(
        1, static_cast<char>(candidates[Uniform(0, static_cast<int>(candidates.size()) - 1)]));
  }
  result.true_width = result.single = true;
  return result;
}

RandomPatternGenerator::Fragment RandomPatternGenerator::Group(int depth) {
  const int number = next_group_++;
  const Flags saved = flags_;
  Fragment inner = Alternation(depth + 1);
  flags_ = saved;
  Fragment group;
  group.ours = "(" + inner.ours + ")";
  group.peer = "(" + inner.peer + ")";
  group.sample = inner.sample;
  group.true_width = inner.true_width;
  group.has_unbounded = inner.has_unbounded;
  group.group = true;
  closed_groups_.push_back(number);
  group_samples_[number] = inner.sample;
  return group;
}

RandomPatternGenerator::Fragment RandomPatternGenerator::BackReference() {
  std::vector<int> usable;
  for (int n : closed_groups_) {
    if (n <= 9) usable.push_back(n);
  }
  if (usable.empty()) return Literal();
  const int n = usable[Uniform(0, static_cast<int>(usable.size()) - 1)];
  Fragment reference;
  reference.ours = "\\" + std::to_string(n);
  reference.peer = "\\g{" + std::to_string(n) + "}";
  reference.sample = group_samples_[n];
  return reference;
}

RandomPatternGenerator::Fragment RandomPatternGenerator::ModifierChange() {
  Fragment change;
  switch (Uniform(0, 9)) {
    case 0:
      change.ours = "(?i)";
      change.peer = "(?i)";
      flags_.no_case = true;
      break;
    case 1:
      change.ours = "(?I)";
      change.peer = "(?i)";
      flags_.no_case = true;
      break;
    case 2:
      change.ours = change.peer = "(?-i)";
      flags_.no_case = false;
      break;
    case 3:
      change.ours = Chance(0.5) ? "(?-g)" : "(?-G)";
      flags_.greedy = false;
      break;
    case 4:
      change.ours = "(?g)";
      flags_.greedy = true;
      break;
    case 5:
      change.ours = "(?)";
      break;
    case 6:
      change.ours = "(?#note)";
      change.peer = "(?#note)";
      break;
    case 7:
      flags_.dot_all = !flags_.dot_all;
      change.ours = flags_.dot_all ? "(?s)" : "(?-s)";
      break;
    case 8:
      flags_.multi_line = !flags_.multi_line;
      change.ours = flags_.multi_line ? "(?m)" : "(?-m)";
      break;
    default:
      flags_.extended = !flags_.extended;
      change.ours = change.peer = flags_.extended ? "(?x)" : "(?-x)";
      break;
  }
  return change;
}

void RandomPatternGenerator::Quantify(Fragment& atom) {
  // A group that can match the empty text takes only "?" (anything else is an error for the
  // engine); a group that already holds an unbounded repeat gets no second one, which keeps
  // the backtracking of both engines polynomial.
  const bool any_quantifier = atom.single || atom.true_width;
  const bool unbounded_allowed = !(atom.group && atom.has_unbounded);
  // PCRE2 (10.42) anchors a pattern whose first group begins with "^" or "\A" in every
  // branch even when that group is repeated zero times; groups get no "{0}" for that.
  const bool zero_allowed = !atom.group;
  std::string quantifier;
  int min = 0;
  int max = 0;  // -1: unbounded
  const int kind = any_quantifier ? Uniform(0, 5) : 2;
  switch (kind) {
    case 0:
      quantifier = unbounded_allowed ? "*" : "?";
      max = unbounded_allowed ? -1 : 1;
      break;
    case 1:
      quantifier = unbounded_allowed ? "+" : "?";
      min = unbounded_allowed ? 1 : 0;
      max = unbounded_allowed ? -1 : 1;
      break;
    case 2:
      quantifier = "?";
      max = 1;
      break;
    case 3:
      min = max = Uniform(zero_allowed ? 0 : 1, 3);
      quantifier = "{" + std::to_string(min) + "}";
      break;
    case 4:
      if (unbounded_allowed) {
        min = Uniform(0, 2);
        max = -1;
        quantifier = "{" + std::to_string(min) + ",}";
        break;
      }
      [[fallthrough]];
    default:
      min = Uniform(0, 2);
      max = std::max(min + Uniform(0, 2), zero_allowed ? 0 : 1);
      quantifier = "{" + std::to_string(min) + "," + std::to_string(max) + "}";
      break;
  }
  const bool lazy_mark = Chance(0.4);
  const bool lazy = lazy_mark || !flags_.greedy;
  atom.ours += quantifier + (lazy_mark ? "?" : "");
  atom.peer += quantifier + (lazy ? "?" : "");
  const int repeats = max < 0 ? min + Uniform(0, 2) : Uniform(min, max);
  std::string sample;
  for (int i = 0; i < repeats; ++i) sample += atom.sample;
  atom.sample = sample;
  atom.true_width = atom.true_width && min > 0;
  atom.has_unbounded = atom.has_unbounded || max < 0;
  atom.single = false;
  atom.group = false;
}

}  // namespace farrowdale
