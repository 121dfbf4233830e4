#include "app/about_page.h"

#include <QImageReader>

namespace farrowdale {

QImage LoadProgramPicture() {
  QImageReader reader(QStringLiteral(":/farrowdale/about.jpg"), "jpeg");
  return reader.read();
}

QString AboutText() {
  return QStringLiteral(
      "Morrow Farrowdale 1.0\n"
      "\n"
      "Morrow Farrowdale helps researchers who code plain-text corpora by hand. Mark "
      "passages in your .txt files with the begin and end markers of a tag set (the Code "
      "List), choose the folder of text files and the tag set, and click \"Count Now!\". "
      "The program finds every passage of every tag in every ticked file, counts how often "
      "each distinct passage occurs, and writes HTML reports: one beside each text file, or "
      "with \"Save Results as One File\" a single report that sets the files side by side. "
      "Your text files are only read, never changed.\n"
      "\n"
      "The file filter takes a pattern and ticks exactly the files whose full path it "
      "matches; \"(?i)\" at its start makes it ignore letter case.\n"
      "\n"
      "Built with:\n"
      "  Qt 6, under the GNU Lesser General Public License version 3 (LGPLv3): the window, "
      "its dialogs and message boxes.\n"
      "  ICU, under the Unicode License: code pages, collation and case mapping.\n"
      "  libjpeg-turbo, under the IJG License and the BSD License: the picture on this "
      "page. This software is based in part on the work of the Independent JPEG Group.\n"
      "\n"
      "(c) 2026 Morrow Farrowdale\n"
      "By the Morrow Farrowdale developers\n");
}

}  // namespace farrowdale
