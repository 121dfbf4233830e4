// The comparison of two coders' copies of a corpus: for every text file of the same relative
// path in both folders, both copies stripped of their markers (StripMarkers), their texts
// required to be the same, and the agreement of the two codings measured per tag and file,
// per tag over all compared files (the files one continuum in path order) and over all tags.
// Files found in one folder only are listed, not compared; a file whose two texts differ is
// listed with the place of the first difference.
//
// What a front end calls (the command line's "agree", a window's coder comparison); it reads
// and computes only, and writes nothing.
#ifndef FARROWDALE_RUN_CODER_COMPARISON_H_
#define FARROWDALE_RUN_CODER_COMPARISON_H_

#include <filesystem>

#include "count/passage_matching.h"
#include "results/agreement.h"

namespace farrowdale {

struct TCoderComparisonRequest {
  std::filesystem::path folder_a;
  std::filesystem::path folder_b;
  std::filesystem::path tag_set_a;
  // Coder B's tag set when B coded with markers of its own under the same tag names; empty:
  // tag_set_a.
  std::filesystem::path tag_set_b;
  bool recursive = false;  // the text files of sub-folders too
  double min_overlap = kDefaultMinOverlap;
  int jobs = 0;  // threads; 0: one per core
};

inline constexpr int kContextAfterDifference = 20;

// REQUIRES: the system code page is chosen. Throws Error when a tag set cannot be read, has
// no tag, lacks a tag of A's by name (B's) or holds a pattern that does not compile, and when
// a folder cannot be listed. A copy that cannot be read is that file's outcome, not an error.
TCoderComparison CompareCoders(const TCoderComparisonRequest& request);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_CODER_COMPARISON_H_
