// Printing: the page shows the window as the screen does (texts in place, no
// text cursor), whole on one page, at screen size or reduced to fit. The main
// window's Print asks first in a box with Chinese buttons where Enter answers
// No, which prints nothing; Yes sends one page with the figures (needs CUPS
// with the PDF printer TestPDF as default: .ci/cups-up.sh, as root); with no
// printer (CUPS_SERVER set to a socket that does not exist) the user is told why.

#include "runtime/edit_mask.h"
#include "runtime/fonts.h"
#include "runtime/message_box.h"
#include "runtime/printing.h"
#include "runtime/startup.h"
#include "ui/main/w_dornik.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace orvandel;

namespace {

// Standard output of a command-line tool; empty when it is missing or fails.
QString tool(const QString& name, const QStringList& arguments) {
    QProcess process;
    process.start(name, arguments);
    const bool ran = process.waitForFinished(60000) &&
                     process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return ran ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// The first group of `pattern` (^ and $ match at lines) in `text`; empty if none.
QString find(const QString& text, const QString& pattern) {
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).captured(1);
}

// A PDF's pages and words with their boxes. Extracted Chinese may carry
// compatibility code points (金 as U+2FA6).
QString pdf_words(const QString& pdf) {
    return tool("pdftotext", {"-bbox", pdf, "-"}).normalized(QString::NormalizationForm_KC);
}

// The print server's TestPDF jobs, one a line: "TestPDF-<number> <owner> …".
QStringList jobs() {
    return tool("lpstat", {"-W", "all", "-o", "TestPDF"}).split(u'\n', Qt::SkipEmptyParts);
}

// The window as its recording draws it onto paper.
QImage on_paper(QWidget& window) {
    const runtime::window_drawing drawing = runtime::record_window(window);
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

} // namespace

class printing_test : public QObject {
    Q_OBJECT

private slots:
    void page_shows_the_window_data();
    void page_shows_the_window();
    void print_button_data();
    void print_button();
};

void printing_test::page_shows_the_window_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("screen_size"); // 1:1, else reduced to fit
    QTest::newRow("smaller than the page: screen size") << 600 << true;
    QTest::newRow("taller than the page: reduced") << 3000 << false;
}

