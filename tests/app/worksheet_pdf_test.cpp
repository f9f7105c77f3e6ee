// `orvandel --worksheet IN --export-pdf OUT`: reading the worksheet file, and
// the real program run with no display at all, its exit codes and messages,
// and an existing OUT replaced only by a complete file.

#include "../ui/audit/audit_items_for_tests.h"
#include "app/worksheet_pdf.h"
#include "runtime/clock.h"
#include "runtime/engine_text.h"
#include "sheet/batch.h"
#include "sheet/table.h"
#include "sheet/workbook_sink.h"
#include "sheet/xlsx_writer.h"
#include "ui/worksheet/w_worksheet.h"
#include "ui/worksheet/worksheet_model.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

#include <fstream>
#include <sstream>

using namespace orvandel;

namespace {

struct run_result {
    int exit_code = -1;
    QString err;
};

// The program as a user starts it from a console with no display: no
// DISPLAY, no WAYLAND_DISPLAY and no platform chosen.
run_result run_program(const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        env.remove(QString::fromLatin1(name));
    }
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ORVANDEL_PROGRAM), arguments);
    if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    // Only the program's own messages: Qt may warn about the environment.
    QStringList own;
    for (const QString& line : QString::fromUtf8(program.readAllStandardError()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("orvandel: "))) {
            own << line;
        }
    }
    return {program.exitCode(), own.join(u'\n')};
}

bool write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray read_file(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes `path` impossible to replace, or possible again: its folder made
// read-only, or for the superuser (whom folder permissions do not bind) the
// file made immutable. False when that cannot be done here.
// Not done on Windows, where a file's rights are not its folder's.
bool lock_file(const QString& path, bool locked) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    Q_UNUSED(locked);
    return false;
#else
    if (geteuid() != 0) {
        const QString folder = QFileInfo(path).path();
        const auto read_only = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
        return QFile::setPermissions(folder,
                                     locked ? read_only : read_only | QFileDevice::WriteOwner);
    }
    QProcess chattr;
    chattr.start(QStringLiteral("chattr"),
                 {locked ? QStringLiteral("+i") : QStringLiteral("-i"), path});
    return chattr.waitForFinished(10000) && chattr.exitStatus() == QProcess::NormalExit &&
           chattr.exitCode() == 0;
#endif
}

const QByteArray chinese_sheet = "项目,应缴税款金额,缴款期限,实际缴款日期\r\n"
                                 "增值税 2001年4月,12345.67,2001-04-20,2001-05-09\r\n"
                                 "印花税,12a,2024-01-15,2024-02-14\r\n"
                                 "房产税,100.00,2024-01-15,\r\n"
                                 "\r\n"
                                 "\r\n";

} // namespace

class worksheet_pdf_test : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

