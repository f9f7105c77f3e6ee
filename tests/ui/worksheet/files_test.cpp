// The worksheet's files: CSV saved and opened again unchanged, GBK files from
// Excel and WPS, files with bad rows, the main window's start and end dates,
// failures that change nothing, closing with unsaved rows, the recovery file;
// and the same rows through the batch and the worksheet.

#include "sheet_fixture.h"

#include "runtime/recovery_file.h"
#include "runtime/state_dir.h"
#include "sheet/batch.h"
#include "sheet/csv.h"
#include "sheet/workbook_source.h"

#include <QDir>
#include <QFile>
#include <QStatusBar>

#include <sstream>

using namespace orvandel;
using namespace orvandel::test;

namespace {

void write_bytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<ws::row_cells> sample_rows() {
    return {row("增值税 2024年3月", "12345.67", "2024-03-15", "2024-04-20"),
            row("含,逗号和\"引号\"", "1234.5", "2001-04-20", "2001-05-09"),
            row("两行\n说明", "1000", "2024-03-01", ""),
            row("按天数", "1234.56", "", "", "015", "30"),
            row("", "", "", ""),
            row("有误", "12a", "2024-03-01", "2024-03-02"),
            row("按期", "500", "2024-03-10", "2024-03-01")};
}

// The texts of the files in the state folder.
QStringList recovered_texts() {
    QStringList texts;
    const QDir folder(runtime::state_directory());
    for (const QString& name : folder.entryList(QDir::Files)) {
        texts << QString::fromUtf8(read_bytes(folder.filePath(name)));
    }
    return texts;
}

} // namespace

class files_test : public QObject {
    Q_OBJECT
    QTemporaryDir home;

private slots:
    void initTestCase() { pin_environment(home); }
    void cleanup() { QDir(runtime::state_directory()).removeRecursively(); }

