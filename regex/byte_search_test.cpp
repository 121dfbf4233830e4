#include "regex/byte_search.h"

#include <cstring>
#include <vector>

#include "gtest/gtest.h"

namespace farrowdale::regex {
namespace {

// Every length and alignment up to a few vector widths, with the wanted byte at every place
// (or nowhere), against a plain loop; bytes beyond the end are wanted ones and must be ignored.
TEST(ByteSearchTest, AgreesWithAPlainLoopAtEveryAlignmentAndLength) {
  const uint8_t wanted[3] = {'<', 'N', 'n'};
  std::vector<uint8_t> buffer(128 + 16, '<');
  for (int count = 1; count <= 3; ++count) {
    for (size_t offset = 0; offset < 16; ++offset) {
      for (size_t size = 0; size <= 100; ++size) {
        for (size_t at = 0; at <= size; ++at) {  // at == size: not in the text
          uint8_t* text = buffer.data() + offset;
          std::memset(text, 'x', size);
          if (at < size) text[at] = wanted[(at + size) % count];
          const uint8_t* expected = at < size ? text + at : nullptr;
          ASSERT_EQ(FindAnyOfFew(text, size, wanted, count), expected)
              << "count " << count << ", offset " << offset << ", size " << size << ", at " << at;
          text[size] = '<';
        }
      }
    }
  }
}

}  // namespace
}  // namespace farrowdale::regex
