// The texts of the file errors and the integer conversion error.
#include "text/error.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "text/code_page.h"

namespace farrowdale {
namespace {

// The platform's text for an error code, or the fixed text when the platform has none.
std::string SystemErrorText(int error_code) {
  std::string text = std::strerror(error_code);
  for (unsigned char c : text) {
    if (c > ' ') return text;
  }
  return "Unspecified error (" + std::to_string(error_code) + ") from system.";
}

// The path made absolute against the current directory and normalised ("." and ".." resolved,
// no "//" and no trailing separator), as narrow text like every message.
std::string AbsolutePathText(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  if (absolute.empty()) absolute = path;
  std::string text = PathToNarrow(absolute.lexically_normal());
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

Error FileError(const char* action, const std::filesystem::path& path, std::string_view reason) {
  return Error(std::string("Cannot ") + action + " file \"" + AbsolutePathText(path) + "\". " +
               std::string(reason));
}

}  // namespace

Error FileOpenError(const std::filesystem::path& path, int error_code) {
  return FileError("open", path, SystemErrorText(error_code));
}

Error FileCreateError(const std::filesystem::path& path, int error_code) {
  return FileError("create", path, SystemErrorText(error_code));
}

Error FileOpenError(const std::filesystem::path& path, std::string_view reason) {
  return FileError("open", path, reason);
}

Error FileCreateError(const std::filesystem::path& path, std::string_view reason) {
  return FileError("create", path, reason);
}

std::string NotRegularFileText(unsigned mode) {
  const char* kind = S_ISLNK(mode)                    ? "a symbolic link"
                     : S_ISDIR(mode)                  ? "a folder"
                     : S_ISFIFO(mode)                 ? "a pipe"
                     : S_ISSOCK(mode)                 ? "a socket"
                     : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                                      : "something else";
  return std::string("It is ") + kind + ", not a regular file.";
}

Error InvalidIntegerError(std::string_view text) {
  std::string message = "'";
  message.append(text).append("' is not a valid integer value");
  return Error(message);
}

}  // namespace farrowdale
