#include "app/coding_view.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <exception>

#include "app/coding_text.h"
#include "tagset/ini_file.h"
#include "tagset/tag_set.h"
#include "text/code_page.h"

namespace farrowdale {

namespace {

QString ToQString(const std::string& narrow) {
  return QString::fromStdU16String(ToUnicode(narrow));
}

}  // namespace

TCodingView::TCodingView(const TCodingViewTarget& target, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("CodingView"));
  setWindowTitle(ToQString(PathToNarrow(target.file.filename())) + QStringLiteral(" - Coding - ") +
                 QString::fromLatin1(kProgramTitle));
  resize(820, 600);
  auto* layout = new QVBoxLayout(this);
  messageLabel_ = new QLabel;
  messageLabel_->setObjectName(QStringLiteral("lblCodingMessage"));
  messageLabel_->setWordWrap(true);
  messageLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(messageLabel_);
  std::string place = PathToNarrow(target.file);
  if (target.line > 0) {
    place += ", line " + std::to_string(target.line) + ", column " + std::to_string(target.column);
  }
  auto* path = new QLabel(ToQString(place));
  path->setObjectName(QStringLiteral("lblCodingPlace"));
  path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(path);
  text_ = new TCodingText;
  text_->setObjectName(QStringLiteral("codingText"));
  text_->setAccessibleName(QStringLiteral("The file's text with its coding"));
  layout->addWidget(text_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  layout->addWidget(buttons);

  std::string message = target.message;
  try {
    TTagArray tags;
    // A colour that does not read only costs its tag the colour here.
    LoadTagSet(TIniFile(target.tag_set), tags, [](size_t, const Error&) {});
    text_->ShowFile(target.file, tags, target.tag_set);
    if (!text_->Problem().empty()) message += "\nNothing is highlighted: " + text_->Problem();
    text_->GoTo(target.line, target.column);
  } catch (const std::exception& e) {
    message += (message.empty() ? "" : "\n") + std::string(e.what());
  }
  messageLabel_->setText(ToQString(message));
  messageLabel_->setVisible(!message.empty());
  text_->setFocus();
}

}  // namespace farrowdale
