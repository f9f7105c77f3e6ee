#include "run_in_process.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace orvandel::cli {
namespace {

using testing_support::run;

constexpr const char* worked = "--amount 100000 --due 2019-06-15 --payment 2019-08-01=30000 "
                               "--payment=2020-05-01=75000";

TEST(DebtCalculation, WritesTheTableOrOneJsonObject) {
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"table", worked,
         "应缴税款金额=100000.00\n缴款期限=2019-06-15\n分段计算：\n"
         "2019-06-16至2019-08-01 欠缴税款100000.00 滞纳天数47 "
         "滞纳金=100000.00*47*0.0005=2350.00\n"
         "2019-08-02至2020-05-01 欠缴税款70688.81 滞纳天数274 "
         "滞纳金=70688.81*274*0.0005=9684.37\n缴款分配：\n"
         "2019-08-01 缴款30000.00 配比（国税发〔2004〕66号）：抵缴税款29311.19 "
         "抵缴滞纳金688.81 多缴0.00 尚欠税款70688.81 尚欠滞纳金1661.19\n"
         "  抵缴税款=30000.00*100000.00/(100000.00+2350.00)=29311.19\n"
         "2020-05-01 缴款75000.00 先税后滞纳金（国家税务总局公告2019年第48号）："
         "抵缴税款70688.81 抵缴滞纳金4311.19 多缴0.00 尚欠税款0.00 尚欠滞纳金7034.37\n"
         "合计应加征滞纳金=12034.37\n按行政强制法第四十五条封顶=12034.37\n已缴滞纳金=5000.00\n"
         "尚欠滞纳金=7034.37\n尚欠税款=0.00\n多缴=0.00\n"},
        {"json", std::string(worked) + " --json",
         R"({"tax":"100000.00","total_fee":"12034.37","capped_total_fee":"12034.37",)"
         R"("fee_paid":"5000.00","fee_outstanding":"7034.37","tax_outstanding":"0.00",)"
         R"("excess":"0.00","segments":[{"start":"2019-06-16","end":"2019-08-01",)"
         R"("ends":"payment","tax":"100000.00","days_before":0,"days_after":47,)"
         R"("fee_before":"0.00","fee_after":"2350.00","total_fee":"2350.00"},)"
         R"({"start":"2019-08-02","end":"2020-05-01","ends":"payment","tax":"70688.81",)"
         R"("days_before":0,"days_after":274,"fee_before":"0.00","fee_after":"9684.37",)"
         R"("total_fee":"9684.37"}],"payments":[{"date":"2019-08-01","amount":"30000.00",)"
         R"("rule":"proportional","tax_due":"100000.00","fee_due":"2350.00",)"
         R"("to_tax":"29311.19","to_fee":"688.81","excess":"0.00",)"
         R"("tax_outstanding":"70688.81","fee_outstanding":"1661.19"},)"
         R"({"date":"2020-05-01","amount":"75000.00","rule":"tax_first",)"
         R"("tax_due":"70688.81","fee_due":"11345.56","to_tax":"70688.81",)"
         R"("to_fee":"4311.19","excess":"0.00","tax_outstanding":"0.00",)"
         R"("fee_outstanding":"7034.37"}]})"
         "\n"},
        // Nothing accrues: empty lists, and the stop date shown.
        {"json, stopped on the deadline", "--amount 5 --due 2020-01-31 --stop 2020-01-31 --json",
         R"({"tax":"5.00","total_fee":"0.00","capped_total_fee":"0.00","fee_paid":"0.00",)"
         R"("fee_outstanding":"0.00","tax_outstanding":"5.00","excess":"0.00",)"
         R"("segments":[],"payments":[]})"
         "\n"},
        // The form's worked example, unpaid through the day: both sides of 2001-05-01.
        {"table, unpaid", "--amount 12345.67 --due 2001-04-20 --as-of 2001-05-09",
         "应缴税款金额=12345.67\n缴款期限=2001-04-20\n计算截止日期=2001-05-09\n分段计算：\n"
         "2001-04-21至2001-05-09 欠缴税款12345.67 滞纳天数19 "
         "滞纳金=12345.67*10*0.002+12345.67*9*0.0005=246.91+55.56=302.47（至计算截止日期）\n"
         "合计应加征滞纳金=302.47\n按行政强制法第四十五条封顶=302.47\n已缴滞纳金=0.00\n"
         "尚欠滞纳金=302.47\n尚欠税款=12345.67\n多缴=0.00\n"},
        {"table, capped and stopped",
         "--amount 100 --due 1995-12-31 --as-of 2001-05-02 --stop 2001-04-30",
         "应缴税款金额=100.00\n缴款期限=1995-12-31\n计算截止日期=2001-05-02\n停止计算日期=2001-04-"
         "30\n"
         "分段计算：\n1996-01-01至2001-04-30 欠缴税款100.00 滞纳天数1947 "
         "滞纳金=100.00*1947*0.002=389.40（至停止计算日期）\n合计应加征滞纳金=389.40\n"
         "按行政强制法第四十五条封顶=100.00\n已缴滞纳金=0.00\n尚欠滞纳金=389.40\n"
         "尚欠税款=100.00\n多缴=0.00\n"},
    };
    for (const auto& [name, args, out] : cases) {
        SCOPED_TRACE(name);
        const auto r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, out);
    }
}

