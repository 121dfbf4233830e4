// Fuzzes the INI reader and the tag table built from it. Input: one byte choosing the code
// page, then the bytes of a tag set file, written to a scratch file of this process (the
// reader works on paths). A malformed colour is an expected error; anything else is a
// finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tagset/ini_file.h"
#include "tagset/tag_set.h"
#include "tests/fuzz/fuzz_code_page.h"
#include "text/error.h"

namespace {

// In the folder FARROWDALE_FUZZ_SCRATCH names (scripts/fuzz.sh gives one it removes
// afterwards: fork mode ends its workers without running exit handlers), else in the
// system's temporary folder, removed at exit.
void RemoveScratchFile();

const std::filesystem::path& ScratchFile() {
  // Never destroyed: the exit handler still needs it.
  static const std::filesystem::path* const path = [] {
    const char* folder = std::getenv("FARROWDALE_FUZZ_SCRATCH");
    const bool own_folder = folder != nullptr && *folder != '\0';
    if (!own_folder) std::atexit(RemoveScratchFile);
    return new std::filesystem::path(
        (own_folder ? std::filesystem::path(folder) : std::filesystem::temp_directory_path()) /
        ("fuzz_tag_set." + std::to_string(getpid()) + ".ini"));
  }();
  return *path;
}

void RemoveScratchFile() {
  std::error_code ignored;
  std::filesystem::remove(ScratchFile(), ignored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  farrowdale::ChooseFuzzCodePage(data[0]);
  {
    std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data) + 1, static_cast<std::streamsize>(size - 1));
    if (!out) std::abort();
  }
  const farrowdale::TIniFile ini(ScratchFile());
  for (const std::string& section : ini.ReadSections()) ini.ReadSectionValues(section);
  farrowdale::TTagArray tags;
  try {
    farrowdale::LoadTagSet(ini, tags);
  } catch (const farrowdale::Error&) {
  }
  return 0;
}
