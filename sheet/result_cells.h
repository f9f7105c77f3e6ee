// The typed cells of a sheet of results, for a workbook: the same rules for
// the command line's batch and the worksheet, so that both write the same
// workbook for the same rows.
#pragma once

#include "sheet/columns.h"
#include "sheet/table.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvandel::sheet {

// The cell for `text` in column `role` (nothing for a column the sheet does
// not know) of a computed row, by the column's kind: money columns are
// numbers, day counts integers, dates dates, all else text. In a row left out for errors, every
// cell is the text given, so that no total counts it.
[[nodiscard]] cell result_cell(std::optional<column> role, std::string text, bool row_computed);

// "另有3行有误，未计入合计" / "3 rows left out of the totals for errors": what a
// totals row says of the rows it leaves out.
[[nodiscard]] std::string left_out_text(std::size_t rows, language lang);

// The totals row of a sheet whose columns have the roles `roles`: a sum in
// each summed column (facts().summed), "合计"/"total" in 项目/item (or else
// the first column that is neither summed nor 备注/error) and, when rows were
// left out for errors, left_out_text in 备注/error.
[[nodiscard]] std::vector<cell> totals_row(const std::vector<std::optional<column>>& roles,
                                           language lang, std::size_t rows_left_out);

} // namespace orvandel::sheet
