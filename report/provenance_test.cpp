#include "report/provenance.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/code_page_guard.h"
#include "testing/file_bytes.h"
#include "testing/time_zone_guard.h"

namespace farrowdale {
namespace {

using testing_support::TimeZoneGuard;
using testing_support::U16;

// 2026-03-01T23:30:05Z
const auto kRunTime = std::chrono::system_clock::from_time_t(1772407805);

TEST(ProvenanceTest, LocalTimeCarriesItsOffsetFromUtc) {
  {
    TimeZoneGuard zone("UTC0");
    EXPECT_EQ(FormatLocalIsoTime(kRunTime), "2026-03-01T23:30:05+00:00");
  }
  {
    TimeZoneGuard zone("<+0530>-5:30");
    EXPECT_EQ(FormatLocalIsoTime(kRunTime), "2026-03-02T05:00:05+05:30");
  }
  {
    TimeZoneGuard zone("<-0330>3:30");
    EXPECT_EQ(FormatLocalIsoTime(kRunTime), "2026-03-01T20:00:05-03:30");
  }
}

TEST(ProvenanceTest, Sha256OfKnownTexts) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(ProvenanceTest, SectionNamesTheRunAndEscapesEveryValue) {
  CodePageGuard code_page("UTF-8");
  TimeZoneGuard zone("UTC0");
  TProvenance provenance;
  provenance.run_time = kRunTime;
  provenance.tag_set_path = "/data/<tags> & more.ini";
  provenance.tag_set_sha256 = std::string(64, 'a');
  provenance.corpus_folder = "/data/\"corpus\"";
  provenance.file_count = 12;
  provenance.one_file = true;
  provenance.code_page = "UTF-8";
  provenance.filter = "a<b";
  provenance.grouping = {ELetterCase::kEveryAlphabet, ESpacing::kFolded};
  EXPECT_EQ(RenderProvenance(provenance),
            U16("<section class=\"provenance\">\n<h2>Provenance</h2>\n<dl>\n"
                "<dt>Run</dt><dd><time datetime=\"2026-03-01T23:30:05+00:00\">"
                "2026-03-01T23:30:05+00:00</time></dd>\n"
                "<dt>Program</dt><dd>Morrow Farrowdale 1.0</dd>\n"
                "<dt>Tag set</dt><dd>/data/&lt;tags&gt; &amp; more.ini</dd>\n"
                "<dt>Tag set SHA-256</dt><dd><code>" +
                std::string(64, 'a') +
                "</code></dd>\n"
                "<dt>Corpus folder</dt><dd>/data/&quot;corpus&quot;</dd>\n"
                "<dt>Files</dt><dd>12</dd>\n"
                "<dt>Reports</dt><dd>one for all files</dd>\n"
                "<dt>Code page</dt><dd>UTF-8</dd>\n"
                "<dt>Filter</dt><dd><code>a&lt;b</code></dd>\n"
                "<dt>Passages grouped by</dt><dd>letter case: every alphabet; spaces: folded</dd>\n"
                "</dl>\n</section>"));
  provenance.one_file = false;
  provenance.filter.clear();
  provenance.grouping = {};
  const std::u16string per_file = RenderProvenance(provenance);
  EXPECT_NE(per_file.find(u"<dt>Reports</dt><dd>one per file</dd>"), std::u16string::npos);
  EXPECT_NE(per_file.find(u"<dt>Filter</dt><dd>none</dd>"), std::u16string::npos);
  EXPECT_NE(per_file.find(u"<dd>letter case: A-Z only; spaces: exact</dd>"), std::u16string::npos);
}

}  // namespace
}  // namespace farrowdale
