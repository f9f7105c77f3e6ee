#include "run_in_process.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace orvandel::cli {
namespace {

using testing_support::run;

// The readable block shows the form's lines and formula texts. Typed day counts
// are written as plain numbers, the amount and zero surcharges as the fields show
// them (".00", "5.00"); JSON figures always have two decimals.
TEST(SingleCalculation, WritesTheFormLinesOrOneJsonObject) {
    // Name, command line, standard output without its last line break.
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"text_by_dates", "--amount 12345.67 --from 2001-04-21 --to 2001-05-10",
         "应缴税款金额=12345.67\n滞纳金计算起始日期=2001-04-21\n终止日期=2001-05-10\n"
         "合计滞纳天数=19\n其中：2001年04月30日前滞纳天数=10\n2001年05月01日后滞纳天数=9\n"
         "合计应加征滞纳金=302.47\n其中:2001年04月30日前应加征滞纳金=246.91\n"
         "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=12345.67*10*0.002=246.91\n"
         "2001年05月01日后应加征滞纳金=55.56\n"
         "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=12345.67*9*0.0005=55.56\n"
         "税款与滞纳金合计=12648.14"},
        {"text_by_days", "--amount=5 --days-before 000 --days-after 030",
         "应缴税款金额=5.00\n或2001年05月01日后滞纳天数：30\n2001年04月30日前滞纳天数：0\n"
         "合计滞纳天数=30\n其中：2001年04月30日前滞纳天数=0\n2001年05月01日后滞纳天数=30\n"
         "合计应加征滞纳金=.08\n其中:2001年04月30日前应加征滞纳金=.00\n"
         "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=5.00*0*0.002=0.00\n"
         "2001年05月01日后应加征滞纳金=.08\n"
         "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=5.00*30*0.0005=0.08\n"
         "税款与滞纳金合计=5.08"},
        {"text_by_due_and_paid", "--amount 12345.67 --due 2001-04-20 --paid=2001-05-09",
         "应缴税款金额=12345.67\n缴款期限=2001-04-20\n实际缴款日期=2001-05-09\n"
         "滞纳金计算起始日期=2001-04-21\n终止日期=2001-05-10\n"
         "合计滞纳天数=19\n其中：2001年04月30日前滞纳天数=10\n2001年05月01日后滞纳天数=9\n"
         "合计应加征滞纳金=302.47\n其中:2001年04月30日前应加征滞纳金=246.91\n"
         "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=12345.67*10*0.002=246.91\n"
         "2001年05月01日后应加征滞纳金=55.56\n"
         "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=12345.67*9*0.0005=55.56\n"
         "税款与滞纳金合计=12648.14"},
        {"text_paid_in_time", "--amount 5 --due 2001-05-09 --paid 2001-05-01",
         "应缴税款金额=5.00\n缴款期限=2001-05-09\n实际缴款日期=2001-05-01\n"
         "合计滞纳天数=0\n其中：2001年04月30日前滞纳天数=0\n2001年05月01日后滞纳天数=0\n"
         "合计应加征滞纳金=.00\n其中:2001年04月30日前应加征滞纳金=.00\n"
         "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=5.00*0*0.002=0.00\n"
         "2001年05月01日后应加征滞纳金=.00\n"
         "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=5.00*0*0.0005=0.00\n"
         "税款与滞纳金合计=5.00\n备注=未逾期"},
        {"json_paid_on_the_last_day", "--amount 1000 --due 9999-12-30 --paid 9999-12-31 --json",
         R"({"days_before":0,"days_after":1,"total_days":1,"fee_before":"0.00",)"
         R"("fee_after":"0.50","total_fee":"0.50","tax_and_fee_total":"1000.50"})"},
        {"json_by_dates", "--amount 12345.67 --from 2001-04-21 --to 2001-05-10 --json",
         R"({"days_before":10,"days_after":9,"total_days":19,"fee_before":"246.91",)"
         R"("fee_after":"55.56","total_fee":"302.47","tax_and_fee_total":"12648.14"})"},
        {"json_zeros", "--amount .00 --from 2001-05-01 --to 2001-05-01 --json",
         R"({"days_before":0,"days_after":0,"total_days":0,"fee_before":"0.00",)"
         R"("fee_after":"0.00","total_fee":"0.00","tax_and_fee_total":"0.00"})"}};
    for (const auto& [name, args, out] : cases) {
        SCOPED_TRACE(name);
        const auto r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, out + "\n");
    }
}

// Refusals print nothing on standard output and one line on standard error.
TEST(SingleCalculation, RefusesWithOneLineAndTheStatusOfTheCause) {
    // Command line, exit status, message (after "orvandel-cli: " for usage errors).
    const std::tuple<const char*, int, std::string> cases[] = {
        {"--amount 1 --from 2001-05-02 --to 2001-05-01", 1, "起始日期应该小于终止日期！"},
        {"--amount 1 --from 2001-05-02 --to 2001-05-01 --json", 1, "起始日期应该小于终止日期！"},
        {"", 2, "nothing to do (see --help)"},
        {"--amount 1 --rate 2", 2, "unknown option --rate"},
        {"12345.67", 2, "unexpected argument 12345.67"},
        {"--from 2001-04-21 --amount", 2, "--amount needs a value"},
        {"--amount 1 --amount 2", 2, "--amount is given twice"},
        {"--from 2001-04-21 --to 2001-05-10", 2, "--amount is required (see --help)"},
        {"--amount 1", 2,
         "give --from and --to, --due and --paid, or --days-before and --days-after"},
        {"--amount 1 --from 2001-04-21", 2, "--from needs --to"},
        {"--amount 1 --from 2001-04-21 --to 2001-05-10 --days-before 1 --days-after 1", 2,
         "give --from and --to, --due and --paid, or --days-before and --days-after, only one of "
         "them"},
        {"--amount 1 --paid 2001-04-21 --days-before 1", 2,
         "give --from and --to, --due and --paid, or --days-before and --days-after, only one of "
         "them"},
        {"--amount 1 --paid 2001-04-21", 2, "--paid needs --due"},
        {"--amount 1x --due 2001-02-29 --paid 2001-05-01", 2, "--amount: not a number"},
        {"--amount 1 --due 2001-02-29 --paid 2001-05-01", 2, "--due: no such day"},
        {"--amount 1 --due 2001-02-28 --paid=", 2, "--paid: missing"},
        {"--batch in.csv --paid 2001-02-28", 2, "--paid cannot be used with --batch"},
        {"--amount -5 --days-before 1 --days-after 1", 2, "--amount: not a number"},
        {"--amount 1 --from 2001-02-28 --to 2001-5-10", 2, "--to: not a yyyy-mm-dd date"}};
    for (const auto& [args, status, message] : cases) {
        const auto r = run(args);
        EXPECT_EQ(r.status, status) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(r.err, (status == 2 ? "orvandel-cli: " : "") + message + "\n") << args;
    }
}

} // namespace
} // namespace orvandel::cli
