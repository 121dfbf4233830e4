// What the commands that run over a file list share on the terminal: the host that prints a
// run's information on stdout and its warnings and progress on stderr, and the printing of
// an error that stops a command.
#ifndef FARROWDALE_CLI_CLI_HOST_H_
#define FARROWDALE_CLI_CLI_HOST_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>

#include "run/coding_run.h"

namespace farrowdale::cli {

// The host of a run on the command line. ShowInformation prints on stdout; warnings
// ("PATH: warning: MESSAGE"), the tag set's problems as check prints them, and, when show_progress,
// a progress line go to stderr; ShellOpen opens only when open is set. Names and messages are
// printed through TerminalText, one line each.
class CliHost : public TCodingRunHost {
 public:
  CliHost(std::filesystem::path program_folder, bool open, bool show_progress)
      : program_folder_(std::move(program_folder)), open_(open), show_progress_(show_progress) {}

  void ShowInformation(const std::string& message) override;
  void ShellOpen(const std::filesystem::path& path) override;
  uint32_t TickCount() override;
  std::chrono::system_clock::time_point Now() override;
  std::filesystem::path TemplateFolder() override { return program_folder_; }
  void Progress(int files_done, int files_ticked) override;
  void Warn(const std::filesystem::path& path, const std::string& message) override;
  // Prints the line on stderr ("waiting for another run writing in FOLDER").
  void ShowStatus(const std::string& line) override;
  // Prints the problem as check prints it, on stderr.
  void TagSetProblem(const TCheckProblem& problem) override;
  // Removes the progress line, so that the next output starts on a clean line.
  void ClearProgress();

 private:
  std::filesystem::path program_folder_;
  bool open_;
  bool show_progress_;
  size_t progress_width_ = 0;
};

// Prints the error's message on stderr as one escaped line ("not enough memory" for a failed
// allocation).
void PrintError(const std::exception& error);

}  // namespace farrowdale::cli

#endif  // FARROWDALE_CLI_CLI_HOST_H_
