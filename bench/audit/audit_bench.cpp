// Time to write the audit sheet of many items as a PDF, as
// `orvandel --worksheet IN.csv --export-pdf OUT.pdf` does it: the CSV read
// and every row computed, then the sheet laid out, drawn and written.
//
//   audit_bench [ITEMS] [RUNS]     (defaults: 10000 items, 3 runs)
//
// Prints each run's reading and export times, the pages and the file size,
// then the best and the median of the whole.

#include "app/worksheet_pdf.h"
#include "runtime/fonts.h"
#include "ui/audit/audit_sheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

// `items` rows of every kind the worksheet holds: due/paid across 2001-05-01
// and later, the form's start/end dates, typed day counts, and one row in
// forty in error.
QByteArray worksheet_csv(int items) {
    QByteArray csv = "项目,应缴税款金额,缴款期限,实际缴款日期,起始日期,终止日期,"
                     "2001年04月30日前滞纳天数,2001年05月01日后滞纳天数\n";
    const char* const amounts[] = {"12345.67", "1234.56", "98765432.10", "5.00", "999999999999.99"};
    for (int i = 0; i < items; ++i) {
        csv += "增值税 " + QByteArray::number(2000 + i % 25) + "年" +
               QByteArray::number(1 + i % 12) + "月 第" + QByteArray::number(i) + "号,";
        if (i % 40 == 39) {
            csv += "12a,2024-01-15,2024-02-14,,,,\n";
            continue;
        }
        csv += amounts[i % 5];
        switch (i % 3) {
        case 0:
            csv += ",2001-04-20,2001-05-09,,,,\n";
            break;
        case 1:
            csv += ",,,2019-03-01,2024-11-30,,\n";
            break;
        default:
            csv +=
                ",,,,," + QByteArray::number(i % 400) + "," + QByteArray::number(i % 4000) + "\n";
            break;
        }
    }
    return csv;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication qt(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
    orvandel::runtime::install_font_substitutes();
    const QStringList args = QCoreApplication::arguments();
    const int items = args.size() > 1 ? args[1].toInt() : 10000;
    const int runs = args.size() > 2 ? args[2].toInt() : 3;

    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.csv"));
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    QFile file(in);
    if (!file.open(QIODevice::WriteOnly) || file.write(worksheet_csv(items)) < 0) {
        return 1;
    }
    file.close();

    QTextStream report(stdout);
    std::vector<double> totals;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        // Processor time too: on a shared machine the wall clock also counts
        // the time other programs had the processor.
        const std::clock_t cpu_start = std::clock();
        QString problem;
        const auto sheet = orvandel::app::read_worksheet_file(in, QDate(2024, 3, 15), problem);
        if (!sheet) {
            report << "cannot read: " << problem << '\n';
            return 1;
        }
        const double read_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (orvandel::ui::audit::export_audit_pdf(out, *sheet) !=
            orvandel::ui::audit::audit_export_error::none) {
            report << "cannot write " << out << '\n';
            return 1;
        }
        const double total_ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        const double cpu_ms =
            1000.0 * static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
        totals.push_back(total_ms);
        report << "run " << run + 1 << ": " << items << " items, read " << qRound(read_ms)
               << " ms, export " << qRound(total_ms - read_ms) << " ms, total " << qRound(total_ms)
               << " ms (processor " << qRound(cpu_ms) << " ms), " << QFile(out).size() / 1024
               << " KiB\n";
        report.flush();
    }
    report << "best " << qRound(*std::min_element(totals.begin(), totals.end())) << " ms, median "
           << qRound(median(totals)) << " ms for " << items << " items\n";
    return 0;
}
