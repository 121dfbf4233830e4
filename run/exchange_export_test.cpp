#include "run/exchange_export.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <fstream>
#include <map>
#include <random>
#include <set>

#include "testing/code_page_guard.h"
#include "testing/error_text.h"
#include "testing/qda_documents.h"
#include "testing/scratch_folder.h"
#include "text/trim.h"
#include "text/utf8.h"

namespace farrowdale {

using testing_support::ErrorText;
using testing_support::ScratchFolder;

namespace {

namespace fs = std::filesystem;
using testing_support::QdaSchema;
using testing_support::QdaSchemaErrors;
using testing_support::ReadZipEntries;

class QuietHost : public TCodingRunHost {
 public:
  void ShowInformation(const std::string& message) override { messages.push_back(message); }
  void ShellOpen(const fs::path&) override {}
  uint32_t TickCount() override { return 0; }
  std::chrono::system_clock::time_point Now() override { return now; }
  fs::path TemplateFolder() override { return {}; }
  void Progress(int, int) override {}
  void Warn(const fs::path& path, const std::string& message) override {
    warnings.push_back(path.string() + ": " + message);
  }

  std::chrono::system_clock::time_point now{std::chrono::seconds(1796000000)};
  std::vector<std::string> messages;
  std::vector<std::string> warnings;
};

std::u32string CodePoints(std::string_view utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  std::u32string out;
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF) c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    out.push_back(c);
  }
  return out;
}

std::string Utf8Of(const std::u32string& text) {
  std::u16string units;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(c);
    }
  }
  return Utf16ToUtf8(units, '?');
}

std::string Attribute(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, BAD_CAST name);
  std::string text = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

std::vector<xmlNode*> Children(xmlNode* parent, std::string_view name) {
  std::vector<xmlNode*> found;
  for (xmlNode* node = parent ? parent->children : nullptr; node; node = node->next) {
    if (node->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(node->name)) {
      found.push_back(node);
    }
  }
  return found;
}

// One selection as the project holds it: its code's name and the text it selects.
struct TSelected {
  std::string code;
  int64_t start = 0;
  int64_t end = 0;
  std::string text;
  bool operator==(const TSelected&) const = default;
};

// An export read back: the documents validated, each source's text and selections by name.
struct TReadBack {
  std::string project_errors;
  std::string codebook_errors;
  std::map<std::string, std::string> texts;
  std::map<std::string, std::vector<TSelected>> selections;
  std::string document;
};

TReadBack ReadBack(const fs::path& project_path, const fs::path& codebook_path) {
  TReadBack back;
  std::ifstream in(project_path, std::ios::binary);
  const std::string archive((std::istreambuf_iterator<char>(in)), {});
  std::map<std::string, std::string> entries;
  for (auto& [name, bytes] : ReadZipEntries(archive)) entries[name] = bytes;
  back.document = entries["project.qde"];
  back.project_errors = QdaSchemaErrors(QdaSchema::kProject, back.document);
  if (!codebook_path.empty()) {
    std::ifstream codebook(codebook_path, std::ios::binary);
    back.codebook_errors = QdaSchemaErrors(
        QdaSchema::kCodebook, std::string((std::istreambuf_iterator<char>(codebook)), {}));
  }
  xmlDoc* doc = xmlReadMemory(back.document.data(), static_cast<int>(back.document.size()),
                              "project.qde", nullptr, XML_PARSE_NONET);
  xmlNode* root = xmlDocGetRootElement(doc);
  std::map<std::string, std::string> code_names;
  for (xmlNode* book : Children(root, "CodeBook")) {
    for (xmlNode* codes : Children(book, "Codes")) {
      for (xmlNode* code : Children(codes, "Code")) {
        code_names[Attribute(code, "guid")] = Attribute(code, "name");
      }
    }
  }
  for (xmlNode* sources : Children(root, "Sources")) {
    for (xmlNode* source : Children(sources, "TextSource")) {
      const std::string name = Attribute(source, "name");
      std::string path = Attribute(source, "plainTextPath");
      path.replace(0, std::string("internal://").size(), "sources/");
      back.texts[name] = entries[path];
      const std::u32string text = CodePoints(entries[path]);
      for (xmlNode* selection : Children(source, "PlainTextSelection")) {
        TSelected& selected = back.selections[name].emplace_back();
        selected.start = std::stoll(Attribute(selection, "startPosition"));
        selected.end = std::stoll(Attribute(selection, "endPosition"));
        selected.text = Utf8Of(text.substr(static_cast<size_t>(selected.start),
                                           static_cast<size_t>(selected.end - selected.start)));
        for (xmlNode* coding : Children(selection, "Coding")) {
          for (xmlNode* ref : Children(coding, "CodeRef")) {
            selected.code = code_names[Attribute(ref, "targetGUID")];
          }
        }
      }
    }
  }
  xmlFreeDoc(doc);
  return back;
}

