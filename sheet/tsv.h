// Blocks of cells as spreadsheets put them on the clipboard: tab-separated
// text, and an HTML table for word processors.
//
// Excel, WPS and LibreOffice write one line per row, cells separated by a tab,
// each line ended by CRLF (LibreOffice on Linux: LF), the last line included.
// A cell that holds a tab, a line break or a quote comes in quotes, each quote
// inside doubled. Reading is lenient, as with CSV: a quote inside a cell that
// does not start with one is data, and a cell whose opening quote is never
// closed is read as it stands, quote and all.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet {

using text_row = std::vector<std::string>;
using text_grid = std::vector<text_row>;

// The rows of a tab-separated block; one trailing line ending is not a row,
// and an empty text has no rows. Rows may have different numbers of cells.
[[nodiscard]] text_grid parse_tsv(std::string_view text);

// Writes `rows` as the spreadsheets do: tab between cells, CRLF after each row,
// cells quoted when they hold a tab, CR, LF or quote.
[[nodiscard]] std::string write_tsv(const text_grid& rows);

// The same rows as an HTML table (UTF-8, characters escaped, line breaks kept
// as <br>), which word processors and spreadsheets paste as a table.
// `right_aligned[c]` marks the columns whose cells are figures.
[[nodiscard]] std::string write_html_table(const text_grid& rows,
                                           const std::vector<bool>& right_aligned = {});

} // namespace orvandel::sheet
