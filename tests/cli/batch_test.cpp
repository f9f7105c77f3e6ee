#include "batch.h"
#include "run_in_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvandel::cli {
namespace {

using namespace std::string_literals;
using testing_support::run;

// The columns appended to an input that has none of them.
const std::string added = "days_before,days_after,total_days,fee_before,fee_after,total_fee,"
                          "tax_and_fee_total,error";
const std::string worked = "10,9,19,246.91,55.56,302.47,12648.14,";
const std::string no_figures = ",,,,,,,";

struct batch_case {
    const char* name;
    std::string input;
    std::string output;
    int status;
};

// Test names and failure messages show the case by its name.
void PrintTo(const batch_case& c, std::ostream* os) {
    *os << c.name;
}

class Batch : public testing::TestWithParam<batch_case> {};

TEST_P(Batch, WritesEveryRowWithItsFiguresOrItsError) {
    const batch_case& c = GetParam();
    const auto r = run({"--batch", "-"}, c.input);
    EXPECT_EQ(r.out, c.output);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err, "");
}

// Reading in tiny blocks splits records, quotes and CRLF pairs between reads;
// the output must not change.
TEST_P(Batch, GivesTheSameOutputWhenReadInTinyBlocks) {
    const batch_case& c = GetParam();
    const std::size_t blocks[] = {1, 3, 7};
    for (const std::size_t block : blocks) {
        std::istringstream in(c.input);
        std::ostringstream out;
        batch_job job(in, block);
        ASSERT_TRUE(job.read_header());
        EXPECT_EQ(static_cast<int>(job.run(out)), c.status);
        EXPECT_EQ(out.str(), c.output) << "block " << block;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Contract, Batch,
    testing::Values(
        batch_case{"worked_example", "amount,start_date,end_date\n12345.67,2001-04-21,2001-05-10\n",
                   "amount,start_date,end_date," + added + "\n12345.67,2001-04-21,2001-05-10," +
                       worked + "\n",
                   0},
        batch_case{"crlf_kept_and_last_line_ended",
                   "amount,start_date,end_date\r\n12345.67,2001-04-21,2001-05-10",
                   "amount,start_date,end_date," + added + "\r\n12345.67,2001-04-21,2001-05-10," +
                       worked + "\r\n",
                   0},
        batch_case{"byte_order_mark_kept",
                   "\xEF\xBB\xBF"
                   "amount,days_before,days_after\n1,0,0\n",
                   "\xEF\xBB\xBF"
                   "amount,days_before,days_after,total_days,fee_before,fee_after,"
                   "total_fee,tax_and_fee_total,error\n1,0,0,0,0.00,0.00,0.00,1.00,\n",
                   0},
        batch_case{"header_only", "note,amount", "note,amount," + added + "\r\n", 0},
        batch_case{"other_cells_byte_for_byte",
                   "name,amount,start_date,memo,end_date\n"
                   "\xD5\xC5\xC8\xFD,12345.67,2001-04-21,\"a,b\r\nc \"\"q\"\"\",2001-05-10\n"s
                   "\"\xFF\x00\",1,2001-05-01,x\"y,2001-05-01\n"s,
                   "name,amount,start_date,memo,end_date," + added + "\n" +
                       "\xD5\xC5\xC8\xFD,12345.67,2001-04-21,\"a,b\r\nc \"\"q\"\"\",2001-05-10," +
                       worked +
                       "\n\"\xFF\x00\",1,2001-05-01,x\"y,2001-05-01,0,0,0,0.00,0.00,0.00,1.00,\n"s,
                   0},
        batch_case{"quoted_recognised_cells",
                   "\"amount\",start_date,end_date\n\"12345.67\",\"2001-04-21\",2001-05-10\n",
                   "\"amount\",start_date,end_date," + added +
                       "\n\"12345.67\",\"2001-04-21\",2001-05-10," + worked + "\n",
                   0},
        batch_case{
            "result_columns_filled_in_place",
            "error,fee_after,amount,days_after,days_before,id\n"
            "old,1.00,1234.56,030,15,a\n"
            "old,1.00,x,030,15,b\n",
            "error,fee_after,amount,days_after,days_before,id,total_days,fee_before,total_fee,"
            "tax_and_fee_total\n"
            ",18.52,1234.56,30,15,a,45,37.04,55.56,1290.12\n"
            "amount: not a number,,x,030,15,b,,,,\n",
            1},
        batch_case{
            "bad_rows_of_every_kind",
            "amount,start_date,end_date,days_before,days_after\n"
            "12345.67,2001-04-21,2001-05-10,,\n"
            ",2001-04-21,2001-05-10,,\n"
            "1.234,2001-04-21,2001-05-10,,\n"
            "1000000000000,2001-04-21,2001-05-10,,\n"
            "1,2001-05-02,2001-05-01,,\n"
            "1,2001-02-29,2001/05/01,,\n"
            "1,2001-04-21,,,\n"
            "1,2001-04-21,2001-05-10,1,2\n"
            "1,,,,\n"
            "1,,,1.5,1234567\n"
            "oops,2001-05-02,2001-05-01,,\n"
            "1,2001-04-21\n"
            "1,2001-04-21,2001-05-10,,,surplus\n"
            "1,,,0,\"0\n",
            "amount,start_date,end_date,days_before,days_after,total_days,fee_before,fee_after,"
            "total_fee,tax_and_fee_total,error\n"
            "12345.67,2001-04-21,2001-05-10,10,9,19,246.91,55.56,302.47,12648.14,\n"
            ",2001-04-21,2001-05-10,,,,,,,,amount: missing\n"
            "1.234,2001-04-21,2001-05-10,,,,,,,,amount: more than 2 decimals\n"
            "1000000000000,2001-04-21,2001-05-10,,,,,,,,amount: more than 12 integer digits\n"
            "1,2001-05-02,2001-05-01,,,,,,,,start_date: later than the end date\n"
            "1,2001-02-29,2001/05/01,,,,,,,,start_date: no such day; end_date: not a "
            "yyyy-mm-dd date\n"
            "1,2001-04-21,,,,,,,,,end_date: missing\n"
            "1,2001-04-21,2001-05-10,1,2,,,,,,start_date/end_date and days_before/days_after: "
            "give only one of the two pairs\n"
            "1,,,,,,,,,,start_date/end_date or days_before/days_after: missing\n"
            "1,,,1.5,1234567,,,,,,days_before: not a whole number; days_after: more than 6 "
            "digits\n"
            "oops,2001-05-02,2001-05-01,,,,,,,,amount: not a number; start_date: later than "
            "the end date\n"
            "1,2001-04-21,,,,,,,,,row: 2 cells but the header has 5\n"
            "1,2001-04-21,2001-05-10,,,,,,,,row: 6 cells but the header has 5,surplus\n"
            "1,,,0,\"0\n\",,,,,,row: the input ends inside a quoted cell\n",
            1},
        batch_case{"bad_row_leaves_appended_day_counts_empty",
                   "amount,start_date,end_date\n,2001-04-21,2001-05-10\n",
                   "amount,start_date,end_date," + added +
                       "\n,2001-04-21,2001-05-10,,,,,,,,amount: missing\n",
                   1},
        batch_case{"blank_lines", "amount,days_before,days_after\n1,0,0\n\n1,0,0\n\n\n",
                   "amount,days_before,days_after,total_days,fee_before,fee_after,total_fee,"
                   "tax_and_fee_total,error\n1,0,0,0,0.00,0.00,0.00,1.00,\n"
                   ",,,,,,,,row: 1 cell but the header has 3\n1,0,0,0,0.00,0.00,0.00,1.00,\n",
                   1}),
    [](const testing::TestParamInfo<batch_case>& p) { return std::string(p.param.name); });

// A row longer than the input and output buffers and enough rows to fill
// them several times over: nothing may be lost or repeated where they wrap.
TEST(Batch, KeepsLongRowsAndManyRowsWhole) {
    const std::string header = "amount,memo,start_date,end_date";
    std::string input = header + "\n";
    std::string expected = header + "," + added + "\n";
    for (int i = 0; i < 60000; ++i) {
        const std::string memo =
            i == 3 ? std::string(std::size_t{3} << 20, 'm') : std::to_string(i);
        const std::string row = "12345.67," + memo + ",2001-04-21,2001-05-10";
        input += row + "\n";
        expected += row + "," + worked + "\n";
    }
    const auto r = run({"--batch", "-"}, input);
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out.size(), expected.size());
    EXPECT_TRUE(r.out == expected);
}