class ExchangeExportTest : public ::testing::Test {
 protected:
  void Write(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  TExchangeExportSummary Export(const std::vector<fs::path>& files, bool codebook = true) {
    TExchangeExportRequest request;
    request.tag_set_path = folder_.path() / "tags.ini";
    for (const fs::path& file : files) request.items.push_back({file, true});
    request.corpus_folder = folder_.path() / "corpus";
    request.coder = "coder";
    request.project_path = folder_.path() / "out.qdpx";
    if (codebook) request.codebook_path = folder_.path() / "out.qdc";
    return ExportExchangeProject(request, host_);
  }
  TReadBack Read() { return ReadBack(folder_.path() / "out.qdpx", folder_.path() / "out.qdc"); }

  CodePageGuard utf8_{"UTF-8"};
  ScratchFolder folder_{"exchange_export_test"};
  QuietHost host_;
};

TEST_F(ExchangeExportTest, PositionsAreCodePointsOfTheStrippedText) {
  Write(folder_.path() / "tags.ini",
        "[emotion]\nbegin=<e>\nend=</e>\ncolor=C0392B\n[-]\n[place]\nbegin=<p>\nend=</p>\n");
  // An emoji beyond U+FFFF first; nested, then crossing passages; a combining accent; an
  // empty passage; a begin marker that nothing ends; CR LF line ends.
  const fs::path file = folder_.path() / "corpus" / "sub" / "one.txt";
  Write(file,
        "\xF0\x9F\x98\x80 Start\r\n"
        "<e>joy <p>at home</p> here</e>\r\n"
        "<e>cafe\xCC\x81 <p>late</e> night</p>\r\n"
        "<e>  </e> <p>stray\r\n");
  const TExchangeExportSummary summary = Export({file});
  const TReadBack back = Read();
  EXPECT_EQ(back.project_errors, "");
  EXPECT_EQ(back.codebook_errors, "");
  EXPECT_EQ(back.texts.at("sub/one.txt"),
            "\xF0\x9F\x98\x80 Start\njoy at home here\ncafe\xCC\x81 late night\n   <p>stray\n");
  EXPECT_EQ(back.selections.at("sub/one.txt"),
            (std::vector<TSelected>{{"emotion", 8, 24, "joy at home here"},
                                    {"place", 12, 19, "at home"},
                                    {"emotion", 25, 35, "cafe\xCC\x81 late"},
                                    {"place", 31, 41, "late night"}}));
  EXPECT_EQ(summary.selections, 4);
  EXPECT_EQ(summary.empty_passages, 1);
  EXPECT_NE(host_.messages.at(0).find("1 passage(s) empty after trimming not exported"),
            std::string::npos);
  EXPECT_EQ(back.document.find("richTextPath"), std::string::npos);
}

TEST_F(ExchangeExportTest, TwoExportsDifferOnlyInTheirDates) {
  Write(folder_.path() / "tags.ini", "[a]\nbegin=<a>\nend=</a>\n[b]\nbegin=<b>\nend=</b>\n");
  const fs::path one = folder_.path() / "corpus" / "one.txt";
  const fs::path two = folder_.path() / "corpus" / "two.txt";
  Write(one, "<a>x <b>y</a></b> z");
  Write(two, "<b>b</b> <a></a>");
  const TExchangeExportSummary first = Export({one, two});
  const TReadBack before = Read();
  host_.now += std::chrono::hours(30);
  Export({one, two});
  const TReadBack after = Read();
  EXPECT_EQ(before.project_errors + after.project_errors, "");
  EXPECT_EQ(before.texts, after.texts);
  EXPECT_EQ(before.selections, after.selections);
  EXPECT_NE(before.document, after.document);
  std::string undated = before.document;
  for (size_t at; (at = undated.find("2026-11-30T00:53:20Z")) != std::string::npos;) {
    undated.replace(at, 20, "2026-12-01T06:53:20Z");
  }
  EXPECT_EQ(undated, after.document);
  EXPECT_EQ(first.empty_passages, 1);
}

TEST_F(ExchangeExportTest, OutputsNeverReplaceAListedTextAndACodebookNeedsATag) {
  Write(folder_.path() / "tags.ini", "[-]\n");
  const fs::path text = folder_.path() / "out.qdpx";
  Write(text, "<a>keep</a>");
  EXPECT_NE(ErrorText([&] { Export({text}, false); }).find("Cannot create file"),
            std::string::npos);
  EXPECT_NE(ErrorText([&] { Export({}); }).find("no tags"), std::string::npos);
  std::ifstream in(text);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "<a>keep</a>");
}

