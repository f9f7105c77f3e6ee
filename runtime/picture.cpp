#include "runtime/picture.h"

#include <QDir>

namespace orvandel::runtime {

QString picture_path(const QString& picturename) {
    if (QDir::separator() == QLatin1Char('\\')) {
        return picturename;
    }
    QString path = picturename;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QPixmap load_picture(const QString& picturename, const QString& fallback) {
    QPixmap picture;
    if (!picturename.isEmpty() && picture.load(picture_path(picturename))) {
        return picture;
    }
    picture.load(fallback);
    return picture;
}

} // namespace orvandel::runtime
