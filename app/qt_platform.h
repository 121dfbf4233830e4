// TQtPlatform: the desktop operations of TPlatform through Qt's dialogs, message boxes and
// desktop services.
#ifndef FARROWDALE_APP_QT_PLATFORM_H_
#define FARROWDALE_APP_QT_PLATFORM_H_

#include <QPointer>

#include "app/help_window.h"
#include "app/platform.h"

class QWidget;

namespace farrowdale {

class TQtPlatform : public TPlatform {
 public:
  // Dialogs and boxes are centred on parent (may be set later, may be null).
  explicit TQtPlatform(QWidget* parent = nullptr) : parent_(parent) {}
  void SetDialogParent(QWidget* parent) { parent_ = parent; }

  std::optional<std::filesystem::path> ChooseFolder(const std::string& title,
                                                    const std::filesystem::path& start) override;
  std::optional<std::filesystem::path> ChooseFileToOpen(const std::filesystem::path& initial_folder,
                                                        const std::string& filter) override;
  std::optional<std::filesystem::path> ChooseFileToSave(const std::string& title,
                                                        const std::filesystem::path& suggested,
                                                        const std::string& filter) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  TListChoice AskReplaceOrAdd(const std::string& question) override;
  void ShowRunSummary(const TRunSummaryText& summary, const TResultHooks& hooks) override;
  void ShowMarkerCheck(const TMarkerCheckText& check, const TResultHooks& hooks) override;
  void ShowAgreement(const TAgreementText& agreement, const TResultHooks& hooks) override;
  std::optional<std::filesystem::path> EditTagSet(
      const std::filesystem::path& tag_set,
      const std::vector<std::filesystem::path>& preview_files) override;
  TTagSetProblemChoice AskCountDespiteProblems(const std::vector<TProblemRow>& problems) override;
  bool ShellOpen(const std::filesystem::path& path) override;
  void ShowOpenFailed(const std::filesystem::path& path) override;
  void ShowUserGuide(const std::filesystem::path& guide) override;
  void ShowCodingView(const TCodingViewTarget& target) override;
  uint32_t TickCount() override;
  std::filesystem::path TemplateFolder() override;

 private:
  QWidget* parent_;
  QPointer<THelpWindow> help_;  // one help window, kept while it is open
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_QT_PLATFORM_H_
