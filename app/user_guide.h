// Where the user guide lies: installed beside the program's shared data, or in the source
// tree of a build that was not installed.
#ifndef FARROWDALE_APP_USER_GUIDE_H_
#define FARROWDALE_APP_USER_GUIDE_H_

#include <filesystem>
#include <vector>

namespace farrowdale {

// The places looked at, in order, for a program in program_folder.
std::vector<std::filesystem::path> UserGuideCandidates(const std::filesystem::path& program_folder);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_USER_GUIDE_H_
