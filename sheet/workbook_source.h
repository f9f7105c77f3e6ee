// A worksheet of an Excel workbook as a source of CSV records (reader.h), so
// that its rows are read by the very rules a CSV file is, and its typed cells
// are there beside them: the number formats for amounts a formula computed,
// and the cells the batch passes through into a workbook it writes.
#pragma once

#include "sheet/reader.h"
#include "sheet/xlsx_reader.h"

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

private:
    explicit workbook_source(table sheet);

    table sheet_;
    std::size_t next_row_ = 0; // 0 the header, then rows
    std::vector<cell> typed_;
    std::string line_;
    bool bom_ = false;
};

} // namespace orvandel::sheet
