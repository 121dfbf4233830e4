// TFakePlatform: a scripted TPlatform for window tests. Dialog answers are queued in
// advance (an empty queue answers "Cancel" / "Close"); every box and shell call is recorded.
#ifndef FARROWDALE_APP_FAKE_PLATFORM_H_
#define FARROWDALE_APP_FAKE_PLATFORM_H_

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/platform.h"

namespace farrowdale {

// A scripted press in the run summary.
enum class TSummaryAction { kClose, kOpenReport, kOpenFolder };

class TFakePlatform : public TPlatform {
 public:
  struct DialogCall {
    std::string title_or_filter;
    std::filesystem::path start;
  };

  std::deque<std::optional<std::filesystem::path>> folder_answers;
  std::deque<std::optional<std::filesystem::path>> file_answers;
  std::deque<std::optional<std::filesystem::path>> save_answers;
  std::deque<TListChoice> list_answers;
  // One answer per summary shown, carried out through its hooks before it closes.
  std::deque<TSummaryAction> summary_answers;
  bool shell_open_works = true;
  // The editor's answers (an empty queue: closed without saving); its calls as
  // (tag set, preview files).
  std::deque<std::optional<std::filesystem::path>> editor_answers;
  std::vector<std::pair<std::filesystem::path, std::vector<std::filesystem::path>>> editor_calls;
  // The answers before a run with tag set problems (an empty queue: Count Anyway).
  std::deque<TTagSetProblemChoice> problem_answers;
  std::vector<std::vector<TProblemRow>> problem_questions;
  std::vector<DialogCall> folder_calls;
  std::vector<DialogCall> file_calls;
  std::vector<DialogCall> save_calls;  // the title, the path suggested
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> questions;
  std::vector<TRunSummaryText> summaries;
  std::vector<TMarkerCheckText> checks;
  std::vector<TAgreementText> agreements;
  bool agreement_opens_report = false;        // "Open Report" pressed in every agreement shown
  std::vector<std::filesystem::path> opened;  // every shell open asked for
  std::vector<std::filesystem::path> open_failures;
  std::vector<std::filesystem::path> guides;
  std::vector<TCodingViewTarget> coding_views;
  // The hooks of the last summary or check shown, for a test to press its buttons later.
  TResultHooks hooks;
  std::filesystem::path template_folder;
  uint32_t tick = 1000;
  uint32_t tick_step = 0;  // added after every reading of the clock
  // Called inside ShowMessage, ShowRunSummary and ShowMarkerCheck, e.g. to look at the window
  // meanwhile.
  std::function<void()> on_message;
  // Called inside AskCountDespiteProblems, e.g. to change the tag set file meanwhile.
  std::function<void()> on_problem_question;

  std::optional<std::filesystem::path> ChooseFolder(const std::string& title,
                                                    const std::filesystem::path& start) override {
    folder_calls.push_back({title, start});
    return Next(folder_answers, std::optional<std::filesystem::path>());
  }
  std::optional<std::filesystem::path> ChooseFileToOpen(const std::filesystem::path& initial_folder,
                                                        const std::string& filter) override {
    file_calls.push_back({filter, initial_folder});
    return Next(file_answers, std::optional<std::filesystem::path>());
  }
  std::optional<std::filesystem::path> ChooseFileToSave(const std::string& title,
                                                        const std::filesystem::path& suggested,
                                                        const std::string&) override {
    save_calls.push_back({title, suggested});
    return Next(save_answers, std::optional<std::filesystem::path>());
  }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    if (on_message) on_message();
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  TListChoice AskReplaceOrAdd(const std::string& question) override {
    questions.push_back(question);
    return Next(list_answers, TListChoice::kCancel);
  }
  void ShowRunSummary(const TRunSummaryText& summary, const TResultHooks& result_hooks) override {
    summaries.push_back(summary);
    hooks = result_hooks;
    if (on_message) on_message();
    switch (Next(summary_answers, TSummaryAction::kClose)) {
      case TSummaryAction::kOpenReport:
        hooks.open(summary.written.front().path);
        break;
      case TSummaryAction::kOpenFolder:
        hooks.open(summary.folder);
        break;
      case TSummaryAction::kClose:
        break;
    }
  }
  void ShowMarkerCheck(const TMarkerCheckText& check, const TResultHooks& result_hooks) override {
    checks.push_back(check);
    hooks = result_hooks;
    if (on_message) on_message();
  }
  void ShowAgreement(const TAgreementText& agreement, const TResultHooks& result_hooks) override {
    agreements.push_back(agreement);
    hooks = result_hooks;
    if (agreement_opens_report) hooks.open(agreement.report);
  }
  std::optional<std::filesystem::path> EditTagSet(
      const std::filesystem::path& tag_set,
      const std::vector<std::filesystem::path>& preview_files) override {
    editor_calls.emplace_back(tag_set, preview_files);
    return Next(editor_answers, std::optional<std::filesystem::path>());
  }
  TTagSetProblemChoice AskCountDespiteProblems(const std::vector<TProblemRow>& problems) override {
    problem_questions.push_back(problems);
    if (on_problem_question) on_problem_question();
    return Next(problem_answers, TTagSetProblemChoice::kCountAnyway);
  }
  bool ShellOpen(const std::filesystem::path& path) override {
    opened.push_back(path);
    return shell_open_works;
  }
  void ShowOpenFailed(const std::filesystem::path& path) override { open_failures.push_back(path); }
  void ShowUserGuide(const std::filesystem::path& guide) override { guides.push_back(guide); }
  void ShowCodingView(const TCodingViewTarget& target) override { coding_views.push_back(target); }
  uint32_t TickCount() override {
    const uint32_t now = tick;
    tick += tick_step;
    return now;
  }
  std::filesystem::path TemplateFolder() override { return template_folder; }

 private:
  template <typename T>
  static T Next(std::deque<T>& answers, T when_empty) {
    if (answers.empty()) return when_empty;
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_FAKE_PLATFORM_H_
