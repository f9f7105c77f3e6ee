// Printing: the recording draws texts where the screen does and leaves the text
// cursor out; the page holds the whole window, at screen size or reduced; the
// main window's Print asks first, prints nothing on No, sends one page with the
// figures on Yes, and says why when there is no printer.
//
// The print-server cases need CUPS with the PDF printer TestPDF as default
// (.ci/cups-up.sh, as root); the no-printer case runs with CUPS_SERVER set to a
// socket that does not exist. Elsewhere they say why and are skipped.

#include "runtime/clock.h"
#include "runtime/edit_mask.h"
#include "runtime/fonts.h"
#include "runtime/message_box.h"
#include "runtime/printing.h"
#include "ui/main/w_dornik.h"

#include <QDir>
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

#include <algorithm>

using namespace orvandel;

namespace {

constexpr auto confirmation =
    "选择<是>会把本窗口所有内容打印在纸上，如确实要打印请准备好打印机，然后点<是>";

// Standard output of a command-line tool; empty when it is missing or fails.
QString tool(const QString& name, const QStringList& arguments) {
    QProcess process;
    process.start(name, arguments);
    const bool ran = process.waitForFinished(60000) &&
                     process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return ran ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// Extracted Chinese text may carry compatibility code points (金 as U+2FA6).
QString pdf_text(const QString& pdf) {
    return tool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
        .normalized(QString::NormalizationForm_KC);
}

int pdf_pages(const QString& pdf) {
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                   QRegularExpression::MultilineOption);
    const auto found = pages.match(tool(QStringLiteral("pdfinfo"), {pdf}));
    return found.hasMatch() ? found.captured(1).toInt() : -1;
}

// Where `word` starts on the page, in points from the left; -1 if it is not there.
double word_left(const QString& pdf, const QString& word) {
    const QRegularExpression box(
        QStringLiteral("<word xMin=\"([\\d.]+)\"[^>]*>%1</word>").arg(word));
    const auto found = box.match(tool(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"}));
    return found.hasMatch() ? found.captured(1).toDouble() : -1;
}

QImage play(const runtime::window_drawing& drawing) {
    QImage image(drawing.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawing.play(painter);
    return image;
}

// The box around the dark (text) pixels of `area`.
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

// Job numbers the print server lists for TestPDF ("all" or "not-completed").
QList<int> jobs(const QString& which = QStringLiteral("all")) {
    const QRegularExpression job(QStringLiteral("^TestPDF-(\\d+)\\s"),
                                 QRegularExpression::MultilineOption);
    QList<int> numbers;
    const QString listing = tool(QStringLiteral("lpstat"), {"-W", which, "-o", "TestPDF"});
    for (auto it = job.globalMatch(listing); it.hasNext();) {
        numbers.append(it.next().captured(1).toInt());
    }
    return numbers;
}

// The folder TestPDF's pages land in, from the settings .ci/cups-up.sh writes.
QString output_folder() {
    QFile settings(QStringLiteral("/etc/cups/cups-pdf-TestPDF.conf"));
    if (settings.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromUtf8(settings.readAll()).split(u'\n')) {
            if (line.startsWith(QStringLiteral("Out "))) {
                return line.mid(4).trimmed();
            }
        }
    }
    return {};
}

bool installed(const QStringList& tools) {
    return std::all_of(tools.begin(), tools.end(), [](const QString& name) {
        return !QStandardPaths::findExecutable(name).isEmpty();
    });
}

QString why_no_test_printer() {
    if (!installed({"lpstat", "pdftotext", "pdfinfo"})) {
        return QStringLiteral("needs cups and poppler-utils");
    }
    if (QPrinterInfo::defaultPrinter().printerName() != QLatin1String("TestPDF") ||
        output_folder().isEmpty()) {
        return QStringLiteral("the default printer is not TestPDF: run .ci/cups-up.sh as root");
    }
    return {};
}

// The main window after a calculation, as the program shows it.
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
        runtime::take_recorded_boxes();
    }
    ~calculated_form() { runtime::set_today_for_testing(std::nullopt); }
    calculated_form(const calculated_form&) = delete;
    calculated_form& operator=(const calculated_form&) = delete;

    // The amount, the day counts and the surcharges as shown.
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

QStringList pdf_files(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

} // namespace

class printing_test : public QObject {
    Q_OBJECT

private slots:
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
    // The Chinese characters come from a fallback face with other line metrics.
    QTest::newRow("Chinese from a fallback face") << false << "DejaVu Sans"
                                                  << "重置(C) 2001年5月";
    QTest::newRow("Chinese face") << false << "Noto Serif CJK SC"
                                  << "合计应加征滞纳金= 302.47";
    // An access key splits the caption into runs whose face is left unmarked.
    QTest::newRow("caption with an access key") << true << "Noto Serif CJK SC"
                                                << "打印(&D) 302.47";
}

void printing_test::recording_draws_texts_where_the_screen_does() {
    QFETCH(bool, button);
    QFETCH(QString, face);
    QFETCH(QString, text);
    QWidget window;
    window.resize(360, 80);
    QWidget* shown = button ? static_cast<QWidget*>(new QPushButton(text, &window))
                            : static_cast<QWidget*>(new QLabel(text, &window));
    shown->setFont(QFont(face, 12));
    shown->setGeometry(10, 10, 340, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QRect inside = shown->geometry().adjusted(4, 4, -4, -4); // clear of a button's frame
    const QRect screen = ink(window.grab().toImage(), inside);
    const QRect paper = ink(play(runtime::record_window(window)), inside);
    QVERIFY(!screen.isEmpty());
    const QPoint moved[] = {paper.topLeft() - screen.topLeft(),
                            paper.bottomRight() - screen.bottomRight()};
    for (const QPoint& by : moved) {
        QVERIFY2(qAbs(by.x()) <= 1 && qAbs(by.y()) <= 1,
                 qPrintable(QStringLiteral("ink moved by %1,%2").arg(by.x()).arg(by.y())));
    }
}

void printing_test::recording_leaves_out_the_text_cursor_data() {
    QTest::addColumn<bool>("entry_field"); // the form's entry field, else a line edit
    QTest::newRow("line edit") << false;
    QTest::newRow("form entry field") << true;
}

void printing_test::recording_leaves_out_the_text_cursor() {
    QFETCH(bool, entry_field);
    QWidget window;
    window.resize(300, 120);
    QWidget* field = new QLineEdit(QStringLiteral("12345.67"), &window);
    if (entry_field) {
        delete field;
        auto* amount = new runtime::edit_mask(runtime::mask_kind::money, &window);
        amount->set_text(QStringLiteral("12345.67"));
        field = amount;
    }
    field->setGeometry(20, 20, 200, 30);
    auto* button = new QPushButton(QStringLiteral("打印"), &window);
    button->setGeometry(20, 70, 100, 30);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    const QImage focused = play(runtime::record_window(window));
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());
    const QImage unfocused = play(runtime::record_window(window));

    // Inside its frame the focused field looks as the unfocused one: no cursor.
    const QRect inside = field->geometry().adjusted(4, 4, -4, -4);
    QCOMPARE(focused.copy(inside), unfocused.copy(inside));
    auto* edit = entry_field ? field->findChild<QLineEdit*>() : qobject_cast<QLineEdit*>(field);
    QVERIFY(edit != nullptr && !edit->isReadOnly()); // still editable afterwards
}

void printing_test::page_holds_the_whole_window_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("screen_size"); // 1:1, else reduced to fit
    QTest::newRow("smaller than the page: screen size") << QSize(400, 600) << true;
    QTest::newRow("taller than the page: reduced") << QSize(400, 3000) << false;
}

void printing_test::page_holds_the_whole_window() {
    QFETCH(QSize, size);
    QFETCH(bool, screen_size);
    if (!installed({"pdftotext", "pdfinfo", "pdfimages"})) {
        QSKIP("needs pdftotext, pdfinfo and pdfimages (poppler-utils)");
    }
    QWidget window;
    window.resize(size);
    auto* first = new QLabel(QStringLiteral("Topleft"), &window);
    first->move(10, 10);
    (new QPushButton(QStringLiteral("Print"), &window))->setGeometry(10, 40, 100, 30);
    auto* last = new QLabel(QStringLiteral("Bottomright"), &window);
    last->adjustSize();
    last->move(size.width() - last->width() - 10, size.height() - last->height() - 10);
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
    // Lines, fills and texts only: no screen-resolution pictures of the bevels.
    QCOMPARE(tool(QStringLiteral("pdfimages"), {"-list", pdf}).count(u'\n'), 2); // heading only
    const double left = word_left(pdf, QStringLiteral("Topleft"));
    const double right = word_left(pdf, QStringLiteral("Bottomright"));
    QVERIFY2(left >= 0 && right >= 0, qPrintable(pdf_text(pdf)));
    const double on_screen = (last->x() - first->x()) * 72.0 / window.logicalDpiX(); // points
    if (screen_size) {
        QVERIFY2(qAbs(right - left - on_screen) < 2.0, qPrintable(QString::number(right - left)));
    } else {
        QVERIFY(right - left < on_screen - 10.0);
    }
}

void printing_test::no_asks_first_and_prints_nothing() {
    const QString why_not = why_no_test_printer();
    const QList<int> jobs_before = jobs();
    calculated_form form;
    const QStringList figures = form.figures();

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
        QSKIP(qPrintable(QStringLiteral("jobs not checked: ") + why_not));
    }
    QCOMPARE(jobs(), jobs_before);
}

