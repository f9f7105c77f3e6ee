#pragma once
// The application object: the program's name, the globals every window may
// use, and the references through which the windows are opened.

#include "ui/main/w_dornik.h"

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

    // open: opens the main window; the command line is not used. The window
    // deletes itself when it is closed; the application ends (exit code 0)
    // once no window is left.
    void open(const QStringList& commandline);

    QString appname;
    // The working directory when the main window opened; the about window
    // finds its picture below it.
    QString gs_path;
    QPointer<::orvandel::ui::w_dornik> w_dornik;
    // The about window, once opened (modeless; one at a time).
    QPointer<QWidget> w_about;
};

} // namespace orvandel::app
