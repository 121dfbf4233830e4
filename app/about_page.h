// The About page's content: the program's picture (a JPEG stored with the program as a Qt
// resource) and the about text.
#ifndef FARROWDALE_APP_ABOUT_PAGE_H_
#define FARROWDALE_APP_ABOUT_PAGE_H_

#include <QImage>
#include <QString>

namespace farrowdale {

// Decoded through Qt's JPEG reader; a null image when the reader or the resource is missing.
QImage LoadProgramPicture();

// What the program does, its version, and the libraries it uses with their licences.
QString AboutText();

}  // namespace farrowdale

#endif  // FARROWDALE_APP_ABOUT_PAGE_H_