    // Saved: Chinese headers, UTF-8 with a byte order mark, CRLF; opened
    // again: exactly what was shown.
    void saved_file_opens_as_it_was() {
        opened_sheet sheet;
        fill(sheet.model(), sample_rows());
        const QStringList shown = snapshot(sheet.model());
        const QString path = home.filePath(QStringLiteral("round trip.csv"));
        QVERIFY(sheet->save_file(path));
        const QByteArray bytes = read_bytes(path);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF项目,应缴税款金额,缴款期限,实际缴款日期,"
                                 "2001年04月30日前滞纳天数,2001年05月01日后滞纳天数,税款所属期,"
                                 "合计滞纳天数,"));
        QVERIFY(bytes.contains("\r\n增值税 2024年3月,12345.67,2024-03-15,2024-04-20,0,36,,36,0.00,"
                               "222.22,222.22,12567.89,6.17,\r\n"));
        QVERIFY(bytes.contains("\"含,逗号和\"\"引号\"\"\""));
        QVERIFY(sheet->model().undo_stack().isClean());

        opened_sheet again;
        QVERIFY(again->open_file(path));
        QCOMPARE(snapshot(again.model()), shown);
        QVERIFY(again->statusBar()->currentMessage().contains(QStringLiteral("UTF-8（带BOM）")));
        QVERIFY(again->windowTitle().startsWith(QStringLiteral("round trip.csv - 计算底稿")));
    }

    // A sheet saved as CSV or as a workbook runs through the batch: every row
    // the worksheet computes, the batch computes to the same figures.
    void saved_sheet_runs_through_the_batch_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("csv") << QStringLiteral("to batch.csv");
        QTest::newRow("workbook") << QStringLiteral("to batch.xlsx");
    }
    void saved_sheet_runs_through_the_batch() {
        QFETCH(QString, name);
        opened_sheet sheet;
        fill(sheet.model(), sample_rows());
        sheet.model().set_payment_date(std::nullopt); // the batch has none
        const QString path = home.filePath(name);
        QVERIFY(sheet->save_file(path));
        std::ostringstream out;
        std::istringstream text(read_bytes(path).toStdString());
        std::optional<sheet::batch_job> job;
        auto book = sheet::workbook_source::open(path.toStdString());
        if (name.endsWith(QStringLiteral(".xlsx"))) {
            QVERIFY(book.ok());
            job.emplace(**book);
        }
        if (!job) {
            job.emplace(text);
        }
        QVERIFY(job->read_header());
        QCOMPARE(job->run(out), sheet::batch_status::some_rows_failed);
        QCOMPARE(job->rows(), sheet.model().rows().size());
        QCOMPARE(job->failed_rows(), sheet.model().totals().left_out);
        std::istringstream results(out.str());
        sheet::csv_reader reader(results);
        sheet::csv_record record;
        QVERIFY(reader.next(record)); // the header
        std::string scratch;
        for (std::size_t r = 0; reader.next(record); ++r) {
            const auto total_fee =
                static_cast<std::size_t>(ws::view_column(sheet::column::total_fee));
            QCOMPARE(QString::fromStdString(
                         std::string(sheet::cell_text(record.cells[total_fee], scratch))),
                     QString::fromStdString(sheet.model().file_text(r, sheet::column::total_fee)));
        }
    }

    // An Excel workbook saved and opened again shows the same rows; its
    // totals row is the workbook's own, not an item.
    void saved_workbook_opens_as_it_was() {
        opened_sheet sheet;
        fill(sheet.model(), sample_rows());
        const QStringList shown = snapshot(sheet.model());
        const QString path = home.filePath(QStringLiteral("round trip.xlsx"));
        QVERIFY(sheet->save_file(path));
        QVERIFY(read_bytes(path).startsWith("PK"));
        opened_sheet again;
        QVERIFY(again->open_file(path));
        QCOMPARE(snapshot(again.model()), shown);
        QVERIFY(again->statusBar()->currentMessage().contains(QStringLiteral("Excel 工作簿")));
    }

    // Excel and WPS save CSV in GBK on Chinese Windows.
    void gbk_file_is_read_as_gb18030() {
        // "项目,应缴税款金额,缴款期限,实际缴款日期\r\n增值税,1000,2024-03-01,2024-03-11\r\n"
        const QByteArray bytes =
            "\xcf\xee\xc4\xbf,\xd3\xa6\xbd\xc9\xcb\xb0\xbf\xee\xbd\xf0\xb6\xee,"
            "\xbd\xc9\xbf\xee\xc6\xda\xcf\xde,\xca\xb5\xbc\xca\xbd\xc9\xbf\xee\xc8\xd5\xc6\xda\r\n"
            "\xd4\xf6\xd6\xb5\xcb\xb0,1000,2024-03-01,2024-03-11\r\n";
        const QString path = home.filePath(QStringLiteral("gbk.csv"));
        write_bytes(path, bytes);
        opened_sheet sheet;
        QVERIFY(sheet->open_file(path));
        QCOMPARE(
            shown_row(sheet.model(), 0),
            QStringLiteral(
                "增值税|1,000.00|2024-03-01|2024-03-11|0|10||10|0.00|5.00|5.00|1,005.00|0.50|"));
        QVERIFY(sheet->statusBar()->currentMessage().contains(QStringLiteral("GB18030")));
    }

    // The main window's meaning: start counted, end not. Shown as due =
    // start − 1 and paid = end − 1, with the same figures; an English header,
    // columns in any order, an unknown column kept after 备注.
    void start_and_end_dates_open_as_due_and_paid() {
        const QString path = home.filePath(QStringLiteral("form.csv"));
        write_bytes(path, "end_date,note,amount,start_date\n2001-05-10,x,12345.67,2001-04-21\n"
                          "2024-03-01,y,100,2024-03-01\n");
        opened_sheet sheet;
        QVERIFY(sheet->open_file(path));
        QCOMPARE(shown_row(sheet.model(), 0),
                 QStringLiteral("|12,345.67|2001-04-20|2001-05-09|10|9||19|246.91|55.56|302.47|"
                                "12,648.14|6.17||x"));
        QCOMPARE(shown_row(sheet.model(), 1).section(u'|', 2, 3),
                 QStringLiteral("2024-02-29|2024-02-29"));
        QVERIFY(sheet->statusBar()->currentMessage().contains(QStringLiteral("文件中另有1列")));
    }

    // Bad rows open and say what is wrong, as the batch does: a row shorter or
    // longer than the header, or cut short, keeps its cells and no figure.
    void file_with_bad_rows() {
        const QString path = home.filePath(QStringLiteral("bad rows.csv"));
        write_bytes(path, "amount,due_date,pay_date\r\n100,2024-03-01,2024-03-02\r\n"
                          "1.234,2024-03-01,2024-03-02\r\n100,2024-02-30\r\n"
                          "100,2024-03-01,2024-03-02,extra\r\n\"100,2024-03-01\r\n");
        opened_sheet sheet;
        QVERIFY(sheet->open_file(path));
        QCOMPARE(sheet.model().rows().size(), std::size_t{5});
        QCOMPARE(runtime::qstring(
                     sheet.model().shown_text(0, ws::view_column(sheet::column::total_fee))),
                 QStringLiteral("0.05"));
        QCOMPARE(
            runtime::qstring(sheet.model().shown_text(1, ws::view_column(sheet::column::error))),
            QStringLiteral("应缴税款金额：小数超过2位"));
        QCOMPARE(
            runtime::qstring(sheet.model().shown_text(2, ws::view_column(sheet::column::error))),
            QStringLiteral("行：有2格，表头有3格"));
        QCOMPARE(runtime::qstring(sheet.model().shown_text(2, 2)), QStringLiteral("2024-02-30"));
        QCOMPARE(runtime::qstring(
                     sheet.model().shown_text(3, ws::view_column(sheet::column::total_fee))),
                 QString());
        QCOMPARE(
            runtime::qstring(sheet.model().shown_text(4, ws::view_column(sheet::column::error))),
            QStringLiteral("行：有1格，表头有3格"));
        ws::totals_model totals(sheet.model());
        QCOMPARE(totals.text(ws::view_column(sheet::column::error)),
                 QStringLiteral("另有4行有误，未计入合计"));
        QVERIFY(sheet->statusBar()->currentMessage().contains(QStringLiteral("3行的读法见备注")));
        // Editing such a row takes its note away: it is computed by its cells.
        QVERIFY(sheet.model().setData(sheet.model().index(2, 3), QStringLiteral("2024-03-02"),
                                      Qt::EditRole));
        QCOMPARE(
            runtime::qstring(sheet.model().shown_text(2, ws::view_column(sheet::column::error))),
            QStringLiteral("缴款期限：没有这一天"));
    }

    // A file that cannot be read or written says so and changes nothing.
    void failures_change_nothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing_file") << "missing_file";
        QTest::newRow("no_known_header") << "no_known_header";
        QTest::newRow("not_gb18030_either") << "not_text";
        QTest::newRow("save_into_missing_folder") << "save_into_missing_folder";
    }
    void failures_change_nothing() {
        QFETCH(QString, kind);
        opened_sheet sheet;
        fill(sheet.model(), sample_rows());
        sheet.model().setData(sheet.model().index(0, 0), QStringLiteral("改过"), Qt::EditRole);
        const QStringList before = snapshot(sheet.model());
        const QString path = home.filePath(kind + QStringLiteral(".csv"));
        bool done = false;
        runtime::push_answer(1); // OK on the box that says why
        if (kind == QLatin1String("missing_file")) {
            done = sheet->open_file(home.filePath(QStringLiteral("nowhere/none.csv")));
        } else if (kind == QLatin1String("no_known_header")) {
            write_bytes(path, "a,b\n1,2\n");
            done = sheet->open_file(path);
        } else if (kind == QLatin1String("not_text")) {
            write_bytes(path, QByteArray("amount\n\x81\x30\xff\xff\n", 12));
            done = sheet->open_file(path);
        } else {
            done = sheet->save_file(home.filePath(QStringLiteral("no such folder/x.csv")));
        }
        QVERIFY(!done);
        const auto boxes = runtime::take_recorded_boxes();
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY2(boxes[0].text.contains(QStringLiteral("无法")), qPrintable(boxes[0].text));
        QCOMPARE(snapshot(sheet.model()), before);
        QVERIFY(!sheet.model().undo_stack().isClean());
        QVERIFY(sheet->file_path().isEmpty());
    }

    // Closing with unsaved rows asks 保存 / 不保存 / 取消.
    void closing_asks_about_unsaved_rows() {
        opened_sheet sheet;
        sheet->show();
        QVERIFY(sheet->close()); // nothing changed: no question
        QVERIFY(runtime::take_recorded_boxes().empty());
        sheet->show();
        sheet.model().setData(sheet.model().index(0, 1), QStringLiteral("100"), Qt::EditRole);
        runtime::push_answer(3); // 取消
        QVERIFY(!sheet->close());
        QVERIFY(sheet->isVisible());
        auto boxes = runtime::take_recorded_boxes();
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(boxes[0].buttons, runtime::msg_buttons::save_discard_cancel);
        sheet->write_recovery();
        const QString recovery = sheet->recovery_path();
        QVERIFY(QFile::exists(recovery));
        runtime::push_answer(2); // 不保存
        QVERIFY(sheet->close());
        // Closed on purpose: nothing left to recover.
        QVERIFY(!QFile::exists(recovery));
    }

    // Each change is written to the recovery file within 2 s; once its
    // window is gone, a new window takes the rows back as unsaved changes,
    // and the file with them.
    void recovery_file_brings_the_rows_back() {
        QStringList shown;
        QString recovery;
        {
            opened_sheet sheet;
            fill(sheet.model(), sample_rows());
            sheet.model().setData(sheet.model().index(0, 0), QStringLiteral("改过"), Qt::EditRole);
            shown = snapshot(sheet.model());
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(sheet->recovery_path()), 3000);
            recovery = sheet->recovery_path();
            QVERIFY(runtime::recovery_file::claim_orphans().empty()); // its window is open
            // The window goes away without closing, as in a crash.
        }
        QVERIFY(QFile::exists(recovery));
        auto orphans = runtime::recovery_file::claim_orphans();
        QCOMPARE(orphans.size(), std::size_t{1});
        opened_sheet restored;
        QVERIFY(restored->restore_recovery(std::move(orphans.front())));
        QCOMPARE(snapshot(restored.model()), shown);
        QVERIFY(!restored.model().undo_stack().isClean());
        QCOMPARE(restored->recovery_path(), recovery);
        QVERIFY(runtime::recovery_file::claim_orphans().empty()); // its new window holds it
    }

    // Two sheets open at once, each with unsaved rows: saving (or closing)
    // one leaves the other's rows on disk, and only its own are gone.
    void each_sheet_keeps_its_own_recovery_file() {
        opened_sheet first;
        opened_sheet second;
        first.model().setData(first.model().index(0, 0), QStringLiteral("甲表未保存"),
                              Qt::EditRole);
        second.model().setData(second.model().index(0, 0), QStringLiteral("乙表未保存"),
                               Qt::EditRole);
        first->write_recovery();
        second->write_recovery();
        QCOMPARE(recovered_texts().filter(QStringLiteral("乙表未保存")).size(), 1);
        QCOMPARE(recovered_texts().filter(QStringLiteral("甲表未保存")).size(), 1);

        QVERIFY(first->save_file(home.filePath(QStringLiteral("first.csv"))));
        QCOMPARE(recovered_texts().filter(QStringLiteral("乙表未保存")).size(), 1);
        QCOMPARE(recovered_texts().filter(QStringLiteral("甲表未保存")).size(), 0);
        second.model().undo_stack().setClean();
        runtime::push_answer(2); // 不保存
        second->show();
        QVERIFY(second->close());
        QVERIFY(recovered_texts().filter(QStringLiteral("乙表未保存")).isEmpty());
    }

    // The shared contract: the corpus the batch is checked against, opened
    // in the worksheet with no payment date, shows the batch's figures and
    // notes on every row.
    void worksheet_shows_what_the_batch_writes() {
        const QString data = QStringLiteral(ORVANDEL_SHEET_DATA);
        const QByteArray expected_bytes =
            read_bytes(data + QStringLiteral("/rows-zh.expected.csv"));
        std::istringstream in(expected_bytes.toStdString());
        sheet::csv_reader reader(in);
        sheet::csv_record record;
        QVERIFY(reader.next(record)); // header
        std::vector<std::optional<sheet::column>> roles;
        for (const sheet::csv_cell& c : record.cells) {
            std::string scratch;
            const auto named = sheet::column_named(sheet::cell_text(c, scratch));
            roles.push_back(named ? std::optional(named->role) : std::nullopt);
        }
        std::vector<std::vector<std::string>> expected;
        while (reader.next(record)) {
            std::vector<std::string> cells;
            std::string scratch;
            for (const sheet::csv_cell& c : record.cells) {
                cells.emplace_back(sheet::cell_text(c, scratch));
            }
            expected.push_back(cells);
        }
        opened_sheet sheet;
        QVERIFY(sheet->open_file(data + QStringLiteral("/rows-zh.csv")));
        sheet.model().set_payment_date(std::nullopt);
        QCOMPARE(sheet.model().rows().size(), expected.size());
        for (std::size_t r = 0; r < expected.size(); ++r) {
            // The file's columns of figures and notes: the day counts through 备注.
            for (std::size_t c = 0; c < roles.size(); ++c) {
                if (roles[c] && sheet::facts(*roles[c]).use != sheet::column_use::input) {
                    QCOMPARE(QString::fromStdString(sheet.model().file_text(r, *roles[c])),
                             QString::fromStdString(expected[r][c]));
                }
            }
        }
    }
};

QTEST_MAIN(files_test)
#include "files_test.moc"
