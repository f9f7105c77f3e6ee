#pragma once
// The desktop program's command line: what the user asked for, read before Qt
// starts (so that --help, --version and a wrong command line need no display
// and open no window) and again once Qt has decoded the file names.

#include <QString>
#include <QStringList>

namespace orvandel::app {

struct command_line {
    enum class request {
        open_form,      // no option: the main window
        open_worksheet, // --worksheet [FILE]: only the worksheet, with FILE opened
        export_pdf,     // --worksheet IN --export-pdf OUT: the audit sheet, no window
        show_help,      // -h, --help: the help text on standard output, exit 0
        show_version,   // -v, --version: the version on standard output, exit 0
        refuse,         // anything else: `problem` on standard error, exit 2
    };
    request what = request::open_form;
    QString worksheet_file; // FILE or IN; empty when none was given
    QString pdf_file;       // OUT
    QString problem;        // what is wrong, naming the argument as typed
};

// Reads the program's arguments, its own name first. Qt's own options
// (-platform NAME, -style NAME, -reverse, …) are let through for Qt.
[[nodiscard]] command_line read_command_line(const QStringList& arguments);

// The arguments as the process got them, for reading before Qt starts.
[[nodiscard]] QStringList raw_arguments(int argc, const char* const* argv);

// The texts --help and --version print, each ending in a line break.
[[nodiscard]] QString help_text();
[[nodiscard]] QString version_text();
// What is printed on standard error for a refused command line.
[[nodiscard]] QString refusal_text(const command_line& refused);

} // namespace orvandel::app