struct unusable_case {
    const char* name;
    std::string input;
    const char* message;
};

TEST(Batch, RefusesAnInputWithoutAUsableHeader) {
    const unusable_case cases[] = {
        {"empty", "", "the input is empty; a header row is required"},
        {"bom_only", "\xEF\xBB\xBF", "the input is empty; a header row is required"},
        {"no_amount", "start_date,end_date\n2001-04-21,2001-05-10\n",
         "the header has no amount column"},
        {"amount_twice", "amount,x,amount\n1,2,3\n", "the header names the column amount twice"},
        {"result_twice", "amount,error,error\n", "the header names the column error twice"},
    };
    for (const unusable_case& c : cases) {
        const auto r = run({"--batch", "-"}, c.input);
        EXPECT_EQ(r.status, 2) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(r.err, "orvandel-cli: " + std::string(c.message) + "\n") << c.name;
    }
}

// Files on disk: a temporary directory per test.
class BatchFiles : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orvandel-cli-test-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const char* name) const { return (dir_ / name).string(); }
    static void write(const std::string& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::filesystem::path dir_;
};

TEST_F(BatchFiles, WritesTheOutputFile) {
    write(path("in.csv"), "amount,start_date,end_date\n12345.67,2001-04-21,2001-05-10\n");
    const auto r = run({"--batch", path("in.csv"), "-o", path("out.csv")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read(path("out.csv")), "amount,start_date,end_date," + added +
                                         "\n12345.67,2001-04-21,2001-05-10," + worked + "\n");
}

TEST_F(BatchFiles, NeverOverwritesTheInputOrEmptiesTheOutputForNothing) {
    const std::string input = "amount\n1\n";
    write(path("in.csv"), input);
    write(path("out.csv"), "previous");
    write(path("bad.csv"), "tax,start_date,end_date\n");

    const std::string relative_input = (dir_ / "." / "in.csv").string();
    auto r = run({"--batch", path("in.csv"), "-o", relative_input});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "orvandel-cli: -o names the input file; write the output elsewhere\n");
    EXPECT_EQ(read(path("in.csv")), input);

    r = run({"--batch", path("bad.csv"), "-o", path("out.csv")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(read(path("out.csv")), "previous");

    r = run({"--batch", path("missing.csv"), "-o", path("out.csv")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("orvandel-cli: cannot open " + path("missing.csv") + ": ", 0), 0U)
        << r.err;
    EXPECT_EQ(read(path("out.csv")), "previous");

    r = run({"--batch", path("in.csv"), "-o", path("no-such-dir/out.csv")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("orvandel-cli: cannot open " + path("no-such-dir/out.csv"), 0), 0U);
}

TEST(BatchOutput, AFailedWriteIsAnErrorNotSuccess) {
    std::istringstream in("amount,days_before,days_after\n1,0,0\n");
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    batch_job job(in);
    ASSERT_TRUE(job.read_header());
    EXPECT_EQ(job.run(out), batch_status::unusable);
    EXPECT_EQ(job.problem(), "cannot write the output");
}

} // namespace
} // namespace orvandel::cli
