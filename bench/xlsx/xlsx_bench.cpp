// Time to write and to read back a workbook of results, a row at a time.
//
//   xlsx_bench write FILE [ROWS]   ROWS rows (default 1,000,000) of 13 columns
//   xlsx_bench read FILE           every row, as the batch reads a workbook
//
// The columns are those of a sheet of results: an item, the amount, the due
// and paid dates, three day counts, five money figures and a note, and a
// totals row. Each prints its own time; bench/xlsx/run.sh adds peak memory.
#include "sheet/xlsx_reader.h"
#include "sheet/xlsx_writer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace orvandel::sheet;
using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

std::string cents(std::uint64_t value) {
    std::string digits = std::to_string(value / 100) + ".";
    const auto part = value % 100;
    digits += static_cast<char>('0' + part / 10);
    digits += static_cast<char>('0' + part % 10);
    return digits;
}

// Row `i`: figures that vary like real ones, without the engine's cost.
void fill_row(std::vector<cell>& row, std::size_t i) {
    using namespace std::chrono;
    const std::uint64_t amount = 1000 + (i * 7919) % 100'000'000;
    const auto due = sys_days(year{2001} / April / 20) + days(static_cast<int>(i % 5000));
    const std::int64_t before = static_cast<std::int64_t>(i % 11);
    const std::int64_t after = static_cast<std::int64_t>(i % 4000);
    const std::uint64_t fee_before = amount * static_cast<std::uint64_t>(before) * 2 / 1000;
    const std::uint64_t fee_after = amount * static_cast<std::uint64_t>(after) * 5 / 10000;
    row.clear();
    row.push_back(cell::of_text("增值税 " + std::to_string(2001 + i % 24) + "年" +
                                std::to_string(1 + i % 12) + "月"));
    row.push_back(cell::of_number(cents(amount)));
    row.push_back(cell::of_date(year_month_day(due)));
    row.push_back(cell::of_date(year_month_day(due + days(before + after))));
    row.push_back(cell::of_integer(before));
    row.push_back(cell::of_integer(after));
    row.push_back(cell::of_integer(before + after));
    row.push_back(cell::of_number(cents(fee_before)));
    row.push_back(cell::of_number(cents(fee_after)));
    row.push_back(cell::of_number(cents(fee_before + fee_after)));
    row.push_back(cell::of_number(cents(amount + fee_before + fee_after)));
    row.push_back(cell::of_number(cents(amount * 5 / 10000)));
    row.push_back(i % 10 == 0 ? cell::of_text("未逾期") : cell{});
}

int write(const char* path, std::size_t rows) {
    const std::vector<std::string> header{"项目",
                                          "应缴税款金额",
                                          "缴款期限",
                                          "实际缴款日期",
                                          "2001年04月30日前滞纳天数",
                                          "2001年05月01日后滞纳天数",
                                          "合计滞纳天数",
                                          "2001年04月30日前应加征滞纳金",
                                          "2001年05月01日后应加征滞纳金",
                                          "合计应加征滞纳金",
                                          "税款与滞纳金合计",
                                          "每多滞纳一日增加",
                                          "备注"};
    const auto start = clock_type::now();
    auto started = xlsx_sheet_writer::start(header);
    if (!started) {
        std::cerr << describe(started.error(), language::english) << "\n";
        return 1;
    }
    xlsx_sheet_writer writer = std::move(started).value();
    std::vector<cell> row;
    for (std::size_t i = 0; i < rows; ++i) {
        fill_row(row, i);
        if (auto bad = writer.add_row(row)) {
            std::cerr << describe(*bad, language::english) << "\n";
            return 1;
        }
    }
    std::vector<cell> totals(header.size(), cell::of_sum());
    totals[0] = cell::of_text("合计");
    totals[2] = totals[3] = totals[12] = cell{};
    std::ofstream out(path, std::ios::binary);
    if (auto bad = writer.finish(totals, out)) {
        std::cerr << describe(*bad, language::english) << "\n";
        return 1;
    }
    std::printf("wrote %zu rows in %.2f s\n", rows, seconds_since(start));
    return 0;
}

int read(const char* path) {
    const auto start = clock_type::now();
    auto opened = xlsx_rows::open(path);
    if (!opened) {
        std::cerr << describe(opened.error(), language::english) << "\n";
        return 1;
    }
    xlsx_rows rows = std::move(opened).value();
    std::vector<cell> row;
    std::size_t count = 0;
    std::size_t cells = 0;
    while (rows.next(row)) {
        ++count;
        cells += row.size();
    }
    if (rows.problem()) {
        std::cerr << describe(*rows.problem(), language::english) << "\n";
        return 1;
    }
    std::printf("read %zu rows (header included), %zu cells, %s totals, in %.2f s\n", count, cells,
                rows.totals() ? "with" : "without", seconds_since(start));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 2 ? argv[1] : "";
    if (what == "write") {
        return write(argv[2], argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1'000'000);
    }
    if (what == "read") {
        return read(argv[2]);
    }
    std::cerr << "usage: xlsx_bench write FILE [ROWS] | xlsx_bench read FILE\n";
    return 2;
}
