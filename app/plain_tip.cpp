#include "app/plain_tip.h"

#include <QTextDocument>

namespace farrowdale {

QString PlainTip(const QString& text) {
  return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
}

}  // namespace farrowdale
