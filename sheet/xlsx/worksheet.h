// A worksheet part parsed one row at a time: the parse pauses after each
// row, so memory holds one row however many the sheet has. Rows come in the
// order of the sheet, as Excel requires; cells within a row in any order.
#pragma once

#include "sheet/xlsx/archive.h"
#include "sheet/xlsx/shared_strings.h"
#include "sheet/xlsx/styles.h"
#include "sheet/xlsx/xml.h"

#include "sheet/table.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvandel::sheet::xlsx {

// "SUM(B2:B9)" over rows first..last (0-based) of a column.
struct sum_range {
    std::size_t column = 0, first = 0, last = 0;
};

struct sum_cell {
    std::size_t column = 0;
    sum_range range;
};

// A row as the sheet has it: its number and its cells up to its last one.
struct sheet_row {
    std::size_t index = 0;      // 0-based
    std::vector<cell> cells;    // empty where the sheet has no cell
    std::vector<sum_cell> sums; // its cells whose formula is a SUM of a range
};

class worksheet_reader {
public:
    worksheet_reader(part_reader part, const styles& formats, const shared_strings& strings,
                     bool date1904, const xlsx_limits& limits);
    ~worksheet_reader();
    worksheet_reader(const worksheet_reader&) = delete;
    worksheet_reader& operator=(const worksheet_reader&) = delete;

    // The next row element of the sheet, blank or not; false at the end or
    // on a problem.
    bool next(sheet_row& row);
    [[nodiscard]] const maybe_problem& problem() const { return problem_; }
    [[nodiscard]] std::uint64_t done() const { return part_.done(); }
    [[nodiscard]] std::uint64_t total() const { return part_.size(); }

private:
    class handler;
    part_reader part_;
    std::unique_ptr<handler> handler_;
    xml_parser parser_;
    bool paused_ = false, read_all_ = false, finished_ = false;
    maybe_problem problem_;
};

} // namespace orvandel::sheet::xlsx
