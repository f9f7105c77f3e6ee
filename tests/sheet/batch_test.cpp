#include "sheet/batch.h"

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

} // namespace
} // namespace orvandel::sheet
