// The help window on the real user guide, under the offscreen platform.
#include "app/help_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

namespace farrowdale {

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    window_ = std::make_unique<THelpWindow>();
    window_->Load(std::filesystem::path(FARROWDALE_SOURCE_DIR) / "docs" / "guide.md");
    browser_ = window_->findChild<QTextBrowser*>("helpBrowser");
    QVERIFY(browser_ != nullptr);
  }

  // Every picture the guide names is found and decoded, and every link inside the guide
  // leads to a heading: a renamed heading or a moved picture fails here.
  void EveryPictureAndInnerLinkResolves() {
    QTextDocument* document = browser_->document();
    int pictures = 0;
    QStringList inner_links;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (format.isImageFormat()) {
          const QString name = format.toImageFormat().name();
          const QVariant image = document->resource(QTextDocument::ImageResource, QUrl(name));
          QVERIFY2(image.isValid() && !image.value<QImage>().isNull(), qPrintable(name));
          ++pictures;
        }
        if (format.isAnchor() && format.anchorHref().startsWith('#')) {
          inner_links << format.anchorHref().mid(1);
        }
      }
    }
    QVERIFY(pictures >= 5);
    QVERIFY(!inner_links.isEmpty());
    for (const QString& anchor : inner_links)
      QVERIFY2(window_->ShowHeading(anchor), qPrintable(anchor));
    QVERIFY(!window_->ShowHeading("no-such-heading"));
  }

  void FindWrapsAroundAndSaysWhenNothingIsFound() {
    auto* find = window_->findChild<QLineEdit*>("edtHelpFind");
    find->setText("Count Now!");
    QVERIFY(window_->FindNext());
    const int first = browser_->textCursor().selectionStart();
    QCOMPARE(browser_->textCursor().selectedText(), QString("Count Now!"));
    // Forward through every place and round the end back to the first.
    int steps = 0;
    do {
      QVERIFY(window_->FindNext());
      ++steps;
    } while (browser_->textCursor().selectionStart() != first && steps < 1000);
    QVERIFY(steps > 1 && steps < 1000);
    QVERIFY(window_->FindNext(/*backwards=*/true));
    QVERIFY(browser_->textCursor().selectionStart() != first);
    find->setText("no such words in the guide");
    QVERIFY(!window_->FindNext());
  }

  void HeadingAnchors() {
    QCOMPARE(HeadingAnchor("Count, Freq. and how passages are grouped"),
             QString("count-freq-and-how-passages-are-grouped"));
    QCOMPARE(HeadingAnchor(" Below the table: charts, passages in context "),
             QString("below-the-table-charts-passages-in-context"));
  }

 private:
  std::unique_ptr<THelpWindow> window_;
  QTextBrowser* browser_ = nullptr;
};

}  // namespace farrowdale

QTEST_MAIN(farrowdale::HelpWindowTest)
#include "help_window_test.moc"
