// The desktop program: starts Qt, the application object and its main window,
// and returns the exit code when the last window has closed.

#include "app/orvandel.h"
#include "runtime/startup.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

namespace {

// The window icon. Its format is named, not guessed: guessing has Qt load every
// image format plugin (GIF, ICO, JPEG) at start to ask each whether it knows
// the file, for a PNG that Qt reads itself.
QIcon window_icon() {
    QImageReader reader(QStringLiteral(":/orvandel/icon.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    QApplication::setWindowIcon(window_icon());
    orvandel::app::orvandel application;
    application.open(QCoreApplication::arguments());
    if (orvandel::runtime::exit_after_first_paint_requested()) {
        QWidget* first = application.w_dornik ? static_cast<QWidget*>(application.w_dornik)
                                              : application.w_worksheet.data();
        if (first != nullptr) {
            orvandel::runtime::quit_after_first_paint(*first);
        }
    }
    return QApplication::exec();
}
