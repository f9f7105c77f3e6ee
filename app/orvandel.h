#pragma once
// The application object: the program's name, the globals every window may
// use, and the references through which the windows are opened.

#include "calc/fee.h"
#include "ui/main/w_dornik.h"

#include <optional>

#include <QPointer>
#include <QString>
#include <QStringList>

namespace orvandel::app {

class orvandel {
public:
    // create: names the application and prepares the fonts and Qt's Chinese
    // texts, before any window is built.
    orvandel();
    orvandel(const orvandel&) = delete;
    orvandel& operator=(const orvandel&) = delete;
    ~orvandel();

    // open: opens the main window, or with "--worksheet [FILE]" only the
    // worksheet (with FILE opened). Each window deletes itself when it is
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
    QPointer<::orvandel::ui::w_dornik> w_dornik;
    // The about window, once opened (modeless; one at a time).
    QPointer<QWidget> w_about;
    // The worksheet window, once opened.
    QPointer<QWidget> w_worksheet;
    // The filing calendar window, once opened from the worksheet (modeless;
    // one at a time).
    QPointer<QWidget> w_calendar;

    // Opens the filing calendar at `year`, or brings the open one forward at it.
    void open_calendar(int year);

private:
    // Asks whether to bring back the rows of a worksheet that did not close
    // normally; true when it was brought back (in an open worksheet).
    bool offer_recovery();
};

} // namespace orvandel::app
