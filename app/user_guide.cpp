#include "app/user_guide.h"

namespace farrowdale {

std::vector<std::filesystem::path> UserGuideCandidates(
    const std::filesystem::path& program_folder) {
  // The install puts the executables in PREFIX/bin and the guide in PREFIX/share/doc/farrowdale.
  return {(program_folder / ".." / "share" / "doc" / "farrowdale" / "guide.md").lexically_normal(),
          std::filesystem::path(FARROWDALE_SOURCE_DIR) / "docs" / "guide.md"};
}

}  // namespace farrowdale