void printing_test::page_shows_the_window() {
    QFETCH(int, height);
    QFETCH(bool, screen_size);
    if (QStandardPaths::findExecutable("pdfimages").isEmpty()) {
        QSKIP("needs poppler-utils");
    }
    QWidget window;
    window.resize(400, height);
    auto* first = new QLabel("Topleft", &window);
    first->move(10, 10);
    // Texts keep their places on paper: Chinese from a fallback face with other
    // line metrics, and a caption split by its access key into runs.
    auto* label = new QLabel("重置(C) 2001年5月", &window);
    label->setFont(QFont("DejaVu Sans", 12));
    label->setGeometry(10, 40, 340, 40);
    auto* button = new QPushButton("打印(&D) 302.47", &window);
    button->setFont(QFont("Noto Serif CJK SC", 12));
    button->setGeometry(10, 90, 340, 50);
    auto* field = new runtime::edit_mask(runtime::mask_kind::money, &window);
    field->set_text("12345.67");
    field->setGeometry(10, 150, 200, 30);
    auto* last = new QLabel("Bottomright", &window);
    last->adjustSize();
    last->move(400 - last->width() - 10, height - last->height() - 10);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    const QImage focused = on_paper(window);
    field->clearFocus();
    const QImage paper = on_paper(window);
    const QImage screen = window.grab().toImage();

    // Inside its frame the focused field looks as the unfocused one: no cursor.
    const QRect inside = field->geometry().adjusted(4, 4, -4, -4);
    QCOMPARE(focused.copy(inside), paper.copy(inside));
    QVERIFY(!field->findChild<QLineEdit*>()->isReadOnly()); // still editable afterwards
    for (const QWidget* shown : {static_cast<QWidget*>(label), static_cast<QWidget*>(button)}) {
        const QRect area = shown->geometry().adjusted(4, 4, -4, -4); // clear of a button's frame
        const QRect on_screen = ink(screen, area);
        const QRect printed = ink(paper, area);
        QVERIFY(!on_screen.isEmpty());
        for (const QPoint& by : {printed.topLeft() - on_screen.topLeft(),
                                 printed.bottomRight() - on_screen.bottomRight()}) {
            QVERIFY2(qAbs(by.x()) <= 1 && qAbs(by.y()) <= 1,
                     qPrintable(QStringLiteral("ink moved by %1,%2").arg(by.x()).arg(by.y())));
        }
    }

    // On paper: lines, fills and texts, no screen-resolution pictures of the
    // bevels. (Entry-field frames are pictures, from the style's cache; the
    // field leaves before this part.)
    delete field;
    QTemporaryDir temp;
    const QString pdf = temp.filePath("page.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QCOMPARE(runtime::print_window(window, printer), runtime::print_error::none);
    const QString words = pdf_words(pdf);
    QCOMPARE(words.count("<page "), 1);
    QCOMPARE(tool("pdfimages", {"-list", pdf}).count(u'\n'), 2); // heading only
    const QString left = "<word xMin=\"([\\d.]+)\"[^>]*>%1</word>";
    const double printed = find(words, left.arg("Bottomright")).toDouble() -
                           find(words, left.arg("Topleft")).toDouble();
    const double on_screen = (last->x() - first->x()) * 72.0 / window.logicalDpiX(); // points
    QVERIFY2(
        screen_size ? qAbs(printed - on_screen) < 2.0 : printed > 0 && printed < on_screen - 10,
        qPrintable(QStringLiteral("%1 points on paper, %2 on screen").arg(printed).arg(on_screen)));
}

void printing_test::print_button_data() {
    QTest::addColumn<int>("answer");      // 0: the real box, answered with Enter
    QTest::addColumn<QString>("printer"); // the default printer Yes needs; empty: none
    QTest::newRow("no") << 0 << "";
    QTest::newRow("yes") << 1 << "TestPDF";
    QTest::newRow("no_printer") << 1 << "";
}

void printing_test::print_button() {
    QFETCH(int, answer);
    QFETCH(QString, printer);
    if (answer == 0 && !runtime::install_qt_translation(*QCoreApplication::instance())) {
        QSKIP("Qt's Chinese translation (qt6-translations-l10n) is not installed");
    }
    if (answer == 1 && QPrinterInfo::defaultPrinter().printerName() != printer) {
        QSKIP(printer.isEmpty()
                  ? "a printer is installed; run with CUPS_SERVER set to a missing socket"
                  : "TestPDF is not the default printer: run .ci/cups-up.sh as root");
    }
    const QStringList jobs_before = jobs();
    runtime::install_font_substitutes();
    QString gs_path;
    ui::w_dornik w(gs_path);
    w.open();
    w.em_yjsk->set_text("12345.67");
    w.em_2->set_text("2001-04-21");
    w.em_3->set_text("2001-05-10");
    QTest::mouseClick(w.cb_js, Qt::LeftButton);
    // The amount, the dates, the day counts and the surcharges as shown.
    const auto figures = [&w] {
        QStringList shown;
        for (const auto* field : w.findChildren<runtime::edit_mask*>()) {
            shown.append(field->text());
        }
        return shown;
    };
    const QStringList shown = figures();
    runtime::take_recorded_boxes();
    QString no_caption;
    if (answer == 0) {
        QTimer::singleShot(0, [&no_caption] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            no_caption = box->button(QMessageBox::No)->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
    } else {
        runtime::push_answer(answer);
    }
    if (answer == 1 && printer.isEmpty()) {
        runtime::push_answer(1); // OK on the failure message
    }
    QTest::mouseClick(w.cb_1, Qt::LeftButton);

    const std::vector<runtime::shown_box> boxes = runtime::take_recorded_boxes();
    QCOMPARE(boxes.size(), std::size_t{answer == 1 && printer.isEmpty() ? 2U : 1U});
    QCOMPARE(boxes[0].title, "提示");
    QCOMPARE(boxes[0].text,
             "选择<是>会把本窗口所有内容打印在纸上，如确实要打印请准备好打印机，然后点<是>");
    QCOMPARE(boxes[0].buttons, runtime::msg_buttons::yes_no);
    QCOMPARE(figures(), shown); // nothing else changes
    if (answer == 0) {
        QVERIFY2(no_caption.contains(u'否'), qPrintable(no_caption));
    }
    if (boxes.size() == 2) {
        QCOMPARE(boxes[1].title, "提示");
        QVERIFY(boxes[1].text.startsWith("打印失败：没有找到可用的打印机"));
        QCOMPARE(boxes[1].buttons, runtime::msg_buttons::ok);
    }
    QStringList new_jobs = jobs(); // handed over before the command returned
    new_jobs.removeIf([&](const QString& job) { return jobs_before.contains(job); });
    QCOMPARE(new_jobs.size(), printer.isEmpty() ? 0 : 1);
    if (new_jobs.isEmpty()) {
        return;
    }
    // The page as the print server received it (the printer's PostScript step
    // keeps the digits' glyphs but not their text).
    const QString sent =
        QStringLiteral("/var/spool/cups/d%1-001")
            .arg(new_jobs.first().section(u'-', 1).section(u' ', 0, 0).toInt(), 5, 10, QChar(u'0'));
    if (!QFileInfo(sent).isReadable()) {
        QSKIP(qPrintable(QStringLiteral("page not checked: %1 not readable").arg(sent)));
    }
    const QString text = pdf_words(sent);
    QCOMPARE(text.count("<page "), 1);
    QVERIFY2(text.contains("税款与滞纳金合计"), "labels are not text");
    for (const QString& figure : shown) {
        QVERIFY2(text.contains(figure), qPrintable(figure + " not in\n" + text));
    }
}

QTEST_MAIN(printing_test)
#include "printing_test.moc"
