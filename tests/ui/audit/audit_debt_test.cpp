// Debts paid in parts on the audit sheet: each segment with its formula,
// each payment with its rule and document, the debt's totals and the cap,
// found as text in the PDF; a long debt runs on over pages and loses no line.

#include "audit_items_for_tests.h"

#include "runtime/engine_text.h"
#include "runtime/fonts.h"
#include "sheet/debts.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace orvandel;

namespace {

struct payment {
    const char* day;
    const char* amount;
};

// The debt of 编号 `id` as a sheet gives it: its row, then one row a payment.
ui::audit::audit_item debt_item(QString name, const char* id, const char* tax, const char* due,
                                const std::vector<payment>& payments, bool capped = false,
                                const char* stop = "") {
    std::vector<sheet::debt_member> members;
    members.push_back(sheet::read_member({.amount = tax,
                                          .due_date = due,
                                          .item_id = id,
                                          .stop_date = stop,
                                          .apply_cap = capped ? "是" : ""},
                                         0));
    for (const payment& p : payments) {
        members.push_back(sheet::read_member(
            {.pay_date = p.day, .item_id = id, .paid_amount = p.amount}, members.size()));
    }
    ui::audit::audit_item item;
    item.name = std::move(name);
    item.debt = ui::audit::audit_debt{QString::fromUtf8(id),
                                      sheet::evaluate_debt(members, test::day(2024, 3, 15))};
    if (!item.debt->outcome.ok()) {
        item.note = runtime::qstring(
            sheet::debt_problem(item.debt->outcome, members, sheet::language::chinese));
    }
    return item;
}

ui::audit::audit_item worked_example(bool capped = false) {
    return debt_item(QStringLiteral("增值税 2019年5月"), "A1", "100000", "2019-06-15",
                     {{"2019-08-01", "30000"}, {"2020-05-01", "75000"}}, capped);
}

QStringList pdf_of(const ui::audit::audit_items& sheet) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    if (ui::audit::export_audit_pdf(path, sheet) != ui::audit::audit_export_error::none) {
        return {};
    }
    return test::pdf_pages(path);
}

ui::audit::audit_items sheet_of(std::vector<ui::audit::audit_item> items) {
    ui::audit::audit_items sheet;
    sheet.items = std::move(items);
    sheet.calculation_date = QDate(2024, 3, 15);
    sheet.payment_date = QDate(2024, 3, 15);
    return sheet;
}

QString kc(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC);
}

} // namespace

Q_DECLARE_METATYPE(ui::audit::audit_items)

class audit_debt_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
        runtime::install_font_substitutes();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QSKIP("pdftotext (poppler-utils) is not installed");
        }
    }

    // The working of a debt and what the totals carry, as a reader of the
    // PDF finds it.
    void a_debt_is_found_as_text_data() {
        QTest::addColumn<ui::audit::audit_items>("sheet");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two payments either side of 2020-03-01")
            << sheet_of({worked_example(),
                         test::due_and_paid(QStringLiteral("一次缴清"), "12345.67",
                                            test::day(2001, 4, 20), test::day(2001, 5, 9))})
            << QStringList{
                   "1．增值税 2019年5月 编号A1",
                   "应缴税款金额=100000.00",
                   "2019-06-16至2019-08-01",
                   "滞纳金=100000.00*47*0.0005=2350.00",
                   "滞纳金=70688.81*274*0.0005=9684.37",
                   "2019-08-01 缴款30000.00 配比(国税发〔2004〕66号)",
                   "抵缴税款=30000.00*100000.00/(100000.00+2350.00)=29311.19",
                   "2020-05-01 缴款75000.00 先税后滞纳金(国家税务总局公告2019年第48号)",
                   "抵缴税款70688.81 抵缴滞纳金4311.19",
                   "合计应加征滞纳金=12034.37",
                   "已缴滞纳金=5000.00",
                   "尚欠滞纳金=7034.37",
                   "按行政强制法第四十五条封顶=12034.37",
                   "合计按未封顶的金额计入",
                   // The sheet's totals: the debt beside the single item.
                   "合计应加征滞纳金=12336.84",
                   "已缴滞纳金合计=5000.00",
                   "合计未按行政强制法第四十五条封顶",
                   "分次缴纳的欠税，缴款当日按缴款前的欠税计算",
               };
        // 1,000.00 accruing to the stop date 1997-01-01: 1,462.00, over the tax.
        QTest::newRow("capped") << sheet_of({debt_item(QStringLiteral("旧欠"), "X", "1000",
                                                       "1995-01-01", {}, true, "1997-01-01")})
                                << QStringList{
                                       "停止计算日期=1997-01-01",
                                       "1000.00*731*0.002=1462.00(至停止计算日期)",
                                       "按行政强制法第四十五条封顶=1000.00",
                                       "合计按行政强制法第四十五条封顶后的金额计入",
                                       "合计应加征滞纳金=1000.00",
                                       "其中1笔欠税按行政强制法第四十五条封顶后计入合计",
                                   };
        QTest::newRow("a debt without figures is listed with why")
            << sheet_of({debt_item(QStringLiteral("有误"), "E", "100", "2024-01-15",
                                   {{"2024-02-01", "0"}})})
            << QStringList{"因错误未计算的项目及原因", "1．有误:第2行:本次缴款金额:应大于零"};
    }
    void a_debt_is_found_as_text() {
        QFETCH(ui::audit::audit_items, sheet);
        QFETCH(QStringList, expected);
        const QString text = pdf_of(sheet).join(u'\f');
        QVERIFY(!text.isEmpty());
        // Lines as pdftotext puts them, without the spaces it adds or drops.
        QString flat = text;
        flat.remove(u' ');
        for (const QString& wanted : expected) {
            QString line = kc(wanted);
            line.remove(u' ');
            QVERIFY2(flat.contains(line), qPrintable(wanted + QStringLiteral("\n---\n") + text));
        }
        // The copied working (复制计算过程) holds the same lines.
        QString copied = kc(ui::audit::audit_text(sheet));
        copied.remove(u' ');
        for (const QString& wanted : expected) {
            QString line = kc(wanted);
            line.remove(u' ');
            QVERIFY2(copied.contains(line),
                     qPrintable(wanted + QStringLiteral("\n---\n") + copied));
        }
    }

    // A debt of many payments runs on over pages, every payment on one of them.
    void a_long_debt_runs_on_over_pages() {
        std::vector<payment> payments;
        std::vector<std::string> days;
        days.reserve(120);
        for (int i = 0; i < 120; ++i) {
            const calc::date d = calc::add_days(test::day(2019, 7, 1), 7 * i);
            days.push_back(*calc::format_date_text(d));
        }
        for (const std::string& d : days) {
            payments.push_back({d.c_str(), "100"});
        }
        const QStringList pages = pdf_of(
            sheet_of({debt_item(QStringLiteral("长"), "L", "100000", "2019-06-15", payments)}));
        QVERIFY(pages.size() > 3);
        const QString text = pages.join(u'\f');
        for (const std::string& d : days) {
            QVERIFY2(text.contains(QString::fromStdString(d + " 缴款100.00")) ||
                         text.contains(QString::fromStdString(d + "缴款100.00")),
                     d.c_str());
        }
        // Nothing is drawn past a page's foot: the last payment's division
        // and the totals are there.
        QVERIFY(kc(text).contains(kc(QStringLiteral("按行政强制法第四十五条封顶"))));
    }
};

QTEST_MAIN(audit_debt_test)
#include "audit_debt_test.moc"