private slots:
    void initTestCase() { runtime::set_today_for_testing(QDate(2024, 3, 15)); }

    // Items, reasons and the payment date standing in for a missing pay date.
    void reads_a_chinese_sheet() {
        QVERIFY(write_file(path("sheet.csv"), "\xEF\xBB\xBF" + chinese_sheet));
        QString problem;
        const auto sheet = app::read_worksheet_file(path("sheet.csv"), QDate(2024, 2, 14), problem);
        QVERIFY2(sheet, qPrintable(problem));
        QCOMPARE(sheet->items.size(), std::size_t{3}); // the trailing blank lines are no items
        QCOMPARE(sheet->items[0].name, QStringLiteral("增值税 2001年4月"));
        QVERIFY(sheet->items[0].outcome.ok);
        QCOMPARE(sheet->items[0].outcome.figures.total_days, 19);
        QVERIFY(!sheet->items[1].outcome.ok);
        QVERIFY2(sheet->items[1].note.startsWith(QStringLiteral("应缴税款金额")),
                 qPrintable(sheet->items[1].note));
        QVERIFY(sheet->items[2].outcome.ok); // paid on the sheet's payment date: 30 days
        QCOMPARE(sheet->items[2].outcome.figures.total_days, 30);
        QCOMPARE(sheet->payment_date, QDate(2024, 2, 14));
        QCOMPARE(sheet->calculation_date, QDate(2024, 3, 15));
    }

    // What Excel and WPS save as CSV on Chinese Windows; English headers.
    void reads_gb18030_and_english_headers() {
        // "item,amount,start_date,end_date\n企业所得税,1000.00,2024-03-01,2024-03-11\n"
        const QByteArray bytes =
            "item,amount,start_date,end_date\n"
            "\xc6\xf3\xd2\xb5\xcb\xf9\xb5\xc3\xcb\xb0,1000.00,2024-03-01,2024-03-11\n";
        QVERIFY(write_file(path("gbk.csv"), bytes));
        QString problem;
        const auto sheet = app::read_worksheet_file(path("gbk.csv"), QDate(), problem);
        QVERIFY2(sheet, qPrintable(problem));
        QCOMPARE(sheet->items.size(), std::size_t{1});
        QCOMPARE(sheet->items[0].name, QStringLiteral("企业所得税"));
        QCOMPARE(sheet->items[0].outcome.figures.total_days, 10);
        QVERIFY(sheet->payment_date.isNull()); // no pay date column: none is used
    }

    // What the batch writes, as CSV and as a workbook, exports with every row
    // it computed computed here too: its result columns are results, not a
    // second pair, and a workbook's totals row is no item.
    void reads_what_the_batch_writes() {
        const QByteArray input = "项目,应缴税款金额,缴款期限,实际缴款日期,"
                                 "2001年04月30日前滞纳天数,2001年05月01日后滞纳天数\r\n"
                                 "增值税,12345.67,2001-04-20,2001-05-09,,\r\n"
                                 "印花税,1234.56,,,15,30\r\n"
                                 "房产税,abc,2024-01-15,2024-02-14,,\r\n";
        for (const char* name : {"batch.csv", "batch.xlsx"}) {
            std::istringstream in(input.toStdString());
            sheet::batch_job job(in);
            QVERIFY(job.read_header());
            std::ofstream out(path(name).toStdString(), std::ios::binary);
            sheet::workbook_sink book([&](std::string&) -> std::ostream* { return &out; });
            const auto status = QByteArray(name).endsWith(".csv") ? job.run(out) : job.run(book);
            QCOMPARE(status, sheet::batch_status::some_rows_failed);
            out.close();
            QString problem;
            const auto read = app::read_worksheet_file(path(name), QDate(), problem);
            QVERIFY2(read, qPrintable(problem));
            QCOMPARE(read->items.size(), std::size_t{3});
            QCOMPARE(read->items[0].outcome.figures.total_fee, test::amount("302.47"));
            QCOMPARE(read->items[1].outcome.figures.total_days, 45);
            QVERIFY(!read->items[2].outcome.ok);
        }
    }

    // Tax periods through every part: the batch fills the deadlines and
    // writes CSV or a workbook; the worksheet opens that and saves it again;
    // --export-pdf reads each file. Every step gives the same figures and
    // notes, and the audit sheet names where each deadline comes from.
    void tax_periods_round_trip_through_batch_worksheet_and_pdf_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("csv") << QStringLiteral("periods.csv");
        QTest::newRow("workbook") << QStringLiteral("periods.xlsx");
    }
    void tax_periods_round_trip_through_batch_worksheet_and_pdf() {
        QFETCH(QString, name);
        const std::string input = "项目,税款所属期,应缴税款金额,缴款期限,实际缴款日期\r\n"
                                  "增值税 2024年4月,2024-04,1000.00,,2024-06-03\r\n"
                                  "增值税 2024年第1季度,2024年第1季度,1000.00,,2024-06-03\r\n"
                                  "消费税,2024-04,1000.00,2024-05-20,2024-06-03\r\n"
                                  "旧账,2019-01,1000.00,,2019-03-01\r\n"
                                  "无日历,2026-12,1000.00,,2027-03-01\r\n";
        const QString notice =
            QStringLiteral("《国家税务总局办公厅关于明确2024年度申报纳税期限的通知》");
        // Total surcharge and 备注 of each row.
        const QStringList expected{
            QStringLiteral("6.00 缴款期限：") + notice,
            QStringLiteral("23.00 缴款期限：") + notice,
            QStringLiteral("7.00 缴款期限2024-05-20与申报日历的2024-05-22不同（") + notice +
                QStringLiteral("），按填写的日期计算"),
            QStringLiteral("1.50 缴款期限为推算（另一算法：2月22日）"),
            QStringLiteral(
                "- 税款所属期：缴款期限在2027年，没有申报日历或节假日数据，请填写缴款期限"),
        };
        const auto described = [](const sheet::row_outcome& o) {
            return (o.ok ? runtime::qstring(calc::default_text(o.figures.total_fee))
                         : QStringLiteral("-")) +
                   u' ' + runtime::qstring(sheet::describe(o, sheet::language::chinese));
        };
        const auto items_of = [&](const QString& file) {
            QString problem;
            const auto read = app::read_worksheet_file(file, QDate(), problem);
            QStringList rows;
            if (!read) {
                rows << problem;
                return rows;
            }
            for (const auto& item : read->items) {
                rows << described(item.outcome);
            }
            return rows;
        };

        // The batch.
        const QString batch_file = dir_.filePath(name);
        {
            std::istringstream in(input);
            sheet::batch_job job(in);
            QVERIFY(job.read_header());
            std::ofstream out(batch_file.toStdString(), std::ios::binary);
            sheet::workbook_sink book([&](std::string&) -> std::ostream* { return &out; });
            const auto status =
                name.endsWith(QStringLiteral(".csv")) ? job.run(out) : job.run(book);
            QCOMPARE(status, sheet::batch_status::some_rows_failed);
        }
        QCOMPARE(items_of(batch_file), expected);

        // The worksheet opens what the batch wrote, and saves it.
        ui::worksheet::w_worksheet window;
        QVERIFY(window.open_file(batch_file));
        QStringList shown;
        for (std::size_t r = 0; r < window.model().rows().size(); ++r) {
            shown << described(window.model().outcome(r));
        }
        QCOMPARE(shown, expected);
        const QString saved = dir_.filePath(QStringLiteral("saved ") + name);
        QVERIFY(window.save_file(saved));
        QCOMPARE(items_of(saved), expected);

        // The audit sheet of the saved file says where each deadline comes from.
        QString problem;
        const auto sheet = app::read_worksheet_file(saved, QDate(), problem);
        QVERIFY2(sheet, qPrintable(problem));
        const QString text = ui::audit::audit_text(*sheet);
        for (const QString& wanted :
             {QStringLiteral("缴款期限依据："), notice + QStringLiteral("：第1、2项"),
              QStringLiteral("推算：第4项"),
              QStringLiteral("填写的缴款期限，与申报日历或推算的日期不同（见备注）：第3项"),
              QStringLiteral("税款所属期=2024年第1季度　缴款期限=2024-04-18（申报日历）"),
              QStringLiteral("缴款期限=2024-05-20（填写）"),
              QStringLiteral("缴款期限=2019-02-26（推算）")}) {
            QVERIFY2(text.contains(wanted), qPrintable(wanted + u'\n' + text));
        }
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            return;
        }
        QCOMPARE(ui::audit::export_audit_pdf(path("periods.pdf"), *sheet),
                 ui::audit::audit_export_error::none);
        const QString pdf = test::pdf_pages(path("periods.pdf"))
                                .join(u'\f')
                                .remove(u'\n')
                                .normalized(QString::NormalizationForm_KC);
        QVERIFY2(
            pdf.contains(
                (notice + QStringLiteral("：第1、2项")).normalized(QString::NormalizationForm_KC)),
            qPrintable(pdf));
    }

    // Debts paid in parts as the batch writes them, CSV and workbook: one
    // item each, where its first row stands, with the figures the batch gave.
    void reads_the_debts_the_batch_writes() {
        const QByteArray input = "编号,项目,应缴税款金额,缴款期限,实际缴款日期,本次缴款金额\r\n"
                                 "A1,银行回单,,,2020-05-01,75000\r\n"
                                 ",一次缴清,12345.67,2001-04-20,2001-05-09,\r\n"
                                 "A1,增值税 2019年5月,100000,2019-06-15,,\r\n"
                                 "A1,银行回单,,,2019-08-01,30000\r\n"
                                 "B2,,,,2020-01-01,5\r\n";
        for (const char* name : {"debts.csv", "debts.xlsx"}) {
            std::istringstream in(input.toStdString());
            sheet::batch_job job(in);
            QVERIFY(job.read_header());
            std::ofstream out(path(name).toStdString(), std::ios::binary);
            sheet::workbook_sink book([&](std::string&) -> std::ostream* { return &out; });
            const auto status = QByteArray(name).endsWith(".csv") ? job.run(out) : job.run(book);
            QCOMPARE(status, sheet::batch_status::some_rows_failed);
            out.close();
            QString problem;
            const auto read = app::read_worksheet_file(path(name), QDate(2024, 3, 15), problem);
            QVERIFY2(read, qPrintable(problem));
            QCOMPARE(read->items.size(), std::size_t{3});
            const ui::audit::audit_item& debt = read->items[0];
            QVERIFY(debt.debt && debt.debt->outcome.ok());
            QCOMPARE(debt.name, QStringLiteral("增值税 2019年5月"));
            QCOMPARE(debt.debt->outcome.figures.total_fee, test::amount("12034.37"));
            QCOMPARE(debt.debt->outcome.figures.fee_paid, test::amount("5000.00"));
            QCOMPARE(read->items[1].outcome.figures.total_fee, test::amount("302.47"));
            QVERIFY(read->items[2].debt && !read->items[2].debt->outcome.ok());
            QCOMPARE(read->items[2].note, QStringLiteral("没有一行填写应缴税款金额"));
        }
    }

    // A workbook as Excel holds it: dates as dates, amounts as numbers; its
    // totals row is no item.
    void reads_a_workbook() {
        using sheet::cell;
        sheet::table table;
        table.header = {"项目", "应缴税款金额", "缴款期限", "实际缴款日期"};
        table.rows = {
            {cell::of_text("增值税 2001年4月"), cell::of_number("12345.67"),
             cell::of_date(test::day(2001, 4, 20)), cell::of_date(test::day(2001, 5, 9))},
            {cell::of_text("印花税"), cell::of_text("12a"), cell::of_date(test::day(2024, 1, 15)),
             cell{}},
        };
        table.totals = std::vector<cell>{cell::of_text("合计"), cell::of_sum(), cell{}, cell{}};
        const auto bytes = sheet::write_xlsx(table);
        QVERIFY(bytes);
        QVERIFY(write_file(path("sheet.xlsx"),
                           QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()))));
        QString problem;
        const auto read = app::read_worksheet_file(path("sheet.xlsx"), QDate(2024, 2, 14), problem);
        QVERIFY2(read, qPrintable(problem));
        QCOMPARE(read->items.size(), std::size_t{2});
        QCOMPARE(read->items[0].name, QStringLiteral("增值税 2001年4月"));
        QCOMPARE(read->items[0].outcome.figures.total_fee.coefficient, 30247); // 302.47
        QVERIFY(!read->items[1].outcome.ok);
        QVERIFY2(read->items[1].note.startsWith(QStringLiteral("应缴税款金额")),
                 qPrintable(read->items[1].note));
    }

    void unreadable_inputs_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << QByteArray() << QString() << QString();
        QTest::newRow("empty file") << QByteArray("") << "empty.csv"
                                    << "header row";
        QTest::newRow("no amount column") << QByteArray("item,days_before\nx,3\n") << "noamount.csv"
                                          << "no amount column";
        QTest::newRow("a damaged workbook") << QByteArray("PK") << "sheet.xlsx"
                                            << "damaged";
    }
    void unreadable_inputs() {
        QFETCH(QByteArray, content);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const QString in = name.isEmpty() ? path("missing.csv") : dir_.filePath(name);
        if (!name.isEmpty()) {
            QVERIFY(write_file(in, content));
        }
        QString problem;
        QVERIFY(!app::read_worksheet_file(in, QDate(), problem));
        QVERIFY2(problem.contains(reason), qPrintable(problem));
    }

    // The real program, with no display: the sheet is written and exit is 0.
    void exports_with_no_display() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QSKIP("pdftotext (poppler-utils) is not installed");
        }
        QVERIFY(write_file(path("in.csv"), chinese_sheet));
        QVERIFY(write_file(path("out.pdf"), "old"));
        const run_result run = run_program({QStringLiteral("--worksheet"), path("in.csv"),
                                            QStringLiteral("--export-pdf"), path("out.pdf")});
        QCOMPARE(run.exit_code, 0);
        QCOMPARE(run.err, QString());
        const QString text = test::pdf_pages(path("out.pdf")).join(u'\f').remove(u'\n');
        for (const QString& wanted :
             {QStringLiteral("1．增值税 2001年4月"),
              QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)="
                             "12345.67*10*0.002=246.91"),
              QStringLiteral("项目数：3项，其中计算2项，因错误未计算1项"),
              QStringLiteral("第 1 页 共 1 页")}) {
            QVERIFY2(text.contains(wanted.normalized(QString::NormalizationForm_KC)),
                     qPrintable(wanted + u'\n' + text));
        }
    }

    // Exit 2 with a message; an existing output is left exactly as it was.
    void failures_exit_2_and_keep_the_old_file_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString out = QStringLiteral("OUT");
        QTest::newRow("input missing")
            << QStringList{"--worksheet", "missing.csv", "--export-pdf", out} << "cannot read";
        QTest::newRow("no input named") << QStringList{"--export-pdf", out} << "--worksheet";
        QTest::newRow("output locked")
            << QStringList{"--worksheet", "in.csv", "--export-pdf", "locked/out.pdf"}
            << "cannot write";
    }
    void failures_exit_2_and_keep_the_old_file() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QTemporaryDir work;
        QVERIFY(write_file(work.filePath(QStringLiteral("in.csv")), chinese_sheet));
        QVERIFY(QDir(work.path()).mkdir(QStringLiteral("locked")));
        QStringList resolved;
        QString old_file;
        for (const QString& argument : arguments) {
            const bool is_file = !argument.startsWith(u'-');
            resolved << (is_file ? work.filePath(argument) : argument);
        }
        const qsizetype out_at = arguments.indexOf(QStringLiteral("--export-pdf")) + 1;
        if (out_at > 0 && out_at < arguments.size()) {
            old_file = resolved[out_at];
            QVERIFY(write_file(old_file, "old"));
        }
        const bool lock = QTest::currentDataTag() == QByteArrayLiteral("output locked");
        if (lock && !lock_file(old_file, true)) {
            QSKIP("cannot lock a file here (on Linux chattr +i needs the superuser and ext4; "
                  "not done on Windows)");
        }
        const run_result run = run_program(resolved);
        if (lock) {
            lock_file(old_file, false);
        }
        QCOMPARE(run.exit_code, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        if (!old_file.isEmpty()) {
            QCOMPARE(read_file(old_file), QByteArray("old"));
        }
        // No temporary file is left behind.
        for (const QString& folder : {work.path(), work.filePath(QStringLiteral("locked"))}) {
            for (const QString& name : QDir(folder).entryList(QDir::Files)) {
                QVERIFY2(name == QStringLiteral("in.csv") || name == QFileInfo(old_file).fileName(),
                         qPrintable(name));
            }
        }
    }
};

QTEST_MAIN(worksheet_pdf_test)
#include "worksheet_pdf_test.moc"
