// The desktop program: starts Qt, the application object and its main window,
// and returns the exit code when the last window has closed.

#include "app/orvandel.h"
#include "runtime/startup.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/orvandel/icon.png")));
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
