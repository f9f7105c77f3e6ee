// How write_cents and write_count put digits down. They are inline because
// the batch writes seven figures a row and the calls would cost as much as
// the digits.
#pragma once

#include "sheet/figure_text.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace orvandel::sheet::digits {

// "00" to "99", so that two digits cost one division.
inline constexpr char two_digits[] = "00010203040506070809"
                                     "10111213141516171819"
                                     "20212223242526272829"
                                     "30313233343536373839"
                                     "40414243444546474849"
                                     "50515253545556575859"
                                     "60616263646566676869"
                                     "70717273747576777879"
                                     "80818283848586878889"
                                     "90919293949596979899";

inline constexpr std::uint64_t ten_to_the_8 = 100000000;

// The eight digits of `value` < 10^8, leading zeros included, as the bytes
// of a word in memory order, each digit's value 0..9 (not yet a character).
inline std::uint64_t eight_digit_values(std::uint32_t value) {
    if constexpr (std::endian::native == std::endian::little) {
        // All eight at once: the halves in two 32-bit lanes, the quarters in
        // four 16-bit lanes, the digits in eight bytes. x * 10486 >> 20 is
        // x / 100 for x < 43699, x * 103 >> 10 is x / 10 for x < 179.
        const std::uint64_t halves =
            std::uint64_t{value / 10000} | (std::uint64_t{value % 10000} << 32);
        const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007FU;
        const std::uint64_t quarters = hundreds | ((halves - 100 * hundreds) << 16);
        const std::uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000FU;
        return tens | ((quarters - 10 * tens) << 8);
    } else {
        char text[8];
        for (int i = 7; i >= 0; --i) {
            text[i] = static_cast<char>(value % 10);
            value /= 10;
        }
        std::uint64_t word = 0;
        std::memcpy(&word, text, 8);
        return word;
    }
}

inline constexpr std::uint64_t ascii_zeros = 0x3030303030303030U;

// Writes `value` < 10^8 without leading zeros ("0" for 0) and returns the
// end. Stores eight bytes at `at`.
inline char* short_number(char* at, std::uint32_t value) {
    std::uint64_t word = eight_digit_values(value);
    int leading = 0; // zero digits before the first significant one, at most 7
    if constexpr (std::endian::native == std::endian::little) {
        leading = std::countr_zero(word) / 8; // the leading digits are the low bytes
        leading = leading > 7 ? 7 : leading;
        word >>= 8 * leading;
        word += ascii_zeros;
        std::memcpy(at, &word, 8);
    } else {
        word += ascii_zeros;
        char text[16] = {};
        std::memcpy(text, &word, 8);
        while (leading < 7 && text[leading] == '0') {
            ++leading;
        }
        std::memcpy(at, text + leading, 8);
    }
    return at + 8 - leading;
}

// The eight digits of `value` < 10^8 as characters, leading zeros included.
inline void eight_digits(char* at, std::uint32_t value) {
    const std::uint64_t word = eight_digit_values(value) + ascii_zeros;
    std::memcpy(at, &word, 8);
}

// Writes `value` without leading zeros and returns the end; stores at most
// twenty-four bytes from `at`.
inline char* number(char* at, std::uint64_t value) {
    if (value < ten_to_the_8) {
        return short_number(at, static_cast<std::uint32_t>(value));
    }
    const std::uint64_t low = value % ten_to_the_8;
    const std::uint64_t high = value / ten_to_the_8;
    if (high < ten_to_the_8) {
        at = short_number(at, static_cast<std::uint32_t>(high));
    } else {
        at = short_number(at, static_cast<std::uint32_t>(high / ten_to_the_8));
        eight_digits(at, static_cast<std::uint32_t>(high % ten_to_the_8));
        at += 8;
    }
    eight_digits(at, static_cast<std::uint32_t>(low));
    return at + 8;
}

inline std::uint64_t magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

} // namespace orvandel::sheet::digits

namespace orvandel::sheet {

// The default text of a two-place figure: "-" when negative, the integer
// digits ("0" when none), ".", the two decimals.
inline char* write_cents(char* at, const calc::money& value) {
    const std::uint64_t cents = digits::magnitude(value.coefficient);
    if (value.coefficient < 0) {
        *at++ = '-';
    }
    if constexpr (std::endian::native == std::endian::little) {
        if (cents < digits::ten_to_the_8) {
            // Below a million: six integer digits and two decimals in one
            // word; the integer part keeps at least its last digit.
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
    at = digits::number(at, cents / 100);
    *at = '.';
    std::memcpy(at + 1, digits::two_digits + 2 * (cents % 100), 2);
    return at + 3;
}

inline char* write_count(char* at, calc::day_count value) {
    if (value < 0) {
        *at++ = '-';
    }
    return digits::number(at, digits::magnitude(value));
}

} // namespace orvandel::sheet
