#pragma once
// Printing: a window as it is shown, on one page, with no printer dialog,
// text kept as text so that the page is sharp at any printer resolution; and
// documents of many pages through a print preview.

#include <QSize>
#include <QString>

#include <functional>
#include <vector>

class QPainter;
class QPrinter;
class QTransform;
class QWidget;

namespace orvandel::runtime {

// Why a page did not reach the printer.
enum class print_error {
    none,            // the page was drawn and handed to the printer
    no_printer,      // no printer is installed, or none is the default
    cannot_open_job, // the printer would not start a job (painting could not begin)
    job_not_sent,    // the page was drawn but finishing the job failed
};

// A window's client area as drawing commands: texts stay texts (with their
// faces, at their places on their lines), frames and fills stay lines and
// areas. The focused field's text cursor is left out.
class window_drawing {
public:
    // Draws the window onto `painter` with its current transform; the window's
    // top-left corner goes to the painter's origin.
    void play(QPainter& painter) const;
    // The window's size in screen pixels.
    [[nodiscard]] QSize size() const { return size_; }

private:
    friend window_drawing record_window(QWidget& window);
    // One painter call, made with the player's transform as the base.
    using step = std::function<void(QPainter&, const QTransform& base)>;
    std::vector<step> steps_;
    QSize size_;
};

window_drawing record_window(QWidget& window);

// Prints `window` onto one page of `printer`, at the top-left corner of the
// printable area, at the size it has on the screen (one screen inch is one
// paper inch); a window larger than the page is reduced to fit, keeping its
// proportions. Sets the printer's resolution to the screen's.
print_error print_window(QWidget& window, QPrinter& printer);

// As print_window, onto the default printer with its default settings and no
// job name. `printer_name` (optional) receives the printer's name.
print_error print_window_on_default_printer(QWidget& window, QString* printer_name = nullptr);

// Shows a document of several pages in a print preview over `parent`, whose
// print button opens the system's print dialog. `draw` paints the pages on
// the printer it is given, and says whether painting could begin. False when
// a drawing failed.
bool print_with_preview(QWidget& parent, const QString& title, const QString& document,
                        const std::function<bool(QPrinter&)>& draw);

// For tests: the next preview is not shown; its pages are drawn at once into
// a PDF file at `path`.
void push_preview_pdf(const QString& path);

} // namespace orvandel::runtime
