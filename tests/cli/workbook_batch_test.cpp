// The batch on workbooks: the command line picks formats by extension, what
// it writes reads back in the batch with the same figures, in either format,
// and a bad workbook changes nothing. (Cell types, formats and totals, read by
// an independent reader: tests/sheet/xlsx_openpyxl_test.py.)
#include "run_in_process.h"

#include "sheet/csv.h"
#include "sheet/xlsx_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace orvandel::cli {
namespace {

using testing_support::run;

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The cells of a CSV text from `first` column on, a row a line.
std::vector<std::vector<std::string>> csv_cells(const std::string& text, std::size_t first) {
    std::istringstream in(text);
    sheet::csv_reader reader(in);
    sheet::csv_record record;
    std::vector<std::vector<std::string>> rows;
    std::string scratch;
    while (reader.next(record)) {
        std::vector<std::string> cells;
        for (std::size_t i = first; i < record.cells.size(); ++i) {
            cells.emplace_back(sheet::cell_text(record.cells[i], scratch));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

struct temporary_files {
    std::vector<std::string> paths;
    std::string operator()(const std::string& name) {
        paths.push_back(testing::TempDir() + name);
        return paths.back();
    }
    ~temporary_files() {
        for (const std::string& path : paths) {
            std::remove(path.c_str());
        }
    }
};

// What the batch writes, CSV or workbook, is read by the batch again with the
// same figures: its result columns are results, not a second pair, and a
// workbook's totals row is no item.
TEST(WorkbookBatch, WhatTheBatchWritesItReadsAgain) {
    temporary_files temp;
    const std::string in_csv = ORVANDEL_SHEET_DATA "/xlsx_corpus.csv";
    const std::string out_xlsx = temp("orvandel_round.XLSX");
    const auto direct = run("--batch " + in_csv);
    ASSERT_EQ(direct.status, 1);
    ASSERT_EQ(run("--batch " + in_csv + " -o " + out_xlsx).status, 1);
    // The figures begin after the input's seven columns.
    const auto figures = csv_cells(direct.out, 7);
    for (const std::string& again : {temp("orvandel_again.csv"), temp("orvandel_again.xlsx")}) {
        const std::string from = again.ends_with(".csv") ? out_xlsx : temp("orvandel_mid.csv");
        if (from != out_xlsx) {
            ASSERT_EQ(run("--batch " + in_csv + " -o " + from).status, 1);
        }
        const auto second = run("--batch " + from + " -o " + again);
        EXPECT_EQ(second.status, 1) << second.err;
        std::string text = file_text(again);
        if (again.ends_with(".xlsx")) {
            std::ostringstream csv;
            const auto table = sheet::read_xlsx(text);
            ASSERT_TRUE(table.ok());
            EXPECT_EQ(table->rows.size() + 1, figures.size());
            for (const auto& row : table->rows) {
                for (std::size_t c = 0; c < row.size(); ++c) {
                    csv << (c > 0 ? "," : "") << '"' << sheet::cell_text(row[c]) << '"';
                }
                csv << "\r\n";
            }
            text = "header\r\n" + csv.str();
        }
        const auto read_again = csv_cells(text, 7);
        ASSERT_EQ(read_again.size(), figures.size()) << again;
        for (std::size_t r = 1; r < figures.size(); ++r) {
            // A workbook's row ends at its last cell that is not empty.
            std::vector<std::string> cells = read_again[r];
            cells.resize(figures[r].size());
            EXPECT_EQ(cells, figures[r]) << again << " row " << r;
        }
    }
}

TEST(WorkbookBatch, SheetsAndBadWorkbooks) {
    temporary_files temp;
    const std::string in_csv = ORVANDEL_SHEET_DATA "/xlsx_corpus.csv";
    const std::string book = temp("orvandel_batch.xlsx");
    ASSERT_EQ(run("--batch " + in_csv + " -o " + book).status, 1);
    const auto sheet_csv = run("--batch " + in_csv + " --sheet Data");
    EXPECT_EQ(sheet_csv.status, 2);
    EXPECT_EQ(sheet_csv.err, "orvandel-cli: --sheet needs an .xlsx input\n");
    const auto no_sheet = run("--batch " + book + " --sheet Nope");
    EXPECT_EQ(no_sheet.status, 2);
    EXPECT_EQ(no_sheet.err, "orvandel-cli: cannot read " + book +
                                ": no worksheet has that name; the worksheets are: Sheet1\n");

    const std::string fake = temp("orvandel_fake.xlsx");
    const std::string out = temp("orvandel_kept.csv");
    std::ofstream(fake, std::ios::binary) << "item,amount\r\nVAT,100\r\n";
    std::ofstream(out, std::ios::binary) << "keep me";
    const auto result = run("--batch " + fake + " -o " + out);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.rfind("orvandel-cli: cannot read " + fake +
                                   ": not an Excel workbook (.xlsx), or a damaged one",
                               0),
              0u)
        << result.err;
    EXPECT_EQ(file_text(out), "keep me");
}

} // namespace
} // namespace orvandel::cli
