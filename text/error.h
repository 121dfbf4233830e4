// The one error type every module throws. Its message is the text the user sees; the
// window shows it in the standard error box and the command line prints it on stderr.
#ifndef FARROWDALE_TEXT_ERROR_H_
#define FARROWDALE_TEXT_ERROR_H_

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace farrowdale {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// "Cannot open file "<absolute path>". <platform text for error_code>"
Error FileOpenError(const std::filesystem::path& path, int error_code);
// "Cannot create file "<absolute path>". <platform text for error_code>"
Error FileCreateError(const std::filesystem::path& path, int error_code);
// The same two messages with a reason of our own in place of the platform's text, for what
// the platform does not see as a failure (a report path that is a link, a pipe to be read).
Error FileOpenError(const std::filesystem::path& path, std::string_view reason);
Error FileCreateError(const std::filesystem::path& path, std::string_view reason);
// The reason for something that is not a regular file, from its st_mode: "It is a folder, not
// a regular file." (a symbolic link, a pipe, a socket, a device likewise).
std::string NotRegularFileText(unsigned mode);
// "'<text>' is not a valid integer value": a colour or a count that does not read as a number.
Error InvalidIntegerError(std::string_view text);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_ERROR_H_
