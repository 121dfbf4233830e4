#include "regex/compiler.h"

#include <cctype>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "regex/pattern_engine.h"
#include "regex/pattern_syntax.h"
#include "regex/program.h"
#include "regex/program_dump.h"
#include "regex/program_nodes.h"

namespace farrowdale::regex {
namespace {

CompileSettings Defaults(int modifiers = TPatternEngine::kDefaultModifiers) {
  CompileSettings s;
  s.modifiers = modifiers;
  s.whitespace_set = std::string_view(" \t\n\r\f", 5);
  s.word_character_set = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
  return s;
}

std::vector<uint8_t> Code(std::string_view pattern,
                          int modifiers = TPatternEngine::kDefaultModifiers) {
  return Compile(pattern, Defaults(modifiers)).code;
}

std::string Dump(std::string_view pattern, int modifiers = TPatternEngine::kDefaultModifiers) {
  return DumpProgram(Compile(pattern, Defaults(modifiers)));
}

TEST(CompilerTest, ProgramLayoutOfSimplePatterns) {
  // The top-level Alternative holds the pattern; a repetition node holds its operand node.
  EXPECT_EQ(Dump("ab"),
            "1 Alternative -> 14\n"
            "6 Literal \"ab\" -> 14\n"
            "14 End -> end\n");
  EXPECT_EQ(Dump("a*"),
            "1 Alternative -> 18\n"
            "6 StarRepeat -> 18\n"
            "11 Literal \"a\" -> end\n"
            "18 End -> end\n");
  EXPECT_EQ(Dump("a{2,3}?"),
            "1 Alternative -> 26\n"
            "6 CountRepeatLazy {2,3} -> 26\n"
            "19 Literal \"a\" -> end\n"
            "26 End -> end\n");
  // "x+" on a group: the group, then a choice between going back and going on.
  EXPECT_EQ(Dump("(a|aa)+$"),
            "1 Alternative -> 66\n"
            "6 GroupOpen 1 -> 11\n"
            "11 Alternative -> 23\n"
            "16 Literal \"a\" -> 36\n"
            "23 Alternative -> 36\n"
            "28 Literal \"aa\" -> 36\n"
            "36 GroupClose 1 -> 41\n"
            "41 Alternative -> 51\n"
            "46 LoopBack -> 6\n"
            "51 Alternative -> 56\n"
            "56 Empty -> 61\n"
            "61 SubjectEnd -> 66\n"
            "66 End -> end\n");

  // Without g, "*" is lazy and "?" does not make it greedy.
  EXPECT_EQ(Code("a*", TPatternEngine::kModifierS)[6], kStarRepeatLazy);
  EXPECT_EQ(Code("a*?", TPatternEngine::kModifierS)[6], kStarRepeatLazy);
}

TEST(CompilerTest, ClassesAreTinyOrSets) {
  // The class node's kind and operand (after any leading comment node).
  auto operand = [](std::string_view pattern) {
    std::vector<uint8_t> code = Code(pattern);
    int node = OperandOf(1);
    while (code[node] == kComment) node = NextNode(code.data(), node);
    const int size = code[node] == kAnyOfSet ? kSetSize : kFewSize;
    // The kind byte, then the operand (which follows the node's link).
    std::vector<uint8_t> out(code.begin() + OperandOf(node) - 1,
                             code.begin() + OperandOf(node) + size);
    out[0] = code[node];
    return out;
  };
  EXPECT_EQ(operand("[cab]"), (std::vector<uint8_t>{kAnyOfFew, 'a', 'b', 'c'}));
  // Fewer than three members: the largest repeats; duplicates count once.
  EXPECT_EQ(operand("[baa]"), (std::vector<uint8_t>{kAnyOfFew, 'a', 'b', 'b'}));
  EXPECT_EQ(operand("[^x]"), (std::vector<uint8_t>{kAnyButFew, 'x', 'x', 'x'}));
  EXPECT_EQ(operand("(?i)[a]"), (std::vector<uint8_t>{kAnyOfFew, 'A', 'a', 'a'}));
  // Four members: a 256-bit set, bit c of byte c / 8; negated: the complement.
  std::vector<uint8_t> set = operand("[a-d]");
  ASSERT_EQ(set.size(), size_t{1 + kSetSize});
  EXPECT_EQ(set[0], kAnyOfSet);
  EXPECT_EQ(set[1 + ('a' >> 3)], 0x1E);  // bits 1..4 of byte 12 ('a' = 97)
  std::vector<uint8_t> negated = operand("[^a-d]");
  EXPECT_EQ(negated[1 + ('a' >> 3)], 0xE1);
  EXPECT_EQ(negated[1], 0xFF);
  // \s is a class of the whitespace characters.
  EXPECT_EQ(operand("\\s")[0], kAnyOfSet);
}

TEST(CompilerTest, CountedLoopsOnGroups) {
  // "(ab){2,3}": LoopEntry -> Loop; group -> Loop; Loop back link to the group.
  EXPECT_EQ(Dump("(ab){2,3}"),
            "1 Alternative -> 51\n"
            "6 LoopEntry -> 34\n"
            "11 GroupOpen 1 -> 16\n"
            "16 Alternative -> 29\n"
            "21 Literal \"ab\" -> 29\n"
            "29 GroupClose 1 -> 34\n"
            "34 Loop {2,3} back to 11 -> 51\n"
            "51 End -> end\n");
  const int entry = 6;
  std::vector<uint8_t> code;
  // Lazy forms on groups use the lazy loop with an open maximum.
  code = Code("(ab)*?");
  EXPECT_EQ(code[entry], kLoopEntry);
  const int lazy = NextNode(code.data(), entry);
  EXPECT_EQ(code[lazy], kLoopLazy);
  EXPECT_EQ(ReadInt32(&code[lazy + 9]), kOpenBraceMax);
  EXPECT_EQ(Compile("(a)(b)((c))", Defaults()).group_count, 4);
}

// The lists callers escape by (regex/pattern_syntax.h) are the compiler's own: an escaped
// letter or digit compiles to the character itself exactly when the list leaves it out, and
// an operator escaped is the plain character, whatever it would be alone.
TEST(CompilerTest, SyntaxListsAreWhatTheCompilerReads) {
  for (char c = '0'; c <= 'z'; ++c) {
    if (!std::isalnum(static_cast<unsigned char>(c))) continue;
    std::string escaped;
    try {
      escaped = Dump(std::string("\\") + c);
    } catch (const EPatternError&) {
      escaped = "error";
    }
    EXPECT_EQ(escaped != Dump(std::string(1, c)), IsPatternEscapeLetter(c)) << c;
  }
  for (const char c : kPatternOperators) {
    TPatternEngine engine;
    engine.SetExpression(std::string("\\") + c);
    const std::string subject = std::string("ab") + c;
    ASSERT_TRUE(engine.Exec(subject)) << c;
    EXPECT_EQ(engine.MatchPos(0), 3) << c;
    EXPECT_EQ(engine.MatchLen(0), 1) << c;
  }
}

TEST(CompilerTest, TypedNodeReadsCheckTheKind) {
  const Program program = Compile("(ab){2,3}", Defaults());
  const uint8_t* code = program.code.data();
  EXPECT_EQ(LoopBounds(code, 34).min, 2);
  EXPECT_EQ(LoopBounds(code, 34).max, 3);
  EXPECT_EQ(LoopBody(code, 34), 11);
  EXPECT_EQ(LiteralText(code, 21), "ab");
  EXPECT_THROW(CountBounds(code, 34), EPatternError);
  EXPECT_THROW(LiteralText(code, 11), EPatternError);
}

struct ErrorCase {
  std::string pattern;
  int number;
  int position;
};

TEST(CompilerTest, ErrorsCarryNumberMessageAndPosition) {
  const std::vector<ErrorCase> cases = {
      {"(a", 103, 2},        {"a)", 104, 1},    {"[z-a]", 109, 3},    {"a**", 107, 2},
      {"a*??", 107, 3},      {"a*{2}", 107, 2}, {"*a", 115, 1},       {"(+)", 115, 2},
      {"^{x}", 106, 1},      {"(a*)*", 106, 4}, {"()+", 106, 2},      {"(a|)*", 106, 4},
      {"(a{0,3})*", 106, 8}, {"\\b+", 106, 2},  {"(?x)a *", 106, 6},  {"\\x{141}", 112, 5},
      {"\\x4", 111, 3},      {"\\x", 111, 2},   {"\\x{4", 111, 4},    {"\\xg1", 108, 2},
      {"(?:a)", 127, 2},     {"(?i", 127, 3},   {"a(?#note", 125, 8}, {"a\\", 116, 2},
      {"[a\\", 110, 3},      {"[a", 113, 2},    {"[]", 113, 2},       {"a{123456789}", 122, 11},
      {"a{3,2}", 124, 5},    {"[a-\\", 110, 4},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.pattern);
    try {
      Compile(c.pattern, Defaults());
      ADD_FAILURE() << "compiled";
    } catch (const EPatternError& e) {
      EXPECT_EQ(e.ErrorNumber(), c.number);
      EXPECT_EQ(e.ErrorPosition(), c.position);
      EXPECT_EQ(std::string(e.what()),
                TPatternEngine::ErrorText(c.number) + " (pos " + std::to_string(c.position) + ")");
    }
  }
  std::string fourteen, fifteen;
  for (int i = 0; i < 14; ++i) fourteen += "(a)";
  EXPECT_NO_THROW(Compile(fourteen, Defaults()));
  try {
    Compile(fourteen + "(a)", Defaults());
    ADD_FAILURE() << "fifteen groups compiled";
  } catch (const EPatternError& e) {
    EXPECT_STREQ(e.what(), "Pattern(comp): ParseReg Too Many () (pos 43)");
  }
  // Valid neighbours of the errors above.
  for (const char* ok : {"(a*)?", "(a{1,3})*", "a??", "[a-a]", "{2}", "a{,2}", "a{2", "(?)",
                         "\\x{}", "(?imsrgx-imsrgx)a", "[\\]]", "a|", "|"}) {
    EXPECT_NO_THROW(Compile(ok, Defaults())) << ok;
  }
}

TEST(CompilerTest, LiteralRunsLeaveTheirLastCharacterToAQuantifier) {
  // "abc*" is Literal "ab" then a repetition of "c".
  std::vector<uint8_t> code = Code("abc*");
  EXPECT_EQ(code[6], kLiteral);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&code[11])), "ab");
  EXPECT_EQ(code[NextNode(code.data(), 6)], kStarRepeat);
  // Under x white space inside a run is dropped and "#" ends it.
  code = Code("(?x)a b#c", TPatternEngine::kModifierX | TPatternEngine::kDefaultModifiers);
  const int literal = NextNode(code.data(), 6);
  EXPECT_EQ(code[literal], kLiteral);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&code[literal + 5])), "ab");
}

}  // namespace
}  // namespace farrowdale::regex
