// What every step of reading a workbook reports, and sizes in words for it.
#pragma once

#include "sheet/xlsx_reader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orvandel::sheet::xlsx {

using problem = xlsx_read_problem;
using maybe_problem = std::optional<problem>;

[[nodiscard]] problem fail(xlsx_read_error what, std::string detail = {}, std::uint64_t limit = 0);

// A size as people read it: "32 MiB", "4 GiB", "64 KiB", or "1,500 bytes"
// ("1,500字节") when it is no whole number of any of those.
[[nodiscard]] std::string size_text(std::uint64_t bytes, language lang = language::english);

// Digits grouped by thousands: "1,048,576".
[[nodiscard]] std::string grouped(std::uint64_t number);

} // namespace orvandel::sheet::xlsx