// A debt with no payment through a day, or paid in full on it, has the
// surcharge of --due and --paid on that day.
TEST(DebtCalculation, PaidOnceIsTheSingleCalculation) {
    const auto total_fee = [](const std::string& json) {
        const std::size_t at = json.find("\"total_fee\":\"") + 13;
        return json.substr(at, json.find('"', at) - at);
    };
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"12345.67", "2001-04-20", "2001-05-09", "12648.14"},
        {"999999999.99", "1999-12-31", "2024-02-29", "2000000000.00"},
        {"0.01", "2020-02-28", "2020-03-01", "1"},
    };
    for (const auto& [amount, due, day, payment] : cases) {
        const std::string debt = std::string("--amount ") + amount + " --due " + due + " --json";
        const auto single = run(debt + " --paid " + day);
        ASSERT_EQ(single.status, 0) << due;
        for (const std::string& end :
             {std::string(" --as-of ") + day, std::string(" --payment ") + day + "=" + payment}) {
            const auto r = run(debt + end);
            ASSERT_EQ(r.status, 0) << end << r.err;
            EXPECT_EQ(total_fee(r.out), total_fee(single.out)) << end;
        }
    }
}

TEST(DebtCalculation, RefusesWithOneLineAndStatusTwo) {
    const std::string debt = "--amount 100 --due 2020-01-31 ";
    const std::tuple<std::string, std::string> cases[] = {
        {debt + "--payment 2020-02-05=10", "tax is still owed after the last payment: give "
                                           "--as-of DATE, the last day its surcharge runs"},
        {debt + "--payment 2020-02-05=0 --as-of 2020-03-01",
         "--payment 2020-02-05=0: amount: not above zero"},
        {debt + "--payment 2020-02-05=1 --payment 2020-02-04=1 --as-of 2020-03-01",
         "--payment 2020-02-04=1: dated before the payment given before it"},
        {debt + "--payment 2020-02-05=1.005",
         "--payment 2020-02-05=1.005: amount: more than 2 decimals"},
        {debt + "--payment 2020-02-30=1", "--payment 2020-02-30=1: date: no such day"},
        {debt + "--payment 2020-02-05", "--payment 2020-02-05: give DATE=AMOUNT"},
        {debt + "--stop 2020-01-30", "--stop: before --due"},
        {debt + "--as-of 2020-1-30", "--as-of: not a yyyy-mm-dd date"},
        {debt + "--payment 2020-02-05=1 --as-of 2020-02-04",
         "--as-of: before the last payment, and tax is still owed after it"},
        {"--amount 100 --as-of 2020-02-04", "--due is required with --payment, --as-of or --stop"},
        {debt + "--paid 2020-02-04 --stop 2020-02-04",
         "--paid cannot be used with --payment, --as-of or --stop"},
        {"--batch in.csv --stop 2020-02-04", "--stop cannot be used with --batch"},
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
