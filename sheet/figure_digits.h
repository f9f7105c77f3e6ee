// How write_cents and write_count put digits down. They are inline because
// the batch writes seven figures a row and the calls would cost as much as
// the digits. Day counts and figures of a million or more go through
// std::to_chars; a figure below a million, nearly every amount the batch
// writes, is written as one word of eight digits instead. With std::to_chars
// for those as well, the batch ran 2139 instructions a row instead of 2014
// (+6.2 %, bench/engine/batch_instructions.sh) and took 251 ms of CPU instead
// of 237 ms for the million rows of batch_vs_cat.sh (+6 %, median of 25 runs):
// more than the 5 % a plainer writer may cost. As written: 2047 instructions
// (+1.6 %) and 231 ms.
#pragma once

#include "sheet/figure_text.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace orvandel::sheet::digits {

// The eight digits of `value` < 10^8, leading zeros included, each digit's
// value 0..9 (not yet a character) in one byte of a word, the first digit in
// the lowest byte: in memory order on a little-endian machine.
inline std::uint64_t eight_digit_values(std::uint32_t value) {
    // All eight at once: the halves in two 32-bit lanes, the quarters in
    // four 16-bit lanes, the digits in eight bytes. x * 10486 >> 20 is
    // x / 100 for x < 43699, x * 103 >> 10 is x / 10 for x < 179.
    const std::uint64_t halves =
        std::uint64_t{value / 10000} | (std::uint64_t{value % 10000} << 32);
    const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007FU;
    const std::uint64_t quarters = hundreds | ((halves - 100 * hundreds) << 16);
    const std::uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000FU;
    return tens | ((quarters - 10 * tens) << 8);
}

inline constexpr std::uint64_t ascii_zeros = 0x3030303030303030U;

} // namespace orvandel::sheet::digits

namespace orvandel::sheet {

// The default text of a two-place figure: "-" when negative, the integer
// digits ("0" when none), ".", the two decimals.
inline char* write_cents(char* at, const calc::money& value) {
    char* const end = at + figure_room;
    const std::uint64_t cents = value.coefficient < 0
                                    ? 0 - static_cast<std::uint64_t>(value.coefficient)
                                    : static_cast<std::uint64_t>(value.coefficient);
    if (value.coefficient < 0) {
        *at++ = '-';
    }
    if constexpr (std::endian::native == std::endian::little) {
        if (cents < 100000000) {
            // Below a million (on a little-endian machine): six integer digits
            // and two decimals in one word; the integer part keeps at least
            // its last digit.
            const std::uint64_t word =
                digits::eight_digit_values(static_cast<std::uint32_t>(cents));
            const std::uint64_t integer = word & 0x0000FFFFFFFFFFFFU;
            int leading = std::countr_zero(integer) / 8;
            leading = leading > 5 ? 5 : leading;
            const std::uint64_t integer_text = (integer >> (8 * leading)) + digits::ascii_zeros;
            std::memcpy(at, &integer_text, 8);
            at += 6 - leading;
            const auto decimals_text =
                static_cast<std::uint32_t>('.' | (((word >> 48) + 0x3030U) << 8));
            std::memcpy(at, &decimals_text, 4);
            return at + 3;
        }
    }
    at = std::to_chars(at, end, cents / 100).ptr;
    const auto decimals = static_cast<unsigned>(cents % 100);
    at[0] = '.';
    at[1] = static_cast<char>('0' + decimals / 10);
    at[2] = static_cast<char>('0' + decimals % 10);
    return at + 3;
}

inline char* write_count(char* at, calc::day_count value) {
    return std::to_chars(at, at + figure_room, value).ptr;
}

} // namespace orvandel::sheet
