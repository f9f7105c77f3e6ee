#pragma once
// Loading the pictures the windows show.

#include <QPixmap>
#include <QString>

namespace orvandel::runtime {

// A picture name as the program writes it, with "\" between folders, as a path
// of this platform: on systems whose separator is "/" every "\" becomes "/".
// Nothing else is changed, so "C:\x\\res\a.JPG" keeps its doubled separator.
QString picture_path(const QString& picturename);

// The picture named by `picturename` (folders separated by "\"); when that file
// is missing or cannot be read as a picture, the one at `fallback` (for example
// a picture compiled into the program). A null pixmap if neither can be read.
QPixmap load_picture(const QString& picturename, const QString& fallback);

} // namespace orvandel::runtime
