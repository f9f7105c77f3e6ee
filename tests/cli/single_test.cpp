#include "run_in_process.h"

#include <gtest/gtest.h>

#include <string>

namespace orvandel::cli {
namespace {

using testing_support::run;

TEST(SingleCalculation, WritesTheFormLinesForAPeriodByDates) {
    const auto r = run({"--amount", "12345.67", "--from", "2001-04-21", "--to", "2001-05-10"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "应缴税款金额=12345.67\n"
              "滞纳金计算起始日期=2001-04-21\n"
              "终止日期=2001-05-10\n"
              "合计滞纳天数=19\n"
              "其中：2001年04月30日前滞纳天数=10\n"
              "2001年05月01日后滞纳天数=9\n"
              "合计应加征滞纳金=302.47\n"
              "其中:2001年04月30日前应加征滞纳金=246.91\n"
              "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=12345.67*10*0.002=246.91\n"
              "2001年05月01日后应加征滞纳金=55.56\n"
              "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=12345.67*9*0.0005=55.56\n"
              "税款与滞纳金合计=12648.14\n");
}

// The amount appears as the amount field shows it (".00", "5.00"), day counts
// typed with leading zeros as plain numbers, and zero surcharges as ".00".
TEST(SingleCalculation, WritesTheFormLinesForTypedDayCounts) {
    const auto r = run({"--amount=5", "--days-before", "000", "--days-after", "030"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "应缴税款金额=5.00\n"
                     "或2001年05月01日后滞纳天数：30\n"
                     "2001年04月30日前滞纳天数：0\n"
                     "合计滞纳天数=30\n"
                     "其中：2001年04月30日前滞纳天数=0\n"
                     "2001年05月01日后滞纳天数=30\n"
                     "合计应加征滞纳金=.08\n"
                     "其中:2001年04月30日前应加征滞纳金=.00\n"
                     "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)=5.00*0*0.002=0.00\n"
                     "2001年05月01日后应加征滞纳金=.08\n"
                     "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)=5.00*30*0.0005=0.08\n"
                     "税款与滞纳金合计=5.08\n");
}

struct json_case {
    const char* name;
    std::vector<std::string_view> args;
    const char* json;
};

// Test names and failure messages show the case by its name.
void PrintTo(const json_case& c, std::ostream* os) {
    *os << c.name;
}

class SingleJson : public testing::TestWithParam<json_case> {};

TEST_P(SingleJson, HasExactlyTheKeysAndTypes) {
    const json_case& c = GetParam();
    std::vector<std::string_view> args = c.args;
    args.push_back("--json");
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(run_cli(args, in, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), std::string(c.json) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Figures, SingleJson,
    testing::Values(
        json_case{"worked_dates",
                  {"--amount", "12345.67", "--from", "2001-04-21", "--to", "2001-05-10"},
                  R"({"days_before":10,"days_after":9,"total_days":19,"fee_before":"246.91",)"
                  R"("fee_after":"55.56","total_fee":"302.47","tax_and_fee_total":"12648.14"})"},
        json_case{"worked_days",
                  {"--amount", "1234.56", "--days-before", "15", "--days-after", "30"},
                  R"({"days_before":15,"days_after":30,"total_days":45,"fee_before":"37.04",)"
                  R"("fee_after":"18.52","total_fee":"55.56","tax_and_fee_total":"1290.12"})"},
        json_case{"zero_amount_same_day",
                  {"--amount", ".00", "--from", "2001-05-01", "--to", "2001-05-01"},
                  R"({"days_before":0,"days_after":0,"total_days":0,"fee_before":"0.00",)"
                  R"("fee_after":"0.00","total_fee":"0.00","tax_and_fee_total":"0.00"})"},
        json_case{
            "widest_amount_and_days",
            {"--amount", "999999999999.99", "--days-before", "999999", "--days-after", "999999"},
            R"({"days_before":999999,"days_after":999999,"total_days":1999998,)"
            R"("fee_before":"1999997999999980.00","fee_after":"499999499999995.00",)"
            R"("total_fee":"2499997499999975.00","tax_and_fee_total":"2500997499999974.99"})"},
        json_case{"days_ignore_date_order",
                  {"--amount", "2.50", "--days-before", "1", "--days-after", "0"},
                  R"({"days_before":1,"days_after":0,"total_days":1,"fee_before":"0.01",)"
                  R"("fee_after":"0.00","total_fee":"0.01","tax_and_fee_total":"2.51"})"}),
    [](const testing::TestParamInfo<json_case>& p) { return std::string(p.param.name); });

TEST(SingleCalculation, StartAfterEndGivesTheFormMessageAndNoFigures) {
    for (const bool json : {false, true}) {
        const auto r =
            json ? run({"--amount", "1", "--from", "2001-05-02", "--to", "2001-05-01", "--json"})
                 : run({"--amount", "1", "--from", "2001-05-02", "--to", "2001-05-01"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "起始日期应该小于终止日期！\n");
    }
}

struct refusal_case {
    const char* name;
    std::vector<std::string_view> args;
    const char* message; // the whole line on standard error
};

// Test names and failure messages show the case by its name.
void PrintTo(const refusal_case& c, std::ostream* os) {
    *os << c.name;
}

class SingleRefusal : public testing::TestWithParam<refusal_case> {};

TEST_P(SingleRefusal, IsAUsageErrorWithOneLine) {
    const refusal_case& c = GetParam();
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(run_cli(c.args, in, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "orvandel-cli: " + std::string(c.message) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, SingleRefusal,
    testing::Values(
        refusal_case{"nothing", {}, "nothing to do (see --help)"},
        refusal_case{"unknown_option", {"--amount", "1", "--rate", "2"}, "unknown option --rate"},
        refusal_case{"stray_argument", {"12345.67"}, "unexpected argument 12345.67"},
        refusal_case{
            "missing_value", {"--from", "2001-04-21", "--amount"}, "--amount needs a value"},
        refusal_case{"given_twice", {"--amount", "1", "--amount", "2"}, "--amount is given twice"},
        refusal_case{"no_amount",
                     {"--from", "2001-04-21", "--to", "2001-05-10"},
                     "--amount is required (see --help)"},
        refusal_case{"no_period",
                     {"--amount", "1"},
                     "give --from and --to, or --days-before and --days-after"},
        refusal_case{"half_a_pair", {"--amount", "1", "--from", "2001-04-21"}, "--from needs --to"},
        refusal_case{"both_pairs",
                     {"--amount", "1", "--from", "2001-04-21", "--to", "2001-05-10",
                      "--days-before", "1", "--days-after", "1"},
                     "give --from and --to, or --days-before and --days-after, not both"},
        refusal_case{"output_without_batch",
                     {"--amount", "1", "--days-before", "1", "--days-after", "1", "-o", "x"},
                     "-o needs --batch"},
        refusal_case{
            "json_with_batch", {"--batch", "-", "--json"}, "--json cannot be used with --batch"},
        refusal_case{"bad_amount",
                     {"--amount", "-5", "--days-before", "1", "--days-after", "1"},
                     "--amount: not a number"},
        refusal_case{"wide_amount",
                     {"--amount", "1000000000000", "--days-before", "1", "--days-after", "1"},
                     "--amount: more than 12 integer digits"},
        refusal_case{"bad_date",
                     {"--amount", "1", "--from", "2001-02-29", "--to", "2001-05-10"},
                     "--from: no such day"},
        refusal_case{"bad_end_date",
                     {"--amount", "1", "--from", "2001-02-28", "--to", "2001-5-10"},
                     "--to: not a yyyy-mm-dd date"},
        refusal_case{"bad_day_count",
                     {"--amount", "1", "--days-before", "1234567", "--days-after", "1"},
                     "--days-before: more than 6 digits"}),
    [](const testing::TestParamInfo<refusal_case>& p) { return std::string(p.param.name); });

TEST(SingleCalculation, HelpNamesEveryOptionAndExitsZero) {
    const auto r = run({"--amount", "1", "--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* word : {"--amount", "--from", "--to", "--days-before", "--days-after",
                             "--json", "--batch", "-o", "error", "Exit status"}) {
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
}

} // namespace
} // namespace orvandel::cli
