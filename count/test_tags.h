// Test support for count/ and run/: a tag made from its markers.
#ifndef FARROWDALE_COUNT_TEST_TAGS_H_
#define FARROWDALE_COUNT_TEST_TAGS_H_

#include <string>
#include <utility>

#include "tagset/tag_set.h"

namespace farrowdale {

// A tag with the given name and markers and no colour.
inline TTagInfo NamedTag(std::string name, std::string begin, std::string end) {
  TTagInfo tag;
  tag.Name = std::move(name);
  tag.BeginMark = std::move(begin);
  tag.EndMark = std::move(end);
  return tag;
}

// A tag named "t" with the given markers and no colour.
inline TTagInfo Tag(std::string begin, std::string end) {
  return NamedTag("t", std::move(begin), std::move(end));
}

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_TEST_TAGS_H_
