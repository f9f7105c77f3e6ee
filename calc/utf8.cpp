#include "utf8.h"

#include <cstdint>

namespace orvandel::calc {

utf8_char decode_utf8(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    char32_t code = 0;
    unsigned char second_low = 0x80;  // the range of the second byte, narrowed
    unsigned char second_high = 0xBF; // for some lead bytes
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0FU;
        second_low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        second_high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07U;
        second_low = lead == 0xF0 ? 0x90 : 0x80;  // no overlong forms
        second_high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return {};
    }
    if (text.size() - at < length) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char b = byte(i);
        if (b < (i == 1 ? second_low : 0x80) || b > (i == 1 ? second_high : 0xBF)) {
            return {};
        }
        code = (code << 6U) | (b & 0x3FU);
    }
    return {code, length};
}

bool is_valid_utf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        // Runs of ASCII, the common case, eight bytes at a time.
        while (text.size() - at >= 8) {
            std::uint64_t block = 0;
            for (std::size_t k = 0; k < 8; ++k) {
                block |= static_cast<unsigned char>(text[at + k]);
            }
            if ((block & 0x80U) != 0) {
                break;
            }
            at += 8;
        }
        if (at == text.size()) {
            break;
        }
        const utf8_char c = decode_utf8(text, at);
        if (c.length == 0) {
            return false;
        }
        at += c.length;
    }
    return true;
}

} // namespace orvandel::calc
