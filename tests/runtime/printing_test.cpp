// Printing a window: the recording leaves the text cursor out, the page holds
// the whole window at its screen size or reduced to fit, the Print command asks
// first and prints nothing on No, a real print server receives exactly one page
// with the figures as text, and a missing printer is reported.
//
// The print-server cases need CUPS with the PDF printer TestPDF as default
// (.ci/cups-up.sh, as root); the no-printer case runs with CUPS_SERVER pointing
// at a socket that does not exist. Each says so and is skipped elsewhere.

#include "runtime/clock.h"
#include "runtime/edit_mask.h"
#include "runtime/fonts.h"
#include "runtime/message_box.h"
#include "runtime/printing.h"
#include "ui/main/w_dornik.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace orvandel;

namespace {

constexpr auto test_printer = "TestPDF";
constexpr auto confirmation =
    "选择<是>会把本窗口所有内容打印在纸上，如确实要打印请准备好打印机，然后点<是>";

// Output of a command-line tool, or nullopt when it is missing or fails.
std::optional<QString> run_tool(const QString& tool, const QStringList& arguments) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) {
        return std::nullopt;
    }
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Text of a PDF file, in compatibility-normalised form: extracted Chinese text
// may carry compatibility code points (金 as U+2FA6).
QString pdf_text(const QString& file) {
    return run_tool(QStringLiteral("pdftotext"), {file, QStringLiteral("-")})
        .value_or(QString())
        .normalized(QString::NormalizationForm_KC);
}

int pdf_pages(const QString& file) {
    const QString info = run_tool(QStringLiteral("pdfinfo"), {file}).value_or(QString());
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

// Left edge and top of the first word `word` on the page, in points.
std::optional<QPointF> word_position(const QString& pdf, const QString& word) {
    const QString boxes =
        run_tool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")})
            .value_or(QString());
    const QRegularExpression pattern(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>%1</word>").arg(word));
    const QRegularExpressionMatch found = pattern.match(boxes);
    if (!found.hasMatch()) {
        return std::nullopt;
    }
    return QPointF(found.captured(1).toDouble(), found.captured(2).toDouble());
}

// The image a recording gives, at screen size.
QImage play(const runtime::window_drawing& drawing) {
    QImage image(drawing.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawing.play(painter);
    return image;
}

// The rectangle around the dark pixels (text) of `area` in `image`.
QRect ink(const QImage& image, const QRect& area) {
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 110) {
                found |= QRect(x, y, 1, 1);
            }
        }
    }
    return found;
}

// --- the CUPS test printer -------------------------------------------------

// Job numbers of every job the print server knows for the test printer.
QList<int> printer_jobs(const QString& which = QStringLiteral("all")) {
    const QString listing =
        run_tool(QStringLiteral("lpstat"), {QStringLiteral("-W"), which, QStringLiteral("-o"),
                                            QString::fromLatin1(test_printer)})
            .value_or(QString());
    QList<int> jobs;
    const QRegularExpression job(QStringLiteral("^%1-(\\d+)\\s").arg(test_printer),
                                 QRegularExpression::MultilineOption);
    for (auto it = job.globalMatch(listing); it.hasNext();) {
        jobs.append(it.next().captured(1).toInt());
    }
    return jobs;
}

// The folder where TestPDF's pages land, from its cups-pdf settings.
QString printer_output_folder() {
    QFile settings(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(test_printer));
    if (!settings.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    for (const QString& line : QString::fromUtf8(settings.readAll()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("Out "))) {
            return line.mid(4).trimmed();
        }
    }
    return {};
}

