#include "app/orvandel.h"

#include "runtime/clock.h"
#include "runtime/fonts.h"
#include "runtime/startup.h"
#include "ui/about/w_about.h"
#include "ui/audit/audit_commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>

namespace orvandel::app {
namespace {

// The main window's context menu offers its calculation as an audit sheet.
void add_audit_commands(::orvandel::ui::w_dornik& window) {
    auto* commands = new ui::audit_commands(window, [&window]() -> std::optional<ui::audit_items> {
        if (const auto& shown = window.calculation()) {
            return ui::form_calculation_sheet(shown->input, shown->result, runtime::today());
        }
        return std::nullopt;
    });
    window.set_context_menu_filler([commands](QMenu& menu) { commands->add_to(menu); });
}

} // namespace

orvandel::orvandel() : appname(QStringLiteral("orvandel")) {
    // The name places the settings file in the user's configuration folder.
    QCoreApplication::setApplicationName(appname);
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANDEL_VERSION));
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
    add_audit_commands(*w_dornik);
    w_dornik->open();
}

} // namespace orvandel::app
