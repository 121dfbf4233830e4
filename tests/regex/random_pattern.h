// Random patterns from the part of the dialect that the engine and PCRE2 read alike:
// literals and escapes, classes with ranges and negation, '.', groups, alternation (empty
// alternatives included), greedy and lazy "* + ? {n} {n,} {n,m}", anchors, word boundaries,
// back-references, comments and the i, g, s, m and x modifiers.
//
// Each pattern comes in two spellings: the engine's, and PCRE2's (compiled with DOTALL and
// DOLLAR_ENDONLY) for the same language and preference order. The differences spelled out:
// "\Z" is "\z" for PCRE2, back-references are "\g{n}", the engine's "(?-g)" (every later
// quantifier lazy) has no PCRE2 form and is dropped while the peer's quantifiers get their
// lazy "?", the Cyrillic ranges (bytes 224-255, 192-223, the reversed 224-223) carry their
// extra members 184 and 168 explicitly, "\s" is spelled out as TAB, LF, FF, CR and space
// (PCRE2's also holds byte 11), and the s and m modifiers are spelled out in the atoms they
// change: "." without s is "[^\r\n]", "^" and "$" with m are look-arounds for a line start
// or end where CR LF counts as one break.
//
// The generator keeps out what the dialects read differently: quantifiers on atoms that can
// match the empty text (an error for the engine), nested quantifiers, literal "{", a "-"
// next to a class escape, high bytes where case-insensitivity is on, and white space in x
// mode between an atom and its quantifier.
#ifndef FARROWDALE_TESTS_REGEX_RANDOM_PATTERN_H_
#define FARROWDALE_TESTS_REGEX_RANDOM_PATTERN_H_

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace farrowdale {

struct GeneratedPattern {
  std::string pattern;       // the engine's spelling
  std::string peer_pattern;  // PCRE2's spelling
  int group_count = 0;       // capture groups 1..group_count
  // Texts the pattern (or a part of it) matches, from which subjects are made.
  std::vector<std::string> samples;
};

class RandomPatternGenerator {
 public:
  explicit RandomPatternGenerator(uint32_t seed) : rng_(seed) {}

  // A non-empty pattern.
  GeneratedPattern NextPattern();
  // A subject of at most 40 bytes, no zero bytes: pieces of the pattern's samples, mutated,
  // between random bytes from a small alphabet that includes CR, LF and high bytes.
  std::string NextSubject(const GeneratedPattern& pattern);

 private:
  struct Fragment;
  struct Flags {
    bool no_case = false;     // modifier i
    bool greedy = true;       // modifier g
    bool dot_all = true;      // modifier s
    bool multi_line = false;  // modifier m
    bool extended = false;    // modifier x
  };

  Fragment Alternation(int depth);
  Fragment Sequence(int depth);
  Fragment Piece(int depth);
  Fragment Atom(int depth);
  Fragment Literal();
  Fragment Class();
  Fragment Group(int depth);
  Fragment BackReference();
  Fragment ModifierChange();
  void Quantify(Fragment& atom);

  // One character as the engine and PCRE2 both read it inside or outside a class.
  std::string CharSpelling(unsigned char c, bool in_class);
  unsigned char PatternChar();
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

  std::mt19937 rng_;
  Flags flags_;
  int next_group_ = 1;
  std::vector<int> closed_groups_;
  std::vector<std::string> group_samples_;
  std::vector<std::string> samples_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TESTS_REGEX_RANDOM_PATTERN_H_
