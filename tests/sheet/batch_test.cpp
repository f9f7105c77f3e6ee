#include "sheet/batch.h"

#include "cell_printer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>

namespace orvandel::sheet {
namespace {

struct batch_run {
    bool header_ok = false;
    batch_status status = batch_status::unusable;
    std::string out, problem;
};

batch_run run_batch(const std::string& input, std::size_t block = std::size_t{1} << 20) {
    std::istringstream in(input);
    std::ostringstream out;
    batch_job job(in, block);
    batch_run r;
    r.header_ok = job.read_header();
    if (r.header_ok) {
        r.status = job.run(out);
    }
    r.out = out.str();
    r.problem = job.problem();
    return r;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The shared corpus: every cell of every row, in whatever blocks it is read.
TEST(BatchSheet, WritesTheCorpusAsExpected) {
    const std::string input = read_file(ORVANDEL_SHEET_DATA "/rows-zh.csv");
    const std::string expected = read_file(ORVANDEL_SHEET_DATA "/rows-zh.expected.csv");
    for (const std::size_t block : {1U, 7U, 1U << 20}) {
        const batch_run r = run_batch(input, block);
        ASSERT_TRUE(r.header_ok) << r.problem;
        EXPECT_EQ(r.status, batch_status::some_rows_failed);
        EXPECT_EQ(r.out, expected) << "block " << block;
    }
}

const std::string chinese_results =
    "2001年04月30日前滞纳天数,2001年05月01日后滞纳天数,合计滞纳天数,"
    "2001年04月30日前应加征滞纳金,2001年05月01日后应加征滞纳金,"
    "合计应加征滞纳金,税款与滞纳金合计";
const std::string english_results = "days_before,days_after,total_days,fee_before,fee_after,"
                                    "total_fee,tax_and_fee_total";

// Headers in either language and any order; results and errors in the
// header's language, that of its amount column.
TEST(BatchSheet, ReadsEitherLanguageAndAnswersInTheAmounts) {
    // Name, input, output.
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"chinese_in_any_order",
         "备注,终止日期,应缴税款金额,起始日期\n,2001-05-10,12345.67,2001-04-21\n"
         "旧,2001-05-10,,2001-04-21\n",
         "备注,终止日期,应缴税款金额,起始日期," + chinese_results +
             "\n,2001-05-10,12345.67,2001-04-21,10,9,19,246.91,55.56,302.47,12648.14\n"
             "应缴税款金额：未填写,2001-05-10,,2001-04-21,,,,,,,\n"},
        {"english_due_and_paid",
         "amount,due_date,pay_date\n12345.67,2001-04-20,2001-05-09\n1,2001-05-09,2001-05-01\n"
         "1,,\n",
         "amount,due_date,pay_date," + english_results +
             ",error\n12345.67,2001-04-20,2001-05-09,10,9,19,246.91,55.56,302.47,12648.14,\n"
             "1,2001-05-09,2001-05-01,0,0,0,0.00,0.00,0.00,1.00,\n"
             // A row that gives no pair is told of the pairs its header has.
             "1,,,,,,,,,,due_date/pay_date: missing\n"},
        {"names_in_the_other_language_pass_through",
         "amount,days_before,days_after,备注,缴款期限\n1,1,2,note,2001-01-01\n",
         "amount,days_before,days_after,备注,缴款期限,total_days,fee_before,fee_after,total_fee,"
         "tax_and_fee_total,error\n1,1,2,note,2001-01-01,3,0.00,0.00,0.00,1.00,\n"},
        {"the_first_amount_column_sets_the_language",
         "应缴税款金额,amount,起始日期,终止日期,error\n1,x,2001-05-01,2001-05-02,y\n",
         "应缴税款金额,amount,起始日期,终止日期,error,2001年04月30日前滞纳天数,"
         "2001年05月01日后滞纳天数,合计滞纳天数,2001年04月30日前应加征滞纳金,"
         "2001年05月01日后应加征滞纳金,合计应加征滞纳金,税款与滞纳金合计,备注\n"
         "1,x,2001-05-01,2001-05-02,y,0,1,1,0.00,0.00,0.00,1.00,\n"},
        {"paid_in_time_noted_in_chinese",
         "应缴税款金额,缴款期限,实际缴款日期,备注\n1000,2024-05-15,2024-05-15,x\n",
         "应缴税款金额,缴款期限,实际缴款日期,备注," + chinese_results +
             "\n1000,2024-05-15,2024-05-15,未逾期,0,0,0,0.00,0.00,0.00,1000.00\n"},
        {"one_more_day_filled_where_the_input_has_it",
         "amount,days_before,days_after,one_more_day\n12345.67,10,9,x\nbad,1,1,x\n",
         "amount,days_before,days_after,one_more_day,total_days,fee_before,fee_after,total_fee,"
         "tax_and_fee_total,error\n12345.67,10,9,6.17,19,246.91,55.56,302.47,12648.14,\n"
         "bad,1,1,,,,,,,amount: not a number\n"},
        {"rows_unlike_the_header_in_chinese",
         "应缴税款金额,2001年04月30日前滞纳天数,2001年05月01日后滞纳天数\n1,2\n1,2,3,4\n",
         "应缴税款金额,2001年04月30日前滞纳天数,2001年05月01日后滞纳天数,合计滞纳天数,"
         "2001年04月30日前应加征滞纳金,2001年05月01日后应加征滞纳金,合计应加征滞纳金,"
         "税款与滞纳金合计,备注\n1,2,,,,,,,行：有2格，表头有3格\n"
         "1,2,3,,,,,,行：有4格，表头有3格,4\n"},
    };
    for (const auto& [name, input, output] : cases) {
        SCOPED_TRACE(name);
        const batch_run r = run_batch(input);
        ASSERT_TRUE(r.header_ok) << r.problem;
        EXPECT_EQ(r.out, output);
    }
}

// A column named twice in the header's language is refused, as before.
TEST(BatchSheet, RefusesAColumnNamedTwice) {
    const std::pair<const char*, const char*> cases[] = {
        {"amount,x,amount\n", "the header names the column amount twice"},
        {"应缴税款金额,备注,备注\n", "the header names the column 备注 twice"},
        {"缴款期限,实际缴款日期,amount_due\n", "the header has no amount column"},
    };
    for (const auto& [input, problem] : cases) {
        const batch_run r = run_batch(input);
        EXPECT_FALSE(r.header_ok) << input;
        EXPECT_EQ(r.problem, problem);
        EXPECT_EQ(r.out, "");
    }
}

// A sheet with 税款所属期 gets the 缴款期限 each row used: a filled one in the
// row's empty cell, or in a column appended before the figures; a typed one
// passed through; none where the calendar has no date or the row is cut
// short. Read again, the output gives itself back: the same figures and notes
// (but for a short row, which the output pads to the header's width).
TEST(BatchSheet, WritesTheDeadlineATaxPeriodFilledAndReadsItBack) {
    const std::string notice = "税总办征科函〔2024〕71号";
    const std::tuple<const char*, std::string, std::string, bool> cases[] = {
        {"chinese_with_a_deadline_column",
         "项目,税款所属期,应缴税款金额,缴款期限,实际缴款日期\n"
         "月,2025-04,1000,,2025-06-03\n"
         "季,2025Q1,1000,,2025-04-28\n"
         "改,2025-04,1000,2025-05-20,2025-06-03\n"
         "无,2026-12,1000,,2027-01-20\n"
         "未缴,2025-04,1000,,\n",
         "项目,税款所属期,应缴税款金额,缴款期限,实际缴款日期," + chinese_results +
             ",备注\n"
             "月,2025-04,1000,2025-05-22,2025-06-03,0,12,12,0.00,6.00,6.00,1006.00,缴款期限：" +
             notice +
             "\n"
             "季,2025Q1,1000,2025-04-18,2025-04-28,0,10,10,0.00,5.00,5.00,1005.00,缴款期限：" +
             notice +
             "\n"
             "改,2025-04,1000,2025-05-20,2025-06-03,0,14,14,0.00,7.00,7.00,1007.00,"
             "缴款期限2025-05-20与申报日历的2025-05-22不同（" +
             notice +
             "），按填写的日期计算\n"
             "无,2026-12,1000,,2027-01-20,,,,,,,,"
             "税款所属期：缴款期限在2027年，没有申报日历或节假日数据，请填写缴款期限\n"
             "未缴,2025-04,1000,2025-05-22,,,,,,,,,实际缴款日期：未填写\n",
         true},
        {"a_short_row_keeps_its_cells",
         "项目,税款所属期,应缴税款金额,缴款期限,实际缴款日期\n短,2025-04\n",
         "项目,税款所属期,应缴税款金额,缴款期限,实际缴款日期," + chinese_results +
             ",备注\n短,2025-04,,,,,,,,,,,行：有2格，表头有5格\n",
         false},
        {"english_without_a_deadline_column",
         "amount,tax_period,pay_date\n1000,2025-04,2025-06-03\n1000,,2025-06-03\n",
         "amount,tax_period,pay_date,due_date," + english_results +
             ",error\n1000,2025-04,2025-06-03,2025-05-22,0,12,12,0.00,6.00,6.00,1006.00,"
             "due_date from " +
             notice + "\n1000,,2025-06-03,,,,,,,,,due_date: missing\n",
         true},
    };
    for (const auto& [name, input, output, round_trips] : cases) {
        SCOPED_TRACE(name);
        const batch_run first = run_batch(input);
        ASSERT_TRUE(first.header_ok) << first.problem;
        EXPECT_EQ(first.out, output);
        if (!round_trips) {
            continue;
        }
        const batch_run again = run_batch(first.out);
        ASSERT_TRUE(again.header_ok) << again.problem;
        EXPECT_EQ(again.out, output);
    }
}

// The same rows as typed cells: the filled 缴款期限 of a computed row is a
// date, as a typed one is; in a row left out it is text, as all its cells.
TEST(BatchSheet, WritesAFilledDeadlineAsATypedDate) {
    struct recorder final : typed_sink {
        std::vector<std::string> names;
        std::vector<std::vector<cell>> rows;
        bool header(const std::vector<std::string>& n) override {
            names = n;
            return true;
        }
        bool row(const std::vector<cell>& cells) override {
            rows.push_back(cells);
            return true;
        }
        bool finish(const std::vector<cell>&) override { return true; }
        [[nodiscard]] std::string problem() const override { return {}; }
    };
    std::istringstream in("amount,tax_period,pay_date\n1000,2025-04,2025-06-03\n1000,2025-04,\n");
    batch_job job(in);
    ASSERT_TRUE(job.read_header());
    recorder out;
    EXPECT_EQ(job.run(out), batch_status::some_rows_failed);
    ASSERT_EQ(out.names.at(3), "due_date");
    ASSERT_EQ(out.rows.size(), 2U);
    EXPECT_EQ(out.rows[0][3],
              cell::of_date(calc::date{std::chrono::year{2025}, std::chrono::month{5},
                                       std::chrono::day{22}}));
    EXPECT_EQ(out.rows[1][3], cell::of_text("2025-05-22"));
}

} // namespace
} // namespace orvandel::sheet
