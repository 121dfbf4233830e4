#include "count/grouping_notes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "testing/code_page_guard.h"
#include "testing/reference_grouping_notes.h"

namespace farrowdale {
namespace {

// Passages that the default grouping counts apart but the optional ones join: spacing and line
// breaks, case outside A-Z (in UTF-8), and case inside A-Z, which the default grouping joins.
const char* const kPassages[] = {"red fox",
                                 "red  fox",
                                 "red\nfox",
                                 "Red fox",
                                 "RED FOX",
                                 "\xc3\xa9t\xc3\xa9",
                                 "\xc3\x89t\xc3\xa9",
                                 "\xc3\x89T\xc3\x89",
                                 "été  long",
                                 "été\r\nlong",
                                 "blue",
                                 "Blue",
                                 "blue  sky",
                                 "x",
                                 "X",
                                 "a b c",
                                 "a\tb c"};

// Many runs of random files, each file a random sequence of passages from kPassages for two
// tags: the notes from the files' distinct passages, added in a shuffled order from two
// threads, equal the plain reference's from every occurrence in run order, and each file's
// distinct passages are placed once each.
TEST(GroupingNotesTest, FilesDistinctPassagesGiveTheNotesOfEveryOccurrence) {
  CodePageGuard utf8("UTF-8");
  std::mt19937 random(7);
  size_t notes_seen = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const size_t tags = 2;
    TGroupingNotes notes(tags);
    std::vector<std::vector<TPlacedPassage>> every(tags);
    const int files = 1 + static_cast<int>(random() % 4);
    const size_t variety = 2 + random() % (std::size(kPassages) - 1);
    struct TFileTag {
      size_t file, tag;
      std::vector<TNotePassage> distinct;
    };
    std::vector<TFileTag> added;
    for (int file = 0; file < files; ++file) {
      for (size_t tag = 0; tag < tags; ++tag) {
        // The file's text: its passages one after another, so that each view has an offset.
        std::vector<std::string> texts(random() % 40);
        std::string file_text;
        for (std::string& text : texts) {
          text = kPassages[random() % variety];
          file_text += text + "|";
        }
        std::vector<std::string_view> views;
        size_t offset = 0;
        for (const std::string& text : texts) {
          views.emplace_back(file_text.data() + offset, text.size());
          const std::string place = "f" + std::to_string(file) + ":1:" + std::to_string(offset);
          every[tag].push_back({text, place});
          offset += text.size() + 1;
        }
        int placed = 0;
        std::vector<TNotePassage> distinct =
            DistinctNotePassages(views, [&](std::string_view passage) {
              ++placed;
              return "f" + std::to_string(file) +
                     ":1:" + std::to_string(passage.data() - file_text.data());
            });
        EXPECT_EQ(placed, static_cast<int>(distinct.size()));
        added.push_back({static_cast<size_t>(file), tag, std::move(distinct)});
      }
    }
    std::shuffle(added.begin(), added.end(), random);
    const auto add_every_other = [&](size_t first) {
      for (size_t i = first; i < added.size(); i += 2) {
        notes.AddFile(added[i].tag, added[i].file, std::move(added[i].distinct));
      }
    };
    std::thread other(add_every_other, 1);
    add_every_other(0);
    other.join();
    for (size_t tag = 0; tag < tags; ++tag) {
      const std::string name = "T" + std::to_string(tag);
      const std::vector<std::string> expected = ReferenceGroupingNotes(every[tag], name);
      ASSERT_EQ(notes.Notes(tag, name), expected) << "trial " << trial << ", tag " << tag;
      notes_seen += expected.size();
    }
  }
  EXPECT_GT(notes_seen, 100u);  // the trials reach both kinds of note often
}

}  // namespace
}  // namespace farrowdale
