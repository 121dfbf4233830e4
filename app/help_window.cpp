#include "app/help_window.h"

#include <QDesktopServices>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <QVBoxLayout>

#include "app/platform.h"

namespace farrowdale {

namespace {

QString PathToQString(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

}  // namespace

QString HeadingAnchor(const QString& heading) {
  QString anchor;
  for (const QChar c : heading.trimmed()) {
    if (c.isLetterOrNumber() || c == QChar('-') || c == QChar('_')) {
      anchor += c.toLower();
    } else if (c.isSpace()) {
      anchor += QChar('-');
    }
  }
  return anchor;
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("User Guide - ") + QString::fromLatin1(kProgramTitle));
  resize(860, 680);
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto* back = new QPushButton(QStringLiteral("&Back"));
  back->setObjectName(QStringLiteral("btnHelpBack"));
  back->setShortcut(QKeySequence::Back);
  auto* forward = new QPushButton(QStringLiteral("F&orward"));
  forward->setObjectName(QStringLiteral("btnHelpForward"));
  forward->setShortcut(QKeySequence::Forward);
  auto* find_label = new QLabel(QStringLiteral("&Find:"));
  findEdit_ = new QLineEdit;
  findEdit_->setObjectName(QStringLiteral("edtHelpFind"));
  findEdit_->setAccessibleName(QStringLiteral("Find in the guide"));
  findEdit_->setPlaceholderText(QStringLiteral("Text to find (Enter or F3: next)"));
  findEdit_->setClearButtonEnabled(true);
  find_label->setBuddy(findEdit_);
  auto* next = new QPushButton(QStringLiteral("&Next"));
  next->setObjectName(QStringLiteral("btnHelpFindNext"));
  notFoundLabel_ = new QLabel;
  notFoundLabel_->setObjectName(QStringLiteral("lblHelpFound"));
  bar->addWidget(back);
  bar->addWidget(forward);
  bar->addSpacing(12);
  bar->addWidget(find_label);
  bar->addWidget(findEdit_, 1);
  bar->addWidget(next);
  bar->addWidget(notFoundLabel_);
  layout->addLayout(bar);
  browser_ = new QTextBrowser;
  browser_->setObjectName(QStringLiteral("helpBrowser"));
  browser_->setAccessibleName(QStringLiteral("User guide"));
  browser_->setOpenLinks(false);
  layout->addWidget(browser_, 1);

  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(browser_, &QTextBrowser::anchorClicked, this, &THelpWindow::FollowLink);
  connect(findEdit_, &QLineEdit::returnPressed, this, [this] { FindNext(); });
  connect(next, &QPushButton::clicked, this, [this] { FindNext(); });
  connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
          [this] { FindNext(); });
  connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this,
          [this] { FindNext(/*backwards=*/true); });
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
    findEdit_->setFocus();
    findEdit_->selectAll();
  });
  setTabOrder(findEdit_, next);
  setTabOrder(next, browser_);
  setTabOrder(browser_, back);
  setTabOrder(back, forward);
}

void THelpWindow::Load(const std::filesystem::path& guide) {
  // The pictures' relative paths resolve against the guide's own folder.
  browser_->setSearchPaths({PathToQString(guide.parent_path())});
  browser_->setSource(QUrl::fromLocalFile(PathToQString(guide)), QTextDocument::MarkdownResource);
  FitPictures();
}

void THelpWindow::FitPictures() {
  // Screenshots are wider than a reading column; they are shown at most this wide, in
  // proportion, so that the text never needs sideways scrolling.
  constexpr double kMaxWidth = 640;
  QTextDocument* document = browser_->document();
  QTextCursor cursor(document);
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat format = fragment.charFormat().toImageFormat();
      const QImage image =
          document->resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
      if (image.isNull() || image.width() <= kMaxWidth) continue;
      format.setWidth(kMaxWidth);
      format.setHeight(kMaxWidth * image.height() / image.width());
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
  }
}

bool THelpWindow::ShowHeading(const QString& anchor) {
  const QString wanted = anchor.toLower();
  for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() == 0) continue;
    if (HeadingAnchor(block.text()) != wanted) continue;
    // To the end first, then back: the heading ends up at the top of the view.
    browser_->moveCursor(QTextCursor::End);
    QTextCursor cursor(block);
    browser_->setTextCursor(cursor);
    browser_->ensureCursorVisible();
    return true;
  }
  return false;
}

bool THelpWindow::FindNext(bool backwards) {
  const QString text = findEdit_->text();
  if (text.isEmpty()) return false;
  const QTextDocument::FindFlags flags =
      backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  bool found = browser_->find(text, flags);
  if (!found) {
    // Round the end of the guide and look once more.
    browser_->moveCursor(backwards ? QTextCursor::End : QTextCursor::Start);
    found = browser_->find(text, flags);
  }
  notFoundLabel_->setText(found ? QString() : QStringLiteral("Not found"));
  return found;
}

void THelpWindow::FollowLink(const QUrl& url) {
  const QUrl current = browser_->source();
  const bool same_page = url.scheme().isEmpty() && url.path().isEmpty();
  if (same_page && url.hasFragment()) {
    ShowHeading(url.fragment());
    return;
  }
  const QUrl resolved = current.resolved(url);
  if (resolved.isLocalFile() && resolved.path().endsWith(QStringLiteral(".md"))) {
    browser_->setSource(resolved, QTextDocument::MarkdownResource);
    if (resolved.hasFragment()) ShowHeading(resolved.fragment());
    return;
  }
  // Web pages and anything else the guide points at belong to the desktop.
  QDesktopServices::openUrl(resolved);
}

}  // namespace farrowdale
