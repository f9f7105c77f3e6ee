#include "run_in_process.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace orvandel::cli {
namespace {

using testing_support::run;

constexpr std::string_view notice_2024 = "《国家税务总局办公厅关于明确2024年度申报纳税期限的通知》";

// --deadline in each period form, published and derived, as a line and as
// JSON (with "alternative" only where the two rules differ).
TEST(Deadline, PrintsTheDeadlineOfAPeriodWithItsSource) {
    // Command line, standard output without its line break.
    const std::tuple<const char*, std::string> cases[] = {
        {"--deadline 2024-04",
         "2024年4月的缴款期限：2024-05-22（" + std::string(notice_2024) + "）"},
        {"--deadline 2024年4月 --json",
         R"({"period":"2024-04","deadline":"2024-05-22","source":")" + std::string(notice_2024) +
             R"(","rule":"published"})"},
        {"--json --deadline=2024Q1", R"({"period":"2024Q1","deadline":"2024-04-18","source":")" +
                                         std::string(notice_2024) + R"(","rule":"published"})"},
        {"--deadline 2024年第4季度",
         "2024年第4季度的缴款期限：2025-01-15（税总办征科函〔2024〕71号）"},
        {"--deadline 2020-01 --json",
         R"({"period":"2020-01","deadline":"2020-02-28","source":"税总函〔2020〕27号（湖北省除外）",)"
         R"("rule":"published"})"},
        {"--deadline 2019-01",
         "2019年1月的缴款期限：2019-02-26（推算，按工作日顺延；另一算法：2019-02-22）"},
        {"--deadline 2019-01 --json",
         R"({"period":"2019-01","deadline":"2019-02-26","source":"推算","rule":"working-day",)"
         R"("alternative":"2019-02-22"})"},
        {"--deadline 2015Q3 --json",
         R"({"period":"2015Q3","deadline":"2015-10-22","source":"推算","rule":"calendar",)"
         R"("alternative":"2015-10-26"})"},
        {"--deadline 2016-02", "2016年2月的缴款期限：2016-03-15（推算，按日历日顺延）"},
        {"--deadline 2016-02 --json",
         R"({"period":"2016-02","deadline":"2016-03-15","source":"推算","rule":"calendar"})"},
    };
    for (const auto& [args, out] : cases) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.err, "") << args;
        EXPECT_EQ(r.out, out + "\n") << args;
    }
}

// --period in place of --due: the deadline it stands for is shown with the
// period, and its source ends the block in 备注 (after 未逾期 when paid in
// time), or follows the figures in JSON.
TEST(Deadline, TakesThePlaceOfTheDueDateInACalculation) {
    const std::string figures =
        "合计滞纳天数=12\n其中：2001年04月30日前滞纳天数=0\n2001年05月01日后滞纳天数=12\n"
        "合计应加征滞纳金=74.07\n其中:2001年04月30日前应加征滞纳金=.00\n"
        "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=12345.67*0*0.002=0.00\n"
        "2001年05月01日后应加征滞纳金=74.07\n"
        "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=12345.67*12*0.0005=74.07\n"
        "税款与滞纳金合计=12419.74\n";
    const std::string in_time =
        "合计滞纳天数=0\n其中：2001年04月30日前滞纳天数=0\n2001年05月01日后滞纳天数=0\n"
        "合计应加征滞纳金=.00\n其中:2001年04月30日前应加征滞纳金=.00\n"
        "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=5.00*0*0.002=0.00\n"
        "2001年05月01日后应加征滞纳金=.00\n"
        "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=5.00*0*0.0005=0.00\n"
        "税款与滞纳金合计=5.00\n";
    const std::tuple<const char*, std::string> cases[] = {
        {"--amount 12345.67 --period 2024-04 --paid 2024-06-03",
         "应缴税款金额=12345.67\n税款所属期=2024-04\n缴款期限=2024-05-22\n实际缴款日期=2024-06-03\n"
         "滞纳金计算起始日期=2024-05-23\n终止日期=2024-06-04\n" +
             figures + "备注=缴款期限：" + std::string(notice_2024) + "\n"},
        // The same period written in Chinese gives the same figures.
        {"--amount 12345.67 --period 2024年4月 --paid 2024-06-03 --json",
         R"({"days_before":0,"days_after":12,"total_days":12,"fee_before":"0.00",)"
         R"("fee_after":"74.07","total_fee":"74.07","tax_and_fee_total":"12419.74",)"
         R"("period":"2024-04","deadline":"2024-05-22","source":")" +
             std::string(notice_2024) + R"(","rule":"published"})" + "\n"},
        // Paid on the 25th: in time by the working-day rule (the 26th), which
        // 2019 takes; the calendar rule's 22nd is named as the alternative.
        {"--amount 5 --paid 2019-02-25 --period 2019-01",
         "应缴税款金额=5.00\n税款所属期=2019-01\n缴款期限=2019-02-26\n实际缴款日期=2019-02-25\n" +
             in_time + "备注=未逾期；缴款期限为推算（另一算法：2月22日）\n"},
    };
    for (const auto& [args, out] : cases) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.err, "") << args;
        EXPECT_EQ(r.out, out) << args;
    }
}

// A period that cannot be read, or whose deadline falls in a year without
// data, prints nothing and says why on standard error, with status 2.
TEST(Deadline, RefusesWhatHasNoDeadline) {
    const std::string no_data =
        ": the deadline falls in 2027, a year with no published filing calendar or holiday data "
        "(they cover 2004..2026); type the deadline with --due";
    const std::tuple<const char*, std::string> cases[] = {
        {"--deadline 2026-12", "--deadline 2026-12" + no_data},
        {"--deadline 2026Q4 --json", "--deadline 2026Q4" + no_data},
        {"--deadline 2003-11",
         "--deadline 2003-11: the deadline falls in 2003, a year with no published filing "
         "calendar or holiday data (they cover 2004..2026); type the deadline with --due"},
        {"--amount 1 --period 2026-12 --paid 2027-02-01", "--period 2026-12" + no_data},
        {"--deadline 2024-13", "--deadline: no such period"},
        {"--deadline 2024Q5", "--deadline: no such period"},
        {"--deadline 2024-4",
         "--deadline: not a tax period (2024-04, 2024年4月, 2024Q1 or 2024年第1季度)"},
        {"--deadline=", "--deadline: missing"},
        {"--amount 1 --period= --paid 2024-06-01", "--period: missing"},
        {"--amount 1 --period 2024/04 --paid 2024-06-01",
         "--period: not a tax period (2024-04, 2024年4月, 2024Q1 or 2024年第1季度)"},
        {"--deadline", "--deadline needs a value"},
        {"--deadline 2024-04 --amount 1", "--amount cannot be used with --deadline"},
        {"--deadline 2024-04 --batch in.csv", "--batch cannot be used with --deadline"},
        {"--deadline 2024-04 --period 2024-04", "--period cannot be used with --deadline"},
        {"--amount 1 --period 2024-04 --due 2024-05-20 --paid 2024-06-01",
         "--period takes the place of --due; give one of them"},
        {"--amount 1 --period 2024-04", "--period needs --paid"},
        {"--amount 1 --period 2024-04 --from 2024-05-01 --to 2024-06-01",
         "give --from and --to, --due and --paid, or --days-before and --days-after, only one of "
         "them"},
        {"--batch in.csv --period 2024-04", "--period cannot be used with --batch"},
    };
    for (const auto& [args, message] : cases) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(r.err, "orvandel-cli: " + message + "\n") << args;
    }
}

} // namespace
} // namespace orvandel::cli
