// The batch on workbooks: the command line picks formats by extension, the
// workbook it writes reads back as the same CSV, and a bad workbook changes
// nothing. (Cell types, formats and totals, read by an independent reader:
// tests/sheet/xlsx_openpyxl_test.py.)
#include "workbook_batch.h"

#include "run_in_process.h"

#include "sheet/xlsx_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace orvandel::cli {
namespace {

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
