// The records of a comparison of two coders' copies of a corpus (data only): per tag and file
// the counts the agreement measures rest on and the measures, per file what kept it from
// being compared, the problems each coder's coding has, and the SHA-256 of the tag sets
// compared with.
//
// Computed by CompareCoders (run/) from count/'s measures; the agreement report and table
// only render them.
#ifndef FARROWDALE_RESULTS_AGREEMENT_H_
#define FARROWDALE_RESULTS_AGREEMENT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/text_position.h"

namespace farrowdale {

// What the measures of one tag (or all tags) in one file (or all files) rest on.
struct TAgreementCounts {
  int64_t characters = 0;  // N; for all tags, each character once per tag
  int64_t a_chars = 0;     // characters coder A coded with the tag
  int64_t b_chars = 0;
  int64_t both_chars = 0;
  int64_t a_passages = 0;
  int64_t b_passages = 0;
  int64_t matched = 0;  // passages of A matched one to one with a passage of B
  // Krippendorff's unitized alpha's two sums, which add up over tags.
  double unitized_observed = 0;
  double unitized_expected = 0;
};

// One row of the table: "*" as tag for all tags, "*" as file for all files.
struct TAgreementRow {
  std::string tag;   // the tag's name (narrow text)
  std::string file;  // the path relative to the coders' folders (narrow text)
  TAgreementCounts counts;
  // None where a measure is undefined (no characters, nothing coded, chance agreement 1).
  std::optional<double> percent_all;    // (n11 + n00) / N
  std::optional<double> percent_coded;  // n11 / (n11 + n10 + n01)
  std::optional<double> kappa;          // Cohen's
  std::optional<double> alpha;          // Krippendorff's, nominal, on the characters
  std::optional<double> alpha_u;        // Krippendorff's unitized
};

enum class EFileComparison {
  kCompared,
  kTextDiffers,  // the two texts differ once the markers are removed
  kOnlyInA,
  kOnlyInB,
  kUnreadable,  // a copy could not be read or searched
};

// Where two stripped texts first differ, in each coder's file, with up to 20 characters of
// the stripped text on from there (UTF-8).
struct TTextDifference {
  TTextPosition a_place;
  TTextPosition b_place;
  std::string a_context;
  std::string b_context;
};

// A file's tag lists its first kListedDifferencesPerTag passage differences, each with up to
// kDifferenceContext characters of the common text on either side; a comparison lists
// kListedDifferencesInAll at most (in path order), the rest only counted.
inline constexpr int kListedDifferencesPerTag = 50;
inline constexpr int kListedDifferencesInAll = 2000;
inline constexpr int64_t kDifferenceContext = 30;

// A stretch of the common text as UTF-8; a long one keeps its head and tail and counts the
// characters left out between them.
struct TTextExcerpt {
  std::string head;
  int64_t omitted = 0;
  std::string tail;
};

// One coder's side of a passage difference: where the passage begins in that coder's file,
// its text, and up to kDifferenceContext characters of the common text on either side.
struct TPassageSide {
  TTextPosition place;
  std::string before;
  TTextExcerpt passage;
  std::string after;
};

// A passage the coders do not share: coder A's alone (no b), coder B's alone (no a), or a
// matched pair whose intervals differ (both).
struct TPassageDifference {
  std::optional<TPassageSide> a;
  std::optional<TPassageSide> b;
};

// One tag's passage differences in one file, in text order, the first ones listed and all
// of them counted.
struct TTagDifferences {
  std::string tag;  // narrow text
  int64_t total = 0;
  std::vector<TPassageDifference> listed;
};

// A coder's stray marker, empty passage or reading guess, at its place in that coder's file.
struct TCodingProblem {
  char coder = 'A';  // 'A' or 'B'
  TTextPosition place;
  std::string message;  // narrow text
};

struct TFileComparison {
  std::string file;  // relative path (narrow text)
  EFileComparison outcome = EFileComparison::kCompared;
  TTextDifference difference;  // for kTextDiffers
  std::string error;           // for kUnreadable
  std::vector<TCodingProblem> problems;
  std::vector<TAgreementRow> rows;           // for kCompared: one per tag, then "*" for all tags
  std::vector<TTagDifferences> differences;  // for kCompared: the tags that have any
};

struct TCoderComparison {
  std::vector<TFileComparison> files;  // by relative path
  std::vector<TAgreementRow> pooled;   // one per tag over all compared files, then "*"
  int files_compared = 0;
  double min_overlap = 0;
  // Lower-case hex SHA-256 of the bytes of each coder's tag set as read for the comparison,
  // so that a report names the tag sets compared with even if a file is replaced meanwhile;
  // B's is A's when B coded with A's file.
  std::string tag_set_a_sha256;
  std::string tag_set_b_sha256;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RESULTS_AGREEMENT_H_
