// The audit sheet as a PDF: every figure found as text where a reader looks
// for it, pages broken between items and numbered right, fonts embedded, no
// pictures, and a file replaced only by a complete one.

#include "audit_items_for_tests.h"

#include "runtime/engine_text.h"
#include "runtime/fonts.h"
#include "sheet/row.h"
#include "ui/audit/audit_sheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace orvandel;
using test::day;

namespace {

ui::audit::audit_items sheet_of(std::vector<ui::audit::audit_item> items) {
    return {std::move(items), QDate(2026, 12, 7), QDate()};
}

// `count` items with names and amounts of their own, so each can be found.
ui::audit::audit_items numbered_items(int count) {
    ui::audit::audit_items sheet = sheet_of({});
    for (int i = 1; i <= count; ++i) {
        const QByteArray amount = QByteArray::number(1000 + i) + ".00";
        sheet.items.push_back(test::due_and_paid(QStringLiteral("项目%1号").arg(i), amount.data(),
                                                 day(2001, 4, 20), day(2001, 5, 9)));
    }
    return sheet;
}

QString export_to(const QTemporaryDir& dir, const ui::audit::audit_items& sheet) {
    const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    if (ui::audit::export_audit_pdf(path, sheet) != ui::audit::audit_export_error::none) {
        return {};
    }
    return path;
}

// As pdftotext gives it after NFKC: full-width colons and points become ":" and ".".
QString kc(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC);
}

} // namespace

