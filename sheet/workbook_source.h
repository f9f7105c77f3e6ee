// A worksheet of an Excel workbook as a source of CSV records (reader.h), so
// that its rows are read by the very rules a CSV file is, and its typed cells
// are there beside them: the number formats for amounts a formula computed,
// and the cells the batch passes through into a workbook it writes. Rows are
// read one at a time (xlsx_rows): memory does not grow with the sheet.
#pragma once

#include "sheet/reader.h"
#include "sheet/xlsx_reader.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace orvandel::sheet {

class workbook_source final : public record_source {
public:
    // Opens the worksheet options.sheet (else the first) of the workbook at
    // `path`; nothing, and why, when it cannot be read.
    [[nodiscard]] static calc::result<std::unique_ptr<workbook_source>, xlsx_read_problem>
    open(const std::filesystem::path& path, const xlsx_read_options& options = {});

    bool next(csv_record& record) override;
    [[nodiscard]] const std::vector<cell>* typed_cells() const override { return &typed_; }
    // A header of other than ASCII text starts a CSV file written from the
    // sheet with a byte order mark, so that spreadsheets read it as UTF-8.
    [[nodiscard]] bool had_bom() const override { return bom_; }
    [[nodiscard]] std::string problem(language lang) const override;

    // Bytes of the worksheet read so far and in all, for a progress bar.
    [[nodiscard]] std::uint64_t done() const { return rows_.done(); }
    [[nodiscard]] std::uint64_t total() const { return rows_.total(); }

private:
    explicit workbook_source(xlsx_rows rows) : rows_(std::move(rows)) {}

    xlsx_rows rows_;
    std::size_t width_ = 0; // the header's
    std::vector<cell> typed_;
    std::vector<std::string> texts_;
    std::string line_;
    bool bom_ = false;
};

} // namespace orvandel::sheet