// Why the print-server cases cannot run here; empty when they can.
QString why_no_test_printer() {
    if (QStandardPaths::findExecutable(QStringLiteral("lpstat")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        return QStringLiteral("needs cups and poppler-utils installed");
    }
    if (QPrinterInfo::defaultPrinter().printerName() != QLatin1String(test_printer)) {
        return QStringLiteral("the default printer is not %1: start it with .ci/cups-up.sh "
                              "(as root)")
            .arg(test_printer);
    }
    if (printer_output_folder().isEmpty()) {
        return QStringLiteral("/etc/cups/cups-pdf-%1.conf is missing: run .ci/cups-up.sh")
            .arg(test_printer);
    }
    return {};
}

QStringList pdf_files(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

// The main window after a calculation, as the user sees it.
struct calculated_form {
    QString gs_path;
    ui::w_dornik window{gs_path};

    calculated_form() {
        runtime::install_font_substitutes();
        runtime::set_today_for_testing(QDate(2012, 9, 6));
        window.open();
        window.em_yjsk->set_text(QStringLiteral("12345.67"));
        window.em_2->set_text(QStringLiteral("2001-04-21"));
        window.em_3->set_text(QStringLiteral("2001-05-10"));
        QTest::mouseClick(window.cb_js, Qt::LeftButton);
    }
    ~calculated_form() { runtime::set_today_for_testing(std::nullopt); }
    calculated_form(const calculated_form&) = delete;
    calculated_form& operator=(const calculated_form&) = delete;

    // The figures the window shows: the amount, the day counts and the surcharges.
    [[nodiscard]] QStringList figures() const {
        QStringList shown;
        for (const runtime::edit_mask* field :
             {window.em_yjsk, window.em_znts, window.em_znts1, window.em_znts2, window.em_znj,
              window.em_znj1, window.em_znj2, window.em_hj}) {
            shown.append(field->text());
        }
        return shown;
    }
};

} // namespace

class printing_test : public QObject {
    Q_OBJECT

private slots:
    void init() { runtime::take_recorded_boxes(); }

    void recording_draws_texts_where_the_screen_does_data();
    void recording_draws_texts_where_the_screen_does();
    void recording_leaves_out_the_text_cursor_data();
    void recording_leaves_out_the_text_cursor();
    void page_holds_the_whole_window_data();
    void page_holds_the_whole_window();
    void no_asks_first_and_prints_nothing();
    void yes_prints_one_page_with_the_figures();
    void no_printer_is_reported();
};

void printing_test::recording_draws_texts_where_the_screen_does_data() {
    QTest::addColumn<bool>("button"); // a button caption, else a label
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("text");
    QTest::newRow("Latin label") << false << "DejaVu Sans"
                                 << "Amount 12345.67";
    // Chinese characters come from a fallback face with other line metrics.
    QTest::newRow("Chinese from a fallback face") << false << "DejaVu Sans"
                                                  << "重置(C) 2001年05月01日";
    QTest::newRow("Chinese face") << false << "Noto Serif CJK SC"
                                  << "合计应加征滞纳金= 302.47";
    // A caption with an access key is drawn in runs whose face is left unset.
    QTest::newRow("caption with an access key") << true << "Noto Serif CJK SC"
                                                << "打印(&D) 302.47";
}

void printing_test::recording_draws_texts_where_the_screen_does() {
    QFETCH(bool, button);
    QFETCH(QString, face);
    QFETCH(QString, text);
    QWidget window;
    window.resize(360, 80);
    QWidget* label = button ? static_cast<QWidget*>(new QPushButton(text, &window))
                            : static_cast<QWidget*>(new QLabel(text, &window));
    label->setFont(QFont(face, 12));
    label->setGeometry(10, 10, 340, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QImage screen = window.grab().toImage();
    const QImage recorded = play(runtime::record_window(window));
    const QRect inside = label->geometry().adjusted(4, 4, -4, -4); // not a button's frame
    const QRect on_screen = ink(screen, inside);
    const QRect replayed = ink(recorded, inside);
    QVERIFY(!on_screen.isEmpty());
    const QMargins apart(
        qAbs(replayed.left() - on_screen.left()), qAbs(replayed.top() - on_screen.top()),
        qAbs(replayed.right() - on_screen.right()), qAbs(replayed.bottom() - on_screen.bottom()));
    QVERIFY2(apart.left() <= 1 && apart.top() <= 1 && apart.right() <= 1 && apart.bottom() <= 1,
             qPrintable(QStringLiteral("text at %1,%2 to %3,%4 on screen, %5,%6 to %7,%8 recorded")
                            .arg(on_screen.left())
                            .arg(on_screen.top())
                            .arg(on_screen.right())
                            .arg(on_screen.bottom())
                            .arg(replayed.left())
                            .arg(replayed.top())
                            .arg(replayed.right())
                            .arg(replayed.bottom())));
}

void printing_test::recording_leaves_out_the_text_cursor_data() {
    QTest::addColumn<bool>("entry_field"); // the form's field, or a plain line edit
    QTest::newRow("line edit") << false;
    QTest::newRow("form entry field") << true;
}

void printing_test::recording_leaves_out_the_text_cursor() {
    QFETCH(bool, entry_field);
    QWidget window;
    window.resize(300, 120);
    QWidget* field = nullptr;
    if (entry_field) {
        auto* amount = new runtime::edit_mask(runtime::mask_kind::money, &window);
        amount->set_text(QStringLiteral("12345.67"));
        field = amount;
    } else {
        field = new QLineEdit(QStringLiteral("12345.67"), &window);
    }
    field->setGeometry(20, 20, 200, 30);
    auto* button = new QPushButton(QStringLiteral("打印"), &window);
    button->setGeometry(20, 70, 100, 30);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    const QImage with_focus = play(runtime::record_window(window));
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());
    const QImage without_focus = play(runtime::record_window(window));

    // Inside its frame the focused field looks exactly as the unfocused one:
    // no cursor bar.
    const QRect inside = field->geometry().adjusted(4, 4, -4, -4);
    QCOMPARE(with_focus.copy(inside), without_focus.copy(inside));

    // The field is still editable afterwards.
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    auto* edit = qobject_cast<QLineEdit*>(field);
    if (edit == nullptr) {
        edit = field->findChild<QLineEdit*>();
    }
    QVERIFY(edit != nullptr);
    QVERIFY(!edit->isReadOnly());
}

void printing_test::page_holds_the_whole_window_data() {
    QTest::addColumn<QSize>("window_size");
    QTest::addColumn<bool>("screen_size"); // printed 1:1, else reduced to fit
    QTest::newRow("smaller than the page: screen size") << QSize(400, 600) << true;
    QTest::newRow("wider than the page: reduced") << QSize(2400, 500) << false;
    QTest::newRow("taller than the page: reduced") << QSize(400, 3000) << false;
}

void printing_test::page_holds_the_whole_window() {
    QFETCH(QSize, window_size);
    QFETCH(bool, screen_size);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty()) {
        QSKIP("needs pdftotext, pdfinfo and pdfimages (poppler-utils)");
    }
    QWidget window;
    window.resize(window_size);
    // Corner labels: text drawn at the window's edges must land on the page as text.
    auto* top_left = new QLabel(QStringLiteral("Topleft"), &window);
    top_left->move(10, 10);
    auto* button = new QPushButton(QStringLiteral("Print"), &window); // a bevel and a frame
    button->setGeometry(10, 40, 100, 30);
    auto* bottom_right = new QLabel(QStringLiteral("Bottomright"), &window);
    bottom_right->adjustSize();
    bottom_right->move(window_size.width() - bottom_right->width() - 10,
                       window_size.height() - bottom_right->height() - 10);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTemporaryDir temp;
    const QString pdf = temp.filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QCOMPARE(runtime::print_window(window, printer), runtime::print_error::none);

    QCOMPARE(pdf_pages(pdf), 1);
    // Drawn as lines, fills and text: no screen-resolution pictures on the page.
    const QString images =
        run_tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).value_or(QString());
    QCOMPARE(images.split(u'\n', Qt::SkipEmptyParts).size(), 2); // the heading lines only
    const std::optional<QPointF> first = word_position(pdf, QStringLiteral("Topleft"));
    const std::optional<QPointF> last = word_position(pdf, QStringLiteral("Bottomright"));
    QVERIFY2(first && last, qPrintable(pdf_text(pdf)));
    const QRectF page = printer.pageLayout().paintRect(QPageLayout::Point);
    QVERIFY(page.contains(*first) && page.contains(*last));
    // The distance between the two labels on paper against that on the screen.
    const double points_per_pixel = 72.0 / window.logicalDpiX();
    const double across_screen = (bottom_right->x() - top_left->x()) * points_per_pixel;
    const double across_paper = last->x() - first->x();
    if (screen_size) {
        QVERIFY2(qAbs(across_paper - across_screen) < 2.0,
                 qPrintable(QStringLiteral("%1 pt on paper, %2 pt on screen")
                                .arg(across_paper)
                                .arg(across_screen)));
    } else {
        QVERIFY(across_paper < across_screen - 10.0);
    }
}