class audit_sheet_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
        runtime::install_font_substitutes();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QSKIP("pdftotext (poppler-utils) is not installed");
        }
    }

    // Each kind of item shows its own lines; the formulas read as the form writes them.
    void items_are_found_as_text_data() {
        QTest::addColumn<ui::audit::audit_item>("item");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("due and paid, across 2001-05-01")
            << test::due_and_paid(QStringLiteral("增值税 2001年3月"), "12345.67", day(2001, 4, 20),
                                  day(2001, 5, 9))
            << QStringList{
                   "1．增值税 2001年3月",
                   "应缴税款金额=12345.67",
                   "合计滞纳天数=19",
                   "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=12345.67*10*0.002=246."
                   "91",
                   "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=12345.67*9*0.0005=55."
                   "56",
                   "税款与滞纳金合计=12648.14",
               };
        QTest::newRow("the form's dates, start counted, end not")
            << test::start_and_end(QString(), "1000.00", day(2024, 3, 1), day(2024, 3, 11))
            << QStringList{
                   "滞纳金计算起始日期=2024-03-01",
                   "合计滞纳天数=10",
                   "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=1000.00*10*0.0005=5.00",
                   "税款与滞纳金合计=1005.00",
                   "按起始日期和终止日期给出的项目，计起始日期，不计终止日期",
               };
        QTest::newRow("typed day counts, amount zero")
            << test::by_days(QStringLiteral("个人所得税"), ".00", 15, 30)
            << QStringList{
                   "给出天数：2001年04月30日前15天，2001年05月01日后30天",
                   "应缴税款金额=0.00",
                   // The formula quotes the amount as the form's field shows it.
                   "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=.00*30*0.0005=0.00",
                   "税款与滞纳金合计=0.00",
               };
        QTest::newRow("a name of several lines, and a long one")
            << test::by_days(QStringLiteral("增值税\n2024年3月\t补缴") + QString(60, u'长'), "1.00",
                             1, 1)
            << QStringList{"1．增值税 2024年3月 补缴长长", "应缴税款金额=1.00"};
        QTest::newRow("widest amount and day count: the formula stays on one line")
            << test::by_days(QStringLiteral("最宽"), "999999999999.99", 999999, 999999)
            << QStringList{
                   "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)="
                   "999999999999.99*999999*0.002=1999997999999980.00",
                   "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)="
                   "999999999999.99*999999*0.0005=499999499999995.00",
               };
    }
    void items_are_found_as_text() {
        QFETCH(ui::audit::audit_item, item);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString path = export_to(dir, sheet_of({item}));
        QVERIFY(!path.isEmpty());
        const QString text = test::pdf_pages(path).join(u'\f');
        for (const QString& wanted : expected) {
            QVERIFY2(text.contains(kc(wanted)),
                     qPrintable(wanted + QStringLiteral("\n---\n") + text));
        }
    }

    // The start, the end and the items left out, with their reasons.
    void start_and_end_of_the_sheet() {
        ui::audit::audit_items sheet = sheet_of(
            {test::due_and_paid(QStringLiteral("甲"), "100.00", day(2024, 1, 15), day(2024, 2, 14)),
             test::in_error(QStringLiteral("乙"), QStringLiteral("应缴税款金额：不是数字")),
             test::due_and_paid(QStringLiteral("丙"), "200.50", day(2024, 1, 15),
                                day(2024, 3, 14))});
        sheet.payment_date = QDate(2026, 12, 20);
        QTemporaryDir dir;
        const QStringList pages = test::pdf_pages(export_to(dir, sheet));
        QCOMPARE(pages.size(), 1);
        const QString flat = QString(pages[0]).remove(u'\n');
        for (const QString& wanted : {
                 QStringLiteral("滞纳金计算底稿"),
                 QStringLiteral("计算日期：2026-12-07"),
                 QStringLiteral("缴款日期：2026-12-20"),
                 QStringLiteral("计算依据：按照中华人民共和国税收征收管理法第三十二条规定"),
                 QStringLiteral("滞纳天数自缴款期限的次日起计算至实际缴款日期止"),
                 // 30 days at 0.0005 on 100.00, and 59 days on 200.50.
                 QStringLiteral("项目数：3项，其中计算2项，因错误未计算1项"),
                 QStringLiteral("应缴税款金额合计=300.50"),
                 QStringLiteral("2001年05月01日后应加征滞纳金合计=7.41"),
                 QStringLiteral("合计应加征滞纳金=7.41"),
                 QStringLiteral("税款与滞纳金合计=307.91"),
                 QStringLiteral("2．乙：应缴税款金额：不是数字"),
                 QStringLiteral("orvandel 2.0.0"),
                 QStringLiteral("滞纳金计算底稿　第 1 页 共 1 页"),
             }) {
            QVERIFY2(flat.contains(kc(wanted)),
                     qPrintable(wanted + QStringLiteral("\n---\n") + pages[0]));
        }
        // An item in error shows no figures: its name appears only in the list of reasons.
        QCOMPARE(flat.count(QStringLiteral("乙")), 1);
    }

    // A sheet none of whose items could be computed totals 0.00, never ".00".
    void totals_of_nothing_read_zero() {
        const QString text = ui::audit::audit_text(sheet_of(
            {test::in_error(QStringLiteral("乙"), QStringLiteral("应缴税款金额：不是数字"))}));
        for (const QString& wanted :
             {QStringLiteral("应缴税款金额合计=0.00"), QStringLiteral("合计应加征滞纳金=0.00"),
              QStringLiteral("税款与滞纳金合计=0.00")}) {
            QVERIFY2(text.contains(wanted), qPrintable(wanted + QStringLiteral("\n---\n") + text));
        }
    }

    // Items fill pages and move whole to the next; every page says its number
    // and the right total.
    void pages_break_between_items_data() {
        QTest::addColumn<int>("items");
        QTest::newRow("none") << 0;
        QTest::newRow("about a page") << 6;
        QTest::newRow("many pages") << 40;
    }
    void pages_break_between_items() {
        QFETCH(int, items);
        QTemporaryDir dir;
        const QString path = export_to(dir, numbered_items(items));
        const QStringList pages = test::pdf_pages(path);
        const QString info = test::poppler(QStringLiteral("pdfinfo"), {path});
        const auto count = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        QVERIFY(count.hasMatch());
        QCOMPARE(pages.size(), count.captured(1).toInt());
        const int m = static_cast<int>(pages.size());
        for (int n = 1; n <= m; ++n) {
            QVERIFY2(pages[n - 1].contains(QStringLiteral("第 %1 页 共 %2 页").arg(n).arg(m)),
                     qPrintable(pages[n - 1]));
            QCOMPARE(pages[n - 1].count(QStringLiteral(" 页 共 ")), 1);
        }
        // Every line of an item is on the page of its heading.
        for (int i = 1; i <= items; ++i) {
            const QString heading = kc(QStringLiteral("%1．项目%1号").arg(i));
            const QString amount = QStringLiteral("%1.00").arg(1000 + i);
            int found = 0;
            for (const QString& page : pages) {
                if (page.contains(heading)) {
                    ++found;
                    QVERIFY(page.contains(QStringLiteral("=%1*9*0.0005=").arg(amount)));
                }
            }
            QCOMPARE(found, 1);
        }
        QVERIFY(pages.back().contains(kc(QStringLiteral("项目数：%1项").arg(items))));
        QVERIFY(pages.back().contains(kc(QStringLiteral("计算人："))));
        if (items >= 40) {
            QVERIFY(m > 2);
        }
    }

    // A printer (the worksheet's print preview and print dialog) gets the
    // same A4 pages as the PDF file, whatever page it was set to before.
    void printer_gets_the_same_pages() {
        QTemporaryDir dir;
        const ui::audit::audit_items sheet = numbered_items(20);
        const QString exported = export_to(dir, sheet);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Landscape);
        QVERIFY(ui::audit::print_audit_sheet(printer, sheet));
        const QStringList printed = test::pdf_pages(printer.outputFileName());
        QCOMPARE(printed.size(), test::pdf_pages(exported).size());
        QVERIFY(printed.back().contains(kc(QStringLiteral("项目数：20项"))));
        const QString info = test::poppler(QStringLiteral("pdfinfo"), {printer.outputFileName()});
        QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
    }

    // Fonts embedded, no pictures: every mark is text or a line.
    void fonts_embedded_and_no_pictures() {
        QTemporaryDir dir;
        const QString path = export_to(dir, numbered_items(3));
        const QStringList fonts =
            test::poppler(QStringLiteral("pdffonts"), {path}).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(fonts.size() > 2, qPrintable(fonts.join(u'\n'))); // two header lines, then fonts
        for (const QString& font : fonts.mid(2)) {
            // Columns: name, type, encoding, emb, sub, uni, object ID.
            const QStringList columns = font.split(u' ', Qt::SkipEmptyParts);
            QVERIFY2(columns.size() >= 7 && columns[columns.size() - 5] == QStringLiteral("yes"),
                     qPrintable(font));
        }
        const QStringList images =
            test::poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path})
                .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(images.size(), 2); // the two header lines only
    }

    // An existing file is replaced by a complete one, or left as it was.
    void existing_file_replaced_or_kept() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QCOMPARE(ui::audit::export_audit_pdf(path, numbered_items(1)),
                 ui::audit::audit_export_error::none);
        QVERIFY(test::pdf_pages(path).join(u'\f').contains(QStringLiteral("项目1号")));

        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QCOMPARE(ui::audit::export_audit_pdf(dir.filePath(QStringLiteral("no/such/folder/a.pdf")),
                                             numbered_items(1)),
                 ui::audit::audit_export_error::cannot_write);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"sheet.pdf"});
    }

    // The copied text holds the same lines as the page.
    void text_holds_the_same_lines() {
        const ui::audit::audit_items sheet = sheet_of({test::due_and_paid(
            QStringLiteral("增值税"), "12345.67", day(2001, 4, 20), day(2001, 5, 9))});
        const QString text = ui::audit::audit_text(sheet);
        for (const QString& wanted : {
                 QStringLiteral("1．增值税　应缴税款金额=12345.67\n"),
                 QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)="
                                "12345.67*10*0.002=246.91\n"),
                 QStringLiteral("合计应加征滞纳金=302.47　税款与滞纳金合计=12648.14\n"),
                 QStringLiteral("计算人：　　　　复核人：　　　　日期：\n"),
             }) {
            QVERIFY2(text.contains(wanted), qPrintable(text));
        }
        QVERIFY(!text.contains(QStringLiteral("页")));
    }

    // The sheet's start lists the documents the deadlines come from, with
    // the items of each in runs; a sheet without periods has no such list.
    void deadline_sources_at_the_start() {
        const auto item = [](const char* period, const char* due, const char* paid) {
            ui::audit::audit_item i;
            i.outcome = sheet::evaluate_row(
                {.amount = "1000", .due_date = due, .pay_date = paid, .tax_period = period});
            i.note = runtime::qstring(sheet::describe(i.outcome, sheet::language::chinese));
            return i;
        };
        const ui::audit::audit_items sheet = sheet_of(
            {item("2024-01", "", "2024-06-03"), item("2024-02", "", "2024-06-03"),
             item("2024Q1", "2024-04-18", "2024-06-03"), item("", "2024-03-15", "2024-06-03"),
             item("2019-01", "", "2019-03-01"), item("2024-05", "", "2024-07-01")});
        const QString text = ui::audit::audit_text(sheet);
        for (const QString& wanted : {
                 QStringLiteral("缴款期限依据：\n"),
                 QStringLiteral(
                     "《国家税务总局办公厅关于明确2024年度申报纳税期限的通知》：第1至3、6项\n"),
                 QStringLiteral("推算：第5项\n"),
                 QStringLiteral("推算：基准日为15日（2008年及以前为10日"),
                 QStringLiteral("税款所属期=2024年第1季度　缴款期限=2024-04-18（申报日历）"),
                 QStringLiteral("备注：缴款期限为推算（另一算法：2月22日）\n"),
             }) {
            QVERIFY2(text.contains(wanted), qPrintable(wanted + u'\n' + text));
        }
        // The row without a period keeps its line as before.
        QVERIFY(
            text.contains(QStringLiteral("\n　　缴款期限=2024-03-15　实际缴款日期=2024-06-03\n")));
        const QString plain =
            ui::audit::audit_text(sheet_of({item("", "2024-03-15", "2024-06-03")}));
        QVERIFY(!plain.contains(QStringLiteral("缴款期限依据")));
    }
};

QTEST_MAIN(audit_sheet_test)
#include "audit_sheet_test.moc"
