// The worksheet's rows in and out of the batch's CSV format. Standard
// library only, so that tests and benchmarks use it without a window.
//
// Reading: the header names the columns in English or Chinese, in any order;
// columns the worksheet does not know are left out. A file written for the
// main window's meaning (start_date/end_date, 起始日期/终止日期) opens as
// 缴款期限 = start − 1 day and 实际缴款日期 = end − 1 day, so that every
// figure stays the same. A row with a date and a 合计滞纳天数 was written with
// its results (by the worksheet or the batch): its day counts are figures and
// are not read as typed counts. Result columns are never read; they are
// computed again.
#pragma once

#include "ui/worksheet/row_store.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace orvandel::ui::worksheet {

struct csv_load {
    row_store rows;
    bool ok = false;
    bool cancelled = false;
    std::string problem;       // why nothing was read (in Chinese)
    std::size_t irregular = 0; // rows whose number of cells differs from the header's
    std::size_t conflicting = 0; // rows with both 起始/终止日期 and 缴款期限/实际缴款日期
    std::size_t unknown_columns = 0;
    // Rows whose start date lies after their end date: an error in the main
    // window's meaning, opened as paid before the due date (未逾期).
    std::size_t start_after_end = 0;
};

// Called every so many rows with the bytes read so far and in all; returns
// false to stop reading (the load is then cancelled and holds no rows).
using load_progress = std::function<bool(std::size_t done, std::size_t total)>;

// Reads a CSV text in UTF-8 (no byte order mark).
[[nodiscard]] csv_load read_csv_rows(std::string_view text, const load_progress& progress = {});

// One date text moved by `days` ("2024-03-01", -1 → "2024-02-29"); the text as
// it is when it is not a date or the day would leave 0001..9999.
[[nodiscard]] std::string shift_date_text(std::string_view text, int days);

} // namespace orvandel::ui::worksheet
