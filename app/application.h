#pragma once
// The application object: the program's name, the globals every window may
// use, and the references through which the windows are opened.

#include "calc/fee.h"
#include "ui/main/w_dornik.h"

#include <optional>

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace orvandel::app {

// The application object (the program's `orvandel`).
class application {
public:
    // create: names the application and prepares the fonts and Qt's Chinese
    // texts, before any window is built.
    application();
    application(const application&) = delete;
    application& operator=(const application&) = delete;
    ~application();

    // open: opens the main window, or with "--worksheet [FILE]" only the
    // worksheet (with FILE opened); `commandline` as read_command_line takes
    // it, the main window for anything it does not take. Each window deletes itself when it is
    // closed; the application ends (exit code 0) once no window is left.
    // A worksheet left unsaved by a crash is offered back first.
    void open(const QStringList& commandline);

    // Opens the worksheet (one at a time), with the form's calculation as its
    // first row when there is one, or brings it to the front.
    void open_worksheet(const std::optional<calc::late_fee_input>& first_row = {});

    QString appname;
    // The working directory when the main window opened; the about window
    // finds its picture below it.
    QString gs_path;
    QPointer<ui::w_dornik> w_dornik;
    // The about window, once opened (modeless; one at a time).
    QPointer<QWidget> w_about;
    // The worksheet window, once opened.
    QPointer<QWidget> w_worksheet;

private:
    // Asks, for each worksheet that did not close normally, whether to bring
    // back its rows; true when any was brought back (the first into
    // w_worksheet, any others into windows of their own).
    bool offer_recovery();
    // A new worksheet window, shown; it deletes itself when closed.
    QWidget* new_worksheet(const std::optional<calc::late_fee_input>& first_row);

    // Worksheets opened for recovered rows beyond the first.
    QList<QPointer<QWidget>> recovered_worksheets_;
};

} // namespace orvandel::app