void printing_test::no_asks_first_and_prints_nothing() {
    const QString why_not = why_no_test_printer();
    const QList<int> jobs_before = printer_jobs();
    calculated_form form;
    const QStringList figures = form.figures();
    runtime::take_recorded_boxes();

    runtime::push_answer(2);
    QTest::mouseClick(form.window.cb_1, Qt::LeftButton);

    const std::vector<runtime::shown_box> boxes = runtime::take_recorded_boxes();
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(boxes[0].title, QStringLiteral("提示"));
    QCOMPARE(boxes[0].text, QString::fromUtf8(confirmation));
    QCOMPARE(boxes[0].buttons, runtime::msg_buttons::yes_no);
    QCOMPARE(boxes[0].default_button, 2); // Enter answers No
    QCOMPARE(form.figures(), figures);
    if (!why_not.isEmpty()) {
        QSKIP(qPrintable(QStringLiteral("job list not checked: ") + why_not));
    }
    QCOMPARE(printer_jobs(), jobs_before);
}

void printing_test::yes_prints_one_page_with_the_figures() {
    if (const QString why_not = why_no_test_printer(); !why_not.isEmpty()) {
        QSKIP(qPrintable(why_not));
    }
    const QString out = printer_output_folder();
    const QStringList pages_before = pdf_files(out);
    const QList<int> jobs_before = printer_jobs();
    calculated_form form;
    const QStringList figures = form.figures();
    QCOMPARE(figures.first(), QStringLiteral("12345.67"));

    runtime::take_recorded_boxes();
    runtime::push_answer(1);
    QTest::mouseClick(form.window.cb_1, Qt::LeftButton);
    QCOMPARE(runtime::take_recorded_boxes().size(), std::size_t{1}); // the question only
    QCOMPARE(form.figures(), figures);

    // Exactly one job, handed over before the command returned.
    QList<int> new_jobs = printer_jobs();
    for (int job : jobs_before) {
        new_jobs.removeAll(job);
    }
    QCOMPARE(new_jobs.size(), 1);
    const int job = new_jobs.first();
    QTRY_VERIFY_WITH_TIMEOUT(!printer_jobs(QStringLiteral("not-completed")).contains(job), 30000);

    // One PDF file with one page arrived from the printer ...
    QStringList arrived = pdf_files(out);
    for (const QString& old : pages_before) {
        arrived.removeAll(old);
    }
    QCOMPARE(arrived.size(), 1);
    const QString page = QDir(out).filePath(arrived.first());
    QCOMPARE(pdf_pages(page), 1);
    // ... and its labels are text, not a picture of text.
    QVERIFY2(pdf_text(page).contains(QStringLiteral("税款与滞纳金合计")),
             qPrintable(pdf_text(page)));

    // The figures: read from the job as the print server received it, since the
    // PDF printer's PostScript step keeps the glyphs of digits but not their text.
    const QString document = QStringLiteral("/var/spool/cups/d%1-001").arg(job, 5, 10, QChar(u'0'));
    if (!QFile::exists(document) || !QFileInfo(document).isReadable()) {
        QSKIP(qPrintable(
            QStringLiteral("figures not checked: %1 not readable (run as root)").arg(document)));
    }
    QCOMPARE(pdf_pages(document), 1);
    const QString text = pdf_text(document);
    for (const QString& figure : figures) {
        QVERIFY2(text.contains(figure), qPrintable(figure + QStringLiteral(" not in:\n") + text));
    }
}

void printing_test::no_printer_is_reported() {
    if (!QPrinterInfo::defaultPrinter().isNull()) {
        QSKIP("a printer is installed; run with CUPS_SERVER set to a socket that does not exist");
    }
    calculated_form form;
    const QStringList figures = form.figures();
    runtime::take_recorded_boxes();

    runtime::push_answer(1);
    runtime::push_answer(1);
    QTest::mouseClick(form.window.cb_1, Qt::LeftButton);

    const std::vector<runtime::shown_box> boxes = runtime::take_recorded_boxes();
    QCOMPARE(boxes.size(), std::size_t{2});
    QCOMPARE(boxes[0].text, QString::fromUtf8(confirmation));
    QCOMPARE(boxes[1].title, QStringLiteral("提示"));
    QVERIFY(boxes[1].text.startsWith(QStringLiteral("打印失败")));
    QVERIFY(boxes[1].text.contains(QStringLiteral("没有找到可用的打印机")));
    QCOMPARE(boxes[1].buttons, runtime::msg_buttons::ok);
    QCOMPARE(form.figures(), figures); // nothing else changed
}

QTEST_MAIN(printing_test)
#include "printing_test.moc"
