// The desktop program: reads its command line, starts Qt, the application
// object and its main window, and returns the exit code when the last window
// has closed. --help, --version and a wrong command line are answered before
// Qt starts, with no window and no display; --export-pdf writes the audit
// sheet of a worksheet file instead, shows no window and needs no display.

#include "app/application.h"
#include "app/command_line.h"
#include "app/worksheet_pdf.h"
#include "runtime/startup.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

// The window icon. Its format is named, not guessed: guessing has Qt load every
// image format plugin (GIF, ICO, JPEG) at start to ask each whether it knows
// the file, for a PNG that Qt reads itself.
QIcon window_icon() {
    QImageReader reader(QStringLiteral(":/orvandel/icon.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

// Answers what needs no window; the exit code, or nothing to go on.
std::optional<int> answered_without_qt(const orvandel::app::command_line& given) {
    using request = orvandel::app::command_line::request;
    switch (given.what) {
    case request::show_help:
    case request::show_version: {
        orvandel::runtime::attach_to_console();
        QTextStream out(stdout);
        out << (given.what == request::show_help ? orvandel::app::help_text()
                                                 : orvandel::app::version_text());
        out.flush();
        return std::fflush(stdout) == 0 && out.status() == QTextStream::Ok ? 0 : 2;
    }
    case request::refuse: {
        orvandel::runtime::attach_to_console();
        QTextStream err(stderr);
        err << orvandel::app::refusal_text(given);
        return 2;
    }
    case request::open_form:
    case request::open_worksheet:
    case request::export_pdf:
        break;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[]) {
    using request = orvandel::app::command_line::request;
    const orvandel::app::command_line before_qt =
        orvandel::app::read_command_line(orvandel::app::raw_arguments(argc, argv));
    if (const auto exit_code = answered_without_qt(before_qt)) {
        return *exit_code;
    }
    if (before_qt.what == request::export_pdf) {
        orvandel::runtime::use_offscreen_platform_without_display();
    }
    QApplication qt(argc, argv);
    // Again, with the file names as Qt decodes them (on Windows from the
    // wide command line) and its own options taken out.
    const orvandel::app::command_line given =
        orvandel::app::read_command_line(QCoreApplication::arguments());
    if (given.what == request::export_pdf) {
        const orvandel::app::application application; // names the program, prepares the fonts
        QTextStream err(stderr);
        return orvandel::app::export_worksheet_pdf(given.worksheet_file, given.pdf_file, err);
    }
    QApplication::setWindowIcon(window_icon());
    orvandel::app::application application;
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
