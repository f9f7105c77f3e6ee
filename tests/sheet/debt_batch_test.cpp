// The batch on sheets with 编号: the rows of a debt wherever they stand, the
// figures the same in any order of the rows, rows without 编号 as before,
// bad debts named, and what the batch writes read back the same.
#include "sheet/batch.h"

#include "sheet/csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace orvandel::sheet {
namespace {

using grid = std::vector<std::vector<std::string>>;

struct batch_run {
    batch_status status = batch_status::unusable;
    std::string out, problem;
};

batch_run run_batch(const std::string& input, std::optional<calc::date> as_of = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    batch_job job(in, 7); // small blocks: records cross the reader's refills
    job.set_as_of(as_of);
    batch_run r;
    if (job.read_header()) {
        r.status = job.run(out);
    }
    r.out = out.str();
    r.problem = job.problem();
    return r;
}

grid cells_of(const std::string& csv) {
    std::istringstream in(csv);
    csv_reader reader(in);
    csv_record record;
    grid rows;
    std::string scratch;
    while (reader.next(record)) {
        std::vector<std::string> row;
        for (const csv_cell& c : record.cells) {
            row.emplace_back(cell_text(c, scratch));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string csv_of(const grid& rows) {
    std::string out;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            std::string cell(cell_room(row[c]), '\0');
            cell.resize(static_cast<std::size_t>(write_cell(cell.data(), row[c]) - cell.data()));
            out += (c > 0 ? "," : "") + cell;
        }
        out += "\n";
    }
    return out;
}

// Each output row by the text of its first cell (a row number in these
// files): what a row shows does not depend on where it stands.
std::map<std::string, std::vector<std::string>> by_first_cell(const std::string& csv) {
    std::map<std::string, std::vector<std::string>> rows;
    const grid cells = cells_of(csv);
    for (std::size_t r = 1; r < cells.size(); ++r) {
        rows[cells[r][0]] = cells[r];
    }
    return rows;
}

const calc::date as_of{std::chrono::year{2021}, std::chrono::June, std::chrono::day{30}};

const std::string chinese_debt_results =
    "2001年04月30日前滞纳天数,2001年05月01日后滞纳天数,合计滞纳天数,"
    "2001年04月30日前应加征滞纳金,2001年05月01日后应加征滞纳金,合计应加征滞纳金,"
    "税款与滞纳金合计,抵缴税款,抵缴滞纳金,多缴,尚欠税款,尚欠滞纳金,已缴滞纳金,"
    "按行政强制法第四十五条封顶,备注";

// The worked example of two payments either side of 2020-03-01, its rows
// apart and out of date order, a row without 编号 between them.
TEST(DebtBatch, WritesEachRowsPart) {
    const std::string input = "编号,项目,应缴税款金额,缴款期限,实际缴款日期,本次缴款金额\n"
                              "A1,银行回单,,,2020-05-01,75000\n"
                              "A1,增值税 2019年5月,100000,2019-06-15,,\n"
                              ",一次缴清,12345.67,2001-04-20,2001-05-09,\n"
                              "A1,银行回单,,,2019-08-01,30000\n";
    const batch_run r = run_batch(input);
    EXPECT_EQ(r.status, batch_status::all_rows_ok) << r.problem;
    EXPECT_EQ(r.out, "编号,项目,应缴税款金额,缴款期限,实际缴款日期,本次缴款金额," +
                         chinese_debt_results +
                         "\n"
                         "A1,银行回单,,,2020-05-01,75000,,,,,,,,70688.81,4311.19,0.00,0.00,"
                         "7034.37,,,\n"
                         "A1,增值税 2019年5月,100000,2019-06-15,,,0,321,321,0.00,12034.37,"
                         "12034.37,112034.37,,,,0.00,7034.37,5000.00,12034.37,\n"
                         ",一次缴清,12345.67,2001-04-20,2001-05-09,,10,9,19,246.91,55.56,302.47,"
                         "12648.14,,,,,,,,\n"
                         "A1,银行回单,,,2019-08-01,30000,,,,,,,,29311.19,688.81,0.00,70688.81,"
                         "1661.19,,,\n");
}

// Debts of random payments, their rows in many orders: shuffled, and sorted
// by each column up and down, as a spreadsheet sorts. Every row keeps its
// figures, and the batch never writes them in another order than read.
TEST(DebtBatch, SortingTheRowsChangesNoFigure) {
    std::mt19937 random(20200301);
    grid rows{{"row", "item_id", "amount", "due_date", "pay_date", "paid_amount", "stop_date"}};
    const char* const dues[] = {"2000-12-15", "2019-06-15", "2020-01-15"};
    for (int d = 0; d < 12; ++d) {
        const std::string id = std::string("D").append(std::to_string(d));
        rows.push_back({std::to_string(rows.size()), id, std::to_string(5000 + d * 777) + ".5",
                        dues[d % 3], "", "", d % 4 == 0 ? "2021-01-31" : ""});
        for (int p = 0; p < 1 + d % 5; ++p) {
            const auto month = static_cast<unsigned>(1 + random() % 12);
            const std::string day = std::to_string(2019 + p % 2) + "-" + (month < 10 ? "0" : "") +
                                    std::to_string(month) + "-1" + std::to_string(random() % 9);
            rows.push_back(
                {std::to_string(rows.size()), id, "", "", day,
                 std::to_string(100 + random() % 3000) + ".0" + std::to_string(random() % 10), ""});
        }
    }
    const batch_run reference = run_batch(csv_of(rows), as_of);
    ASSERT_EQ(reference.status, batch_status::all_rows_ok) << reference.out;
    const auto expected = by_first_cell(reference.out);
    const auto check = [&](const grid& order, const std::string& how) {
        const batch_run r = run_batch(csv_of(order), as_of);
        EXPECT_EQ(r.status, batch_status::all_rows_ok) << how;
        EXPECT_EQ(by_first_cell(r.out), expected) << how;
        // Written in the order read.
        const grid out = cells_of(r.out);
        for (std::size_t i = 1; i < order.size(); ++i) {
            EXPECT_EQ(out[i][0], order[i][0]) << how;
        }
    };
    for (int round = 0; round < 10; ++round) {
        grid shuffled = rows;
        std::shuffle(shuffled.begin() + 1, shuffled.end(), random);
        check(shuffled, "shuffled " + std::to_string(round));
    }
    for (std::size_t c = 1; c < rows[0].size(); ++c) {
        for (const bool descending : {false, true}) {
            grid sorted = rows;
            std::stable_sort(sorted.begin() + 1, sorted.end(), [&](const auto& a, const auto& b) {
                return descending ? b[c] < a[c] : a[c] < b[c];
            });
            check(sorted, rows[0][c] + (descending ? " down" : " up"));
        }
    }
}

// A sheet with an 编号 column reads its rows without 编号 as a sheet
// without one does: the corpus gives every row the same figures and notes.
TEST(DebtBatch, RowsWithoutItemIdAreReadAsBefore) {
    const auto read_file = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        EXPECT_TRUE(in) << path;
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string plain = read_file(ORVANDEL_SHEET_DATA "/rows-zh.csv");
    grid with_id = cells_of(plain);
    for (std::size_t r = 0; r < with_id.size(); ++r) {
        with_id[r].insert(with_id[r].begin(), r == 0 ? "编号" : "");
    }
    const grid expected = cells_of(read_file(ORVANDEL_SHEET_DATA "/rows-zh.expected.csv"));
    const batch_run r = run_batch(csv_of(with_id));
    EXPECT_EQ(r.status, batch_status::some_rows_failed);
    const grid out = cells_of(r.out);
    ASSERT_EQ(out.size(), expected.size());
    for (std::size_t row = 1; row < out.size(); ++row) {
        // The file's own columns, the 编号 column first; no debt figure.
        for (std::size_t c = 0; c < expected[row].size(); ++c) {
            EXPECT_EQ(out[row][c + 1], expected[row][c]) << row << " " << expected[0][c];
        }
        for (std::size_t c = expected[row].size() + 1; c < out[row].size(); ++c) {
            EXPECT_EQ(out[row][c], "") << row << " " << out[0][c];
        }
    }
}

// In a sheet with 税款所属期, a row without 编号 gets its 缴款期限 from the
// filing calendar; the rows of a debt take theirs as typed, and a debt's row
// shows no date it did not use (not the row's before it).
TEST(DebtBatch, TaxPeriodsFillOnlyRowsWithoutItemId) {
    const batch_run r =
        run_batch("item_id,amount,tax_period,pay_date,paid_amount\n"
                  ",1000,2025-04,2025-06-03,\n"
                  "A1,1000,2025-04,,\n"
                  "A1,,,2025-06-03,500\n"
                  "B2,1000,2025-04,,\n",
                  calc::date{std::chrono::year{2025}, std::chrono::month{6}, std::chrono::day{10}});
    EXPECT_EQ(r.status, batch_status::some_rows_failed);
    const grid out = cells_of(r.out);
    ASSERT_EQ(out.size(), 5U);
    ASSERT_EQ(out[0][5], "due_date");
    EXPECT_EQ(out[1][5], "2025-05-22");
    EXPECT_EQ(out[1][11], "6.00");
    for (std::size_t row = 2; row < out.size(); ++row) {
        EXPECT_EQ(out[row][5], "") << row;
    }
    EXPECT_EQ(out[2].back(), "due_date: missing");
}

// A bad debt leaves every row of its 编号 without figures, each naming it;
// the other debts and rows are computed.
TEST(DebtBatch, NamesEachBadDebt) {
    const std::string input = "item_id,amount,due_date,pay_date,paid_amount\n"
                              "ok,1000,2020-06-15,,\n"
                              "none,,,2020-07-01,10\n"
                              "two,1000,2020-06-15,,\n"
                              "ok,,,2020-07-15,1030\n"
                              "two,2000,2020-06-15,,\n"
                              "bad,1000,2020-06-15,,\n"
                              "bad,,,2020-07-01,-5\n"
                              "owed,1000,2020-06-15,,\n"
                              ",50,,,\n"
                              ",,,,9\n";
    const batch_run r = run_batch(input);
    EXPECT_EQ(r.status, batch_status::some_rows_failed);
    std::vector<std::string> notes;
    for (const auto& row : cells_of(r.out)) {
        notes.push_back(row.back());
    }
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "error",
                         "",
                         "item_id none: no row gives the amount",
                         "item_id two: more than one row gives the amount",
                         "",
                         "item_id two: more than one row gives the amount",
                         "item_id bad: another row of it has an error",
                         "paid_amount: not a number",
                         "item_id owed: tax is still owed after the last payment: give the as-of "
                         "date (--as-of)",
                         "due_date/pay_date: missing",
                         "amount: missing; due_date/pay_date: missing; paid_amount: needs an "
                         "item_id",
                     }));
    // 1000.00 due 2020-06-15, 30 days at 0.0005 on it is 15.00: paid in full
    // by 1030.00 on 2020-07-15, tax first.
    const grid out = cells_of(r.out);
    EXPECT_EQ(out[4][12], "1000.00"); // to_tax
    EXPECT_EQ(out[4][13], "15.00");   // to_fee
    EXPECT_EQ(out[4][14], "15.00");   // excess
}

