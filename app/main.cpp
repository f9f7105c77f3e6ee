// The desktop program: starts Qt, the application object and its main window,
// and returns the exit code when the last window has closed. With
// --export-pdf it writes the audit sheet of a worksheet file instead, shows
// no window and needs no display.

#include "app/orvandel.h"
#include "app/worksheet_pdf.h"
#include "runtime/startup.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTextStream>

#include <cstdio>

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
    const bool export_pdf = orvandel::app::pdf_export_requested(argc, argv);
    if (export_pdf) {
        orvandel::runtime::use_offscreen_platform_without_display();
    }
    QApplication qt(argc, argv);
    if (export_pdf) {
        const orvandel::app::orvandel application; // names the program, prepares the fonts
        QTextStream err(stderr);
        return orvandel::app::export_worksheet_pdf(QCoreApplication::arguments(), err);
    }
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
