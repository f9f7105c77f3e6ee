#include "app/orvandel.h"

#include "runtime/fonts.h"
#include "runtime/startup.h"
#include "ui/about/w_about.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace orvandel::app {

orvandel::orvandel() : appname(QStringLiteral("orvandel")) {
    // The name places the settings file in the user's configuration folder.
    QCoreApplication::setApplicationName(appname);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Orvandel"));
    runtime::install_font_substitutes();
    if (QCoreApplication* qt = QCoreApplication::instance()) {
        runtime::install_qt_translation(*qt);
    }
}

orvandel::~orvandel() {
    delete w_about;
    delete w_dornik;
}

void orvandel::open(const QStringList& /*commandline*/) {
    w_dornik = new ::orvandel::ui::w_dornik();
    w_dornik->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(w_dornik, &::orvandel::ui::w_dornik::working_directory_recorded,
                     [this](const QString& path) { gs_path = path; });
    // The about window reads gs_path when it opens, as it is then.
    w_dornik->set_about_opener([this] { ::orvandel::ui::w_about::open(w_about, gs_path); });
    w_dornik->open();
}

} // namespace orvandel::app
