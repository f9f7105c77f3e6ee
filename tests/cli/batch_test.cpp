#include "run_in_process.h"

#include "sheet/batch.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

namespace orvandel::cli {
namespace {

using namespace std::string_literals;
using sheet::batch_job;
using testing_support::run;

// The columns appended to an input that has none of them, and the worked example's figures.
const std::string added = "days_before,days_after,total_days,fee_before,fee_after,total_fee,"
                          "tax_and_fee_total,error";
const std::string worked = "10,9,19,246.91,55.56,302.47,12648.14,";

// Every input is read in blocks of several sizes, so that records, quotes and
// CRLF pairs are split between reads: the output must not change.
TEST(Batch, WritesEveryRowWithItsFiguresOrItsError) {
    // Name, input, output, status.
    const std::tuple<const char*, std::string, std::string, int> cases[] = {
        {"crlf_and_byte_order_mark_kept_last_line_unended",
         "\xEF\xBB\xBF"
         "amount,start_date,end_date\r\n12345.67,2001-04-21,2001-05-10\r\n"
         ",2001-04-21,2001-05-10",
         "\xEF\xBB\xBF"
         "amount,start_date,end_date," +
             added + "\r\n12345.67,2001-04-21,2001-05-10," + worked +
             "\r\n,2001-04-21,2001-05-10,,,,,,,,amount: missing\r\n",
         1},
        {"header_only", "note,amount", "note,amount," + added + "\r\n", 0},
        // "2001-04"-21 reads as 2001-04-21: text after a closing quote stays in the cell.
        {"other_and_quoted_cells_byte_for_byte",
         "name,\"amount\",start_date,memo,end_date\n"
         "\xD5\xC5\xC8\xFD,\"12345.67\",\"2001-04\"-21,\"a,b\r\nc \"\"q\"\"\",2001-05-10\n"s
         "\"\xFF\x00\",1,2001-05-01,x\"y,2001-05-01\n"s,
         "name,\"amount\",start_date,memo,end_date," + added + "\n" +
             "\xD5\xC5\xC8\xFD,\"12345.67\",\"2001-04\"-21,\"a,b\r\nc \"\"q\"\"\",2001-05-10," +
             worked + "\n\"\xFF\x00\",1,2001-05-01,x\"y,2001-05-01,0,0,0,0.00,0.00,0.00,1.00,\n"s,
         0},
        {"result_columns_filled_in_place",
         "error,fee_after,amount,days_after,days_before,id\nold,1.00,1234.56,030,15,a\n"
         "old,1.00,x,030,15,b\nold,1.00,1,030\n",
         "error,fee_after,amount,days_after,days_before,id,total_days,fee_before,total_fee,"
         "tax_and_fee_total\n,18.52,1234.56,30,15,a,45,37.04,55.56,1290.12\n"
         "amount: not a number,,x,030,15,b,,,,\n"
         "row: 4 cells but the header has 6,,1,030,,,,,,\n",
         1},
        // A blank line before a row is a blank row; blank lines at the end are dropped.
        {"rows_unlike_the_header",
         "amount,start_date,end_date\n1,2001-04-21\n\n1,2001-04-21,2001-05-10,surplus\n\n\n",
         "amount,start_date,end_date," + added +
             "\n1,2001-04-21,,,,,,,,,row: 2 cells but the header has 3\n"
             ",,,,,,,,,,\n" // a blank row: no item, no error
             "1,2001-04-21,2001-05-10,,,,,,,,row: 4 cells but the header has 3,surplus\n",
         1},
        {"input_ends_inside_quotes", "days_before,amount,days_after\n0,1,\"0\n",
         "days_before,amount,days_after,total_days,fee_before,fee_after,total_fee,"
         "tax_and_fee_total,error\n0,1,\"0\n\",,,,,,row: the input ends inside a quoted cell\n",
         1}};
    for (const auto& [name, input, output, status] : cases) {
        for (const std::size_t block : {1U, 3U, 7U, 1U << 20}) {
            std::istringstream in(input);
            std::ostringstream out;
            batch_job job(in, block);
            ASSERT_TRUE(job.read_header()) << name;
            EXPECT_EQ(static_cast<int>(job.run(out)), status) << name;
            EXPECT_EQ(out.str(), output) << name << ", block " << block;
        }
    }
}

// A bad row keeps its cells, gets empty figures and names every wrong field;
// the good rows around it are computed.
TEST(Batch, NamesEveryWrongFieldOfABadRow) {
    const std::pair<const char*, const char*> rows[] = {
        {"1,2001-02-29,2001/05/01,,", "start_date: no such day; end_date: not a yyyy-mm-dd date"},
        {"1,2001-04-21,2001-05-10,1,2",
         "start_date/end_date and days_before/days_after: give only one of the two pairs"},
        {"1,,,1.5,1234567", "days_before: not a whole number; days_after: more than 6 digits"}};
    const std::string header = "amount,start_date,end_date,days_before,days_after";
    std::string input = header + "\n";
    std::string expected =
        header + ",total_days,fee_before,fee_after,total_fee,tax_and_fee_total,error\n";
    for (const auto& [row, error] : rows) {
        input += row + "\n12345.67,2001-04-21,2001-05-10,,\n"s;
        expected += row + ",,,,,,"s + error + "\n12345.67,2001-04-21,2001-05-10," + worked + "\n";
    }
    const auto r = run("--batch -", input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, expected);
}

// A row longer than the input and output buffers and enough rows to fill
// them several times over: nothing may be lost or repeated where they wrap.
TEST(Batch, KeepsLongRowsAndManyRowsWhole) {
    std::string input = "amount,memo,start_date,end_date\n";
    std::string expected = "amount,memo,start_date,end_date," + added + "\n";
    for (int i = 0; i < 60000; ++i) {
        const std::string memo =
            i == 3 ? std::string(std::size_t{3} << 20, 'm') : std::to_string(i);
        input += "12345.67," + memo + ",2001-04-21,2001-05-10\n";
        expected += "12345.67," + memo + ",2001-04-21,2001-05-10," + worked + "\n";
    }
    const auto r = run("--batch -", input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == expected) << r.out.size() << " bytes instead of " << expected.size();
}

// The output file is written, but never over the input, and never emptied
// when the input or the output cannot be used.
TEST(BatchFiles, WritesTheOutputButNeverOverTheInputOrForNothing) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("orvandel-cli-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto path = [&](const char* name) { return (dir / name).string(); };
    const auto read = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    std::ofstream(path("in.csv"), std::ios::binary)
        << "amount,start_date,end_date\n12345.67,2001-04-21,2001-05-10\n";
    const auto r = run("--batch " + path("in.csv") + " -o " + path("out.csv"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string output =
        "amount,start_date,end_date," + added + "\n12345.67,2001-04-21,2001-05-10," + worked + "\n";
    EXPECT_EQ(read(path("out.csv")), output);

    // What the input holds (nullptr: it is missing), the output named, how the message starts.
    const std::tuple<const char*, const char*, std::string> refusals[] = {
        {"", "out.csv", "the input is empty; a header row is required\n"},
        {"start_date,end_date\n2001-04-21,2001-05-10\n", "out.csv",
         "the header has no amount column\n"},
        {nullptr, "out.csv", "cannot open " + path("bad.csv") + ": "},
        {"amount\n1\n", "./bad.csv", "-o names the input file; write the output elsewhere\n"}};
    for (const auto& [input, output_name, message] : refusals) {
        std::filesystem::remove(path("bad.csv"));
        if (input != nullptr) {
            std::ofstream(path("bad.csv"), std::ios::binary) << input;
        }
        const auto refused = run("--batch " + path("bad.csv") + " -o " + path(output_name));
        EXPECT_EQ(refused.status, 2) << message;
        EXPECT_EQ(refused.err.rfind("orvandel-cli: " + message, 0), 0U) << refused.err;
        EXPECT_EQ(read(path("bad.csv")), input != nullptr ? input : "");
        EXPECT_EQ(read(path("out.csv")), output);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace orvandel::cli
