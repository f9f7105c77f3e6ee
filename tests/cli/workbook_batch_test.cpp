// The batch on workbooks: the batch's output typed into a workbook and read
// back gives the same CSV, and the command line picks formats by extension.
#include "workbook_batch.h"

#include "run_in_process.h"

#include "sheet/batch.h"
#include "sheet/csv.h"
#include "sheet/xlsx_reader.h"
#include "sheet/xlsx_writer.h"

#include "../sheet/cell_printer.h"

#include "calc/money.h"
#include "calc/number_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace orvandel::cli {
namespace {

using sheet::cell;
using sheet::cell_kind;

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string corpus() {
    return file_text(ORVANDEL_SHEET_DATA "/xlsx_corpus.csv");
}

std::string batch_csv(const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    sheet::batch_job job(in);
    EXPECT_TRUE(job.read_header()) << job.problem();
    job.run(out);
    return out.str();
}

TEST(WorkbookBatch, CorpusGoesCsvToXlsxToCsvUnchanged) {
    const std::string csv = batch_csv(corpus());
    const sheet::table typed = typed_results(csv, nullptr);
    const auto bytes = sheet::write_xlsx(typed);
    ASSERT_TRUE(bytes.ok()) << sheet::describe(bytes.error(), sheet::language::english);
    const auto back = sheet::read_xlsx(*bytes);
    ASSERT_TRUE(back.ok()) << sheet::describe(back.error(), sheet::language::english);
    EXPECT_TRUE(back->totals.has_value());
    EXPECT_EQ(table_as_csv(*back), csv);
}

// The records of a CSV text, each as its cells' texts.
std::vector<std::vector<std::string>> records(const std::string& csv) {
    std::istringstream in(csv);
    sheet::csv_reader reader(in);
    sheet::csv_record record;
    std::vector<std::vector<std::string>> out;
    std::string scratch;
    while (reader.next(record)) {
        out.emplace_back();
        for (const auto& c : record.cells) {
            out.back().emplace_back(sheet::cell_text(c, scratch));
        }
    }
    return out;
}

// Plain decimal text as its value in cents: "1000", "1000.00" and ".00" are
// 100000, 100000 and 0.
long long cents_of(const std::string& text) {
    const auto value = calc::parse_amount_text(text);
    return value ? calc::round_money(*value)->coefficient : -1;
}

// The shared corpus's expected batch output, as a workbook and back: every
// cell the same, except that an amount typed without two decimals ("1000",
// ".00") comes back at two ("1000.00", "0.00"), the same value, as a workbook
// shows amounts.
TEST(WorkbookBatch, SharedCorpusGoesCsvToXlsxToCsv) {
    const std::string expected = file_text(ORVANDEL_SHEET_DATA "/rows-zh.expected.csv");
    const auto bytes = sheet::write_xlsx(typed_results(expected, nullptr));
    ASSERT_TRUE(bytes.ok());
    const auto back = sheet::read_xlsx(*bytes);
    ASSERT_TRUE(back.ok());
    const auto want = records(expected);
    const auto got = records(table_as_csv(*back));
    ASSERT_EQ(got.size(), want.size());
    const std::size_t amount = 1; // 应缴税款金额
    ASSERT_EQ(want[0][amount], "应缴税款金额");
    for (std::size_t r = 0; r < want.size(); ++r) {
        ASSERT_EQ(got[r].size(), want[r].size()) << "row " << r;
        for (std::size_t c = 0; c < want[r].size(); ++c) {
            if (r > 0 && c == amount && got[r][c] != want[r][c]) {
                EXPECT_EQ(cents_of(got[r][c]), cents_of(want[r][c])) << want[r][0];
                EXPECT_EQ(got[r][c].size() - got[r][c].find('.'), 3u) << want[r][0];
            } else {
                EXPECT_EQ(got[r][c], want[r][c]) << want[r][0] << ", column " << want[0][c];
            }
        }
    }
}

TEST(WorkbookBatch, TypesComputedRowsAndKeepsBadRowsAsText) {
    const sheet::table typed = typed_results(batch_csv(corpus()), nullptr);
    const auto column = [&](std::string_view name) {
        return static_cast<std::size_t>(std::find(typed.header.begin(), typed.header.end(), name) -
                                        typed.header.begin());
    };
    const auto& good = typed.rows[0];
    EXPECT_EQ(good[column("amount")], cell::of_number("12345.67"));
    EXPECT_EQ(good[column("start_date")].kind, cell_kind::date);
    EXPECT_EQ(good[column("days_before")], cell::of_integer(10));
    EXPECT_EQ(good[column("total_fee")], cell::of_number("302.47"));
    EXPECT_EQ(good[column("remark")], cell::of_text("ordinary"));
    const auto& bad = typed.rows[7]; // "three decimals": its valid day counts stay text
    EXPECT_EQ(bad[column("amount")], cell::of_text("1.005"));
    EXPECT_EQ(bad[column("days_before")], cell::of_text("1"));
    EXPECT_EQ(bad[column("total_fee")].kind, cell_kind::empty);
    ASSERT_TRUE(typed.totals.has_value());
    const auto& totals = *typed.totals;
    EXPECT_EQ(totals[column("item")], cell::of_text("total"));
    EXPECT_EQ(totals[column("amount")].kind, cell_kind::sum);
    EXPECT_EQ(totals[column("start_date")].kind, cell_kind::empty);
    EXPECT_EQ(totals[column("error")], cell::of_text("left out for errors: 7"));
}

TEST(WorkbookBatch, WorkbookPaths) {
    for (const char* path : {"a.xlsx", "A.XLSX", "dir.csv/b.Xlsx", ".xlsx"}) {
        EXPECT_TRUE(is_workbook_path(path)) << path;
    }
    for (const char* path : {"a.csv", "a.xlsx.csv", "xlsx", "a.xls", "-"}) {
        EXPECT_FALSE(is_workbook_path(path)) << path;
    }
}

TEST(WorkbookBatch, CommandLineByExtension) {
    const std::string dir = testing::TempDir();
    const std::string in_csv = ORVANDEL_SHEET_DATA "/xlsx_corpus.csv";
    const std::string out_xlsx = dir + "orvandel_batch.xlsx";
    const std::string out_csv = dir + "orvandel_batch.csv";
    const auto direct = testing_support::run("--batch " + in_csv);
    EXPECT_EQ(direct.status, 1);
    EXPECT_EQ(testing_support::run("--batch " + in_csv + " -o " + out_xlsx).status, 1);
    // The workbook read back as the batch's input: every dated row now has
    // its day counts too, so compare the cells the reader gives.
    const auto table = sheet::read_xlsx(file_text(out_xlsx));
    ASSERT_TRUE(table.ok());
    EXPECT_EQ(table_as_csv(*table), direct.out);

    const auto from_workbook = testing_support::run("--batch " + out_xlsx + " -o " + out_csv);
    EXPECT_EQ(from_workbook.status, 1) << from_workbook.err;
    EXPECT_EQ(file_text(out_csv).substr(0, 20), direct.out.substr(0, 20));

    const auto sheet_csv = testing_support::run("--batch " + in_csv + " --sheet Data");
    EXPECT_EQ(sheet_csv.status, 2);
    EXPECT_EQ(sheet_csv.err, "orvandel-cli: --sheet needs an .xlsx input\n");
    const auto no_sheet = testing_support::run("--batch " + out_xlsx + " --sheet Nope");
    EXPECT_EQ(no_sheet.status, 2);
    EXPECT_EQ(no_sheet.err, "orvandel-cli: cannot read " + out_xlsx +
                                ": no worksheet has that name; the worksheets are: Sheet1\n");
    std::remove(out_xlsx.c_str());
    std::remove(out_csv.c_str());
}

TEST(WorkbookBatch, ABadWorkbookLeavesTheOutputAlone) {
    const std::string dir = testing::TempDir();
    const std::string fake = dir + "orvandel_fake.xlsx";
    const std::string out = dir + "orvandel_kept.csv";
    std::ofstream(fake, std::ios::binary) << "item,amount\r\nVAT,100\r\n";
    std::ofstream(out, std::ios::binary) << "keep me";
    const auto result = testing_support::run("--batch " + fake + " -o " + out);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.rfind("orvandel-cli: cannot read " + fake +
                                   ": not an Excel workbook (.xlsx), or a damaged one",
                               0),
              0u)
        << result.err;
    EXPECT_EQ(file_text(out), "keep me");
    std::remove(fake.c_str());
    std::remove(out.c_str());
}

} // namespace
} // namespace orvandel::cli
