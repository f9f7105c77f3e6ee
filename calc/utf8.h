// UTF-8, the one text encoding inside the program: reading it one character
// at a time, checking it, and the byte order mark that Excel and WPS put at
// the start of a CSV file.
#pragma once

#include <cstddef>
#include <string_view>

namespace orvandel::calc {

// The byte order mark, as it starts a UTF-8 file.
inline constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

struct utf8_char {
    char32_t code = 0;
    std::size_t length = 0; // bytes; 0 when the text there is not well-formed UTF-8
};

// The character that starts at text[at] (at < text.size()). Overlong forms,
// surrogates, values above U+10FFFF and cut-off sequences are not well-formed.
[[nodiscard]] utf8_char decode_utf8(std::string_view text, std::size_t at);

// True when the whole of `text` is well-formed UTF-8.
[[nodiscard]] bool is_valid_utf8(std::string_view text);

} // namespace orvandel::calc