// What the batch writes, read by the batch again, gives the same rows: the
// debts' figures are results and are never read back as inputs.
TEST(DebtBatch, WhatItWritesReadsBackTheSame) {
    const std::string inputs[] = {
        "编号,应缴税款金额,缴款期限,实际缴款日期,本次缴款金额,停止计算日期,适用封顶\n"
        "A1,100000,2019-06-15,,,,是\n"
        "A1,,,2019-08-01,30000,,\n"
        "A1,,,2020-05-01,75000,,\n"
        "B2,800,1998-01-15,1998-02-01,100,2000-01-01,\n"
        "B2,,,2020-05-01,80,,\n"
        ",12345.67,2001-04-20,,,,\n",
        "item_id,amount,due_date,pay_date,paid_amount,one_more_day\n"
        "X,\"1,000\",2021-01-15,,,\n"
        "X,,2021-01-15,2021-03-01,\"12,0\",\n"
        "Y,5,2021-01-15,,,\n",
    };
    for (const std::string& input : inputs) {
        const batch_run once = run_batch(input, as_of);
        const batch_run twice = run_batch(once.out, as_of);
        EXPECT_EQ(twice.status, once.status);
        EXPECT_EQ(twice.out, once.out);
    }
}

// --as-of is the day rows without 实际缴款日期 are paid, and the last day the
// tax a debt still owes accrues; without it both are errors.
TEST(DebtBatch, AsOfEndsTheRowsAndDebtsLeftOpen) {
    const std::string input = "item_id,amount,due_date,pay_date,paid_amount\n"
                              ",1000,2021-06-15,,\n"
                              "D,1000,2021-06-15,,\n"
                              "D,,,2021-06-20,400\n";
    const batch_run open = run_batch(input);
    EXPECT_EQ(open.status, batch_status::some_rows_failed);
    const batch_run closed = run_batch(input, as_of);
    EXPECT_EQ(closed.status, batch_status::all_rows_ok) << closed.out;
    const grid out = cells_of(closed.out);
    // 15 days on 1000.00 for the plain row; 5 days on 1000.00 and 10 on
    // 600.00 for the debt.
    EXPECT_EQ(out[1][10], "7.50");
    EXPECT_EQ(out[2][10], "5.50");
    EXPECT_EQ(out[2][15], "600.00"); // tax_outstanding
}

} // namespace
} // namespace orvandel::sheet
