// Test support for run/: a tag made from its two markers.
#ifndef FARROWDALE_COUNT_TEST_TAGS_H_
#define FARROWDALE_COUNT_TEST_TAGS_H_

#include <string>
#include <utility>

#include "tagset/tag_set.h"

namespace farrowdale {

// A tag named "t" with the given markers and no colour.
inline TTagInfo Tag(std::string begin, std::string end) {
  TTagInfo tag;
  tag.Name = "t";
  tag.BeginMark = std::move(begin);
  tag.EndMark = std::move(end);
  return tag;
}

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_TEST_TAGS_H_
