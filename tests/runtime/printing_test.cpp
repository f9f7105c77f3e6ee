// Printing a window: the page shows it as the screen does (texts in place, no
// text cursor), whole on one page, at screen size or reduced to fit.

#include "runtime/edit_mask.h"
#include "runtime/printing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

QTEST_MAIN(printing_test)
#include "printing_test.moc"
