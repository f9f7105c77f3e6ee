// The worksheet's rows from a sheet's file, read by the one reader of sheets
// (sheet/reader.h): every row with its input texts, its reading note in
// Chinese, and the cells of the columns the sheet does not know. Standard
// library only, so that tests and benchmarks use it without a window.
#pragma once

#include "ui/worksheet/row_store.h"

#include "sheet/reader.h"

#include <cstddef>
#include <functional>
#include <string>

namespace orvandel::ui::worksheet {

struct loaded_rows {
    row_store rows;
    sheet_shape shape;
    bool ok = false;
    bool cancelled = false;
    std::string problem;                // why nothing was read (in Chinese)
    std::size_t with_reading_notes = 0; // rows whose cells were read otherwise than typed
};

// Called every so many rows; returns false to stop reading (the load is then
// cancelled and holds no rows).
using load_progress = std::function<bool()>;

// `size_hint`: the file's size in bytes, when known, so that the rows' room
// is made once.
[[nodiscard]] loaded_rows load_rows(sheet::record_source& source,
                                    const load_progress& progress = {}, std::size_t size_hint = 0);

} // namespace orvandel::ui::worksheet