void printing_test::yes_prints_one_page_with_the_figures() {
    if (const QString why_not = why_no_test_printer(); !why_not.isEmpty()) {
        QSKIP(qPrintable(why_not));
    }
    const QString out = output_folder();
    const QStringList pages_before = pdf_files(out);
    const QList<int> jobs_before = jobs();
    calculated_form form;
    const QStringList figures = form.figures();

    runtime::push_answer(1);
    QTest::mouseClick(form.window.cb_1, Qt::LeftButton);
    QCOMPARE(runtime::take_recorded_boxes().size(), std::size_t{1}); // the question only
    QCOMPARE(form.figures(), figures);

    // One job, handed over before the command returned, and one page from it.
    QList<int> new_jobs = jobs();
    new_jobs.removeIf([&](int job) { return jobs_before.contains(job); });
    QCOMPARE(new_jobs.size(), 1);
    const int job = new_jobs.first();
    QTRY_VERIFY_WITH_TIMEOUT(!jobs(QStringLiteral("not-completed")).contains(job), 30000);
    QStringList arrived = pdf_files(out);
    for (const QString& old : pages_before) {
        arrived.removeAll(old);
    }
    QCOMPARE(arrived.size(), 1);
    const QString page = QDir(out).filePath(arrived.first());
    QCOMPARE(pdf_pages(page), 1);
    QVERIFY2(pdf_text(page).contains(QStringLiteral("税款与滞纳金合计")), "labels are not text");

    // The printer's PostScript step keeps the digits' glyphs but not their text,
    // so the figures are read from the job as the print server received it.
    const QString sent = QStringLiteral("/var/spool/cups/d%1-001").arg(job, 5, 10, QChar(u'0'));
    if (!QFileInfo(sent).isReadable()) {
        QSKIP(qPrintable(QStringLiteral("figures not checked: %1 not readable").arg(sent)));
    }
    QCOMPARE(pdf_pages(sent), 1);
    const QString text = pdf_text(sent);
    for (const QString& figure : figures) {
        QVERIFY2(text.contains(figure), qPrintable(figure + QStringLiteral(" not in\n") + text));
    }
}

void printing_test::no_printer_is_reported() {
    if (!QPrinterInfo::defaultPrinter().isNull()) {
        QSKIP("a printer is installed; run with CUPS_SERVER set to a missing socket");
    }
    calculated_form form;
    const QStringList figures = form.figures();

    runtime::push_answer(1);
    runtime::push_answer(1);
    QTest::mouseClick(form.window.cb_1, Qt::LeftButton);

    const std::vector<runtime::shown_box> boxes = runtime::take_recorded_boxes();
    QCOMPARE(boxes.size(), std::size_t{2});
    QCOMPARE(boxes[1].title, QStringLiteral("提示"));
    QVERIFY(boxes[1].text.startsWith(QStringLiteral("打印失败：没有找到可用的打印机")));
    QCOMPARE(boxes[1].buttons, runtime::msg_buttons::ok);
    QCOMPARE(form.figures(), figures); // nothing else changed
}

QTEST_MAIN(printing_test)
#include "printing_test.moc"
