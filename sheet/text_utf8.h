// UTF-8 checks shared by the workbook reader and writer.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace orvandel::sheet {

// The number of characters of `text` as Excel counts them (UTF-16 units), or
// nothing when `text` is not valid UTF-8 (overlong forms, surrogates and code
// points past U+10FFFF are invalid).
[[nodiscard]] std::optional<std::size_t> utf16_length(std::string_view text);

// The places `text` takes in a column: two for a wide (CJK) character, one
// for any other; assumes valid UTF-8.
[[nodiscard]] std::size_t display_width(std::string_view text);

} // namespace orvandel::sheet