// Random coded texts built from pieces whose roles are known: text, and the begin and end
// markers of three tags, which nest and cross freely; a tag left open at the end leaves its
// last begin marker as stray text. For every selection the exported text's [start, end)
// must be the passage's own text with the passage markers of every tag removed, trimmed;
// removing them all from the original must give the exported text.
TEST_F(ExchangeExportTest, RandomCodedTextsSelectExactlyTheirPassages) {
  Write(folder_.path() / "tags.ini",
        "[a]\nbegin=<a>\nend=</a>\n[b]\nbegin=<b>\nend=</b>\n[c]\nbegin=<c>\nend=</c>\n");
  const std::vector<std::string> names = {"a", "b", "c"};
  const std::vector<std::string> begins = {"<a>", "<b>", "<c>"};
  const std::vector<std::string> ends = {"</a>", "</b>", "</c>"};
  const std::vector<std::string> pieces = {
      "x", "y", " ", "\t", "\r\n", "\n", "\xC3\xA9", "\xF0\x9F\x98\x80", "e\xCC\x81", "Z"};
  std::mt19937 random(2424);
  for (int round = 0; round < 60; ++round) {
    struct TPiece {
      std::string bytes;
      int tag = -1;  // a marker's tag, -1 for text
      bool begin = false;
    };
    std::vector<TPiece> text;
    std::vector<int> open_at(3, -1);
    const int length = std::uniform_int_distribution<int>(0, 40)(random);
    for (int i = 0; i < length; ++i) {
      if (std::uniform_int_distribution<int>(0, 2)(random) > 0) {
        text.push_back(
            {pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)]});
        continue;
      }
      const int tag = std::uniform_int_distribution<int>(0, 2)(random);
      const bool begin = open_at[tag] < 0;
      open_at[tag] = begin ? static_cast<int>(text.size()) : -1;
      text.push_back({begin ? begins[tag] : ends[tag], tag, begin});
    }
    for (int tag = 0; tag < 3; ++tag) {
      if (open_at[tag] >= 0) text[static_cast<size_t>(open_at[tag])].tag = -1;  // stray
    }
    text.push_back({"\r\n"});
    std::string original;
    std::string stripped;
    for (const TPiece& piece : text) {
      original += piece.bytes;
      if (piece.tag < 0) stripped += piece.bytes == "\r\n" ? "\n" : piece.bytes;
    }
    // Each passage's tag and text; a text may stand more than once.
    std::multiset<std::pair<std::string, std::string>> expected;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i].tag < 0 || !text[i].begin) continue;
      std::string inside;
      size_t j = i + 1;
      for (; text[j].tag != text[i].tag; ++j) {
        if (text[j].tag < 0) inside += text[j].bytes == "\r\n" ? "\n" : text[j].bytes;
      }
      const std::string selected(Trim(std::string_view(inside)));
      if (!selected.empty()) expected.insert({names[static_cast<size_t>(text[i].tag)], selected});
    }
    const fs::path file = folder_.path() / "corpus" / "random.txt";
    Write(file, original);
    Export({file}, false);
    const TReadBack back = ReadBack(folder_.path() / "out.qdpx", "");
    ASSERT_EQ(back.project_errors, "") << original;
    ASSERT_EQ(back.texts.at("random.txt"), stripped) << original;
    std::multiset<std::pair<std::string, std::string>> selected;
    if (back.selections.contains("random.txt")) {
      for (const TSelected& s : back.selections.at("random.txt")) selected.insert({s.code, s.text});
    }
    ASSERT_EQ(selected, expected) << original;
  }
}

}  // namespace
}  // namespace farrowdale
