// The worksheet's speed and memory, on generated rows, offscreen:
//   worksheet_bench paste100k       paste 100,000 rows and paint them with their totals
//   worksheet_bench open100k        open a 100,000-row CSV and paint it
//   worksheet_bench open1m          open a 1,000,000-row CSV (progress dialog and all), paint
//   worksheet_bench edit            edit one cell of 1,000,000 rows: row and totals repainted
//   worksheet_bench scroll          page down through 1,000,000 rows, one repaint per page
// Each mode prints its times and the process's peak resident memory. Run one
// mode per process, so that the peak belongs to that mode.

#include "sheet/tsv.h"
#include "ui/worksheet/w_worksheet.h"
#include "ui/worksheet/worksheet_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

namespace ws = orvandel::ui::worksheet;

// A mix of the three kinds of rows and a bad one in twenty.
std::string generated_rows(std::size_t rows, char separator) {
    std::string text;
    text.reserve(rows * 64);
    char line[160];
    for (std::size_t r = 0; r < rows; ++r) {
        const unsigned month = static_cast<unsigned>(r % 12) + 1;
        const unsigned day = static_cast<unsigned>(r % 28) + 1;
        const unsigned long cents = 10000UL + (r * 7919UL) % 100000000UL;
        int n = 0;
        if (r % 20 == 19) {
            n = std::snprintf(line, sizeof line, "项目%zu%c12a%c2024-%02u-%02u%c%c%c\n", r,
                              separator, separator, month, day, separator, separator, separator);
        } else if (r % 3 == 0) {
            n = std::snprintf(line, sizeof line, "项目%zu%c%lu.%02lu%c%c%c%lu%c%lu\n", r, separator,
                              cents / 100, cents % 100, separator, separator, separator, r % 400,
                              separator, r % 900);
        } else {
            n = std::snprintf(line, sizeof line,
                              "增值税 2023年%u月%c%lu.%02lu%c2023-%02u-%02u%c%s%c%c\n", month,
                              separator, cents / 100, cents % 100, separator, month, day, separator,
                              r % 2 == 0 ? "2024-03-01" : "", separator, separator);
        }
        text.append(line, static_cast<std::size_t>(n));
    }
    return text;
}

std::string csv_file(std::size_t rows) {
    return "项目,应缴税款金额,缴款期限,实际缴款日期,2001年04月30日前滞纳天数,"
           "2001年05月01日后滞纳天数\n" +
           generated_rows(rows, ',');
}

long peak_rss_kb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

void paint(ws::w_worksheet& window) {
    window.table->viewport()->repaint();
    window.totals->viewport()->repaint();
}

void report(const char* what, qint64 ns) {
    std::printf("%-58s %10.2f ms\n", what, static_cast<double>(ns) / 1e6);
}

int open_file(std::size_t rows, const char* label) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << csv_file(rows);
    }
    ws::w_worksheet window;
    window.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    if (!window.open_file(path)) {
        return 1;
    }
    paint(window);
    report(label, timer.nsecsElapsed());
    std::printf("rows %zu, totals: %s, left out %zu\n", window.model().rows().size(),
                window.totals->model()
                    ->index(0, ws::view_column(orvandel::sheet::column::total_fee))
                    .data()
                    .toString()
                    .toUtf8()
                    .constData(),
                window.model().totals().left_out);
    return 0;
}

int paste(std::size_t rows) {
    const std::string block = generated_rows(rows, '\t');
    ws::w_worksheet window;
    window.set_first_row({});
    window.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    const auto grid = orvandel::sheet::parse_tsv(block);
    const qint64 parsed = timer.nsecsElapsed();
    window.model().paste(0, 0, grid);
    paint(window);
    report("paste 100,000 rows: parse", parsed);
    report("paste 100,000 rows: parse, normalise, compute, paint", timer.nsecsElapsed());
    return 0;
}

int edit_and_scroll(bool scroll) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.csv"));
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << csv_file(1'000'000);
    }
    ws::w_worksheet window;
    window.show();
    QApplication::processEvents();
    if (!window.open_file(path)) {
        return 1;
    }
    paint(window);
    QElapsedTimer timer;
    if (!scroll) {
        constexpr int edits = 200;
        qint64 worst = 0;
        timer.start();
        for (int i = 0; i < edits; ++i) {
            QElapsedTimer one;
            one.start();
            const QModelIndex at = window.model().index(i % 30, 1);
            window.model().setData(at, QString::number(1000 + i), Qt::EditRole);
            // What the edit invalidates: the row and the totals.
            const QRect row = window.table->visualRect(at);
            window.table->viewport()->repaint(0, row.y(), window.table->viewport()->width(),
                                              row.height());
            window.totals->viewport()->repaint();
            worst = std::max(worst, one.nsecsElapsed());
        }
        report("edit one cell of 1,000,000 rows, repaint its row and the totals (mean)",
               timer.nsecsElapsed() / edits);
        report("edit one cell of 1,000,000 rows (worst of 200)", worst);
        return 0;
    }
    QScrollBar* bar = window.table->verticalScrollBar();
    constexpr int pages = 300;
    timer.start();
    qint64 worst = 0;
    for (int i = 0; i < pages; ++i) {
        QElapsedTimer one;
        one.start();
        bar->setValue(bar->value() + bar->pageStep() * 97); // far jumps and near ones
        window.table->viewport()->repaint();
        worst = std::max(worst, one.nsecsElapsed());
    }
    report("scroll 1,000,000 rows: one page and repaint (mean)", timer.nsecsElapsed() / pages);
    report("scroll 1,000,000 rows: one page and repaint (worst)", worst);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    QApplication qt(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("open100k");
    int status = 0;
    if (mode == QLatin1String("paste100k")) {
        status = paste(100'000);
    } else if (mode == QLatin1String("open100k")) {
        status = open_file(100'000, "open 100,000-row CSV: read, compute, paint");
    } else if (mode == QLatin1String("open1m")) {
        status = open_file(1'000'000, "open 1,000,000-row CSV: read, compute, paint");
    } else if (mode == QLatin1String("edit")) {
        status = edit_and_scroll(false);
    } else if (mode == QLatin1String("scroll")) {
        status = edit_and_scroll(true);
    } else {
        std::fprintf(stderr, "usage: worksheet_bench paste100k|open100k|open1m|edit|scroll\n");
        return 2;
    }
    std::printf("peak RSS %.1f MB\n", static_cast<double>(peak_rss_kb()) / 1024.0);
    return status;
}
