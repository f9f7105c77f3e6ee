// How a failed comparison shows a table cell: its kind and its text.
#pragma once

#include "sheet/table.h"

#include <ostream>

namespace orvandel::sheet {

inline void PrintTo(const cell& c, std::ostream* out) {
    constexpr const char* kinds[] = {"empty", "text", "number", "integer", "date", "sum"};
    *out << kinds[static_cast<int>(c.kind)] << " \"" << cell_text(c) << "\"";
    if (c.format_decimals >= 0) {
        *out << " shown with " << static_cast<int>(c.format_decimals) << " decimals";
    }
}

} // namespace orvandel::sheet
