// Number formats: whether a cell's number is a date, and how many decimals
// its format shows; and serial day numbers as calendar days.
#pragma once

#include "sheet/table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvandel::sheet::xlsx {

struct number_format {
    bool date = false;
    // The fixed decimals shown for a positive number, a negative one and
    // zero (a format's sections), or -1 where the format shows no fixed
    // number of the number's own decimals: General, a percent, a fraction,
    // scientific notation, digits that come and go ("0.0#"), thousands
    // scaling ("0.00,"), times, text.
    std::array<std::int8_t, 3> decimals{-1, -1, -1};

    [[nodiscard]] int decimals_for(double value) const;
};

// Excel's built-in formats by id (0-58); General for ids it does not define.
[[nodiscard]] number_format built_in_format(std::size_t id);

// A format code of the file's own ("#,##0.00", "yyyy-mm-dd", ...).
[[nodiscard]] number_format custom_format(std::string_view code);

// A serial day number of either date system as a cell: a date, the text of
// the 1900 system's day that never was ("1900-02-29") or of its day 0
// ("1900-01-00"), or the number (`number_text`) when it names no day.
[[nodiscard]] cell serial_date(double serial, bool date1904, const std::string& number_text);

} // namespace orvandel::sheet::xlsx
