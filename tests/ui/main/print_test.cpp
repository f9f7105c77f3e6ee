// The main window's Print command asks first in a box with Chinese buttons
// where Enter answers No, which prints nothing; Yes sends one page with the
// figures (needs CUPS with the PDF printer TestPDF as default: .ci/cups-up.sh,
// as root); with no printer (CUPS_SERVER set to a socket that does not exist)
// the user is told why. Nothing else on the form changes.

#include "runtime/edit_mask.h"
#include "runtime/fonts.h"
#include "runtime/message_box.h"
#include "runtime/startup.h"
#include "ui/main/w_dornik.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
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

// The print server's TestPDF jobs, one a line: "TestPDF-<number> <owner> …".
QStringList jobs() {
    return tool("lpstat", {"-W", "all", "-o", "TestPDF"}).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class print_test : public QObject {
    Q_OBJECT

private slots:
    void print_button_data();
    void print_button();
};

void print_test::print_button_data() {
    QTest::addColumn<int>("answer");      // 0: the real box, answered with Enter
    QTest::addColumn<QString>("printer"); // the default printer Yes needs; empty: none
    QTest::newRow("no") << 0 << "";
    QTest::newRow("yes") << 1 << "TestPDF";
    QTest::newRow("no_printer") << 1 << "";
}

void print_test::print_button() {
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
    ui::w_dornik w;
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
    // Extracted Chinese may carry compatibility code points (金 as U+2FA6).
    const QString text =
        tool("pdftotext", {"-bbox", sent, "-"}).normalized(QString::NormalizationForm_KC);
    QCOMPARE(text.count("<page "), 1);
    QVERIFY2(text.contains("税款与滞纳金合计"), "labels are not text");
    for (const QString& figure : shown) {
        QVERIFY2(text.contains(figure), qPrintable(figure + " not in\n" + text));
    }
}

QTEST_MAIN(print_test)
#include "print_test.moc"
