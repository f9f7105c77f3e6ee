// Exact unsigned 128-bit arithmetic for the products of a day count, an
// amount and a rate, which can reach 21 digits before rounding. Written with
// 64-bit halves so that it needs no compiler extension.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace orvandel::calc::detail {

struct u128 {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;
};

// Full product of two 64-bit numbers from 32-bit halves; never overflows.
constexpr u128 multiply_by_halves(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t a_lo = a & 0xffff'ffffU;
    const std::uint64_t a_hi = a >> 32U;
    const std::uint64_t b_lo = b & 0xffff'ffffU;
    const std::uint64_t b_hi = b >> 32U;
    const std::uint64_t p0 = a_lo * b_lo;
    const std::uint64_t p1 = a_lo * b_hi;
    const std::uint64_t p2 = a_hi * b_lo;
    const std::uint64_t p3 = a_hi * b_hi;
    const std::uint64_t mid = (p0 >> 32U) + (p1 & 0xffff'ffffU) + (p2 & 0xffff'ffffU);
    return {p3 + (p1 >> 32U) + (p2 >> 32U) + (mid >> 32U), (mid << 32U) | (p0 & 0xffff'ffffU)};
}

// Full product of two 64-bit numbers; never overflows. Compilers with a
// native 128-bit type do it in one instruction.
constexpr u128 multiply(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
    __extension__ using native = unsigned __int128;
    const native p = static_cast<native>(a) * b;
    return {static_cast<std::uint64_t>(p >> 64U), static_cast<std::uint64_t>(p)};
#else
    return multiply_by_halves(a, b);
#endif
}

// a × b, or nothing when the product needs more than 128 bits.
constexpr std::optional<u128> multiply(u128 a, std::uint64_t b) {
    const u128 low = multiply(a.lo, b);
    const u128 high = multiply(a.hi, b);
    if (high.hi != 0) {
        return std::nullopt;
    }
    const std::uint64_t hi = low.hi + high.lo;
    if (hi < low.hi) {
        return std::nullopt;
    }
    return u128{hi, low.lo};
}

struct quotient {
    u128 value;
    std::uint32_t remainder = 0;
};

// a / d and a % d for a divisor below 2^32, one 32-bit limb at a time.
constexpr quotient divide(u128 a, std::uint32_t d) {
    const std::uint64_t limbs[4] = {a.hi >> 32U, a.hi & 0xffff'ffffU, a.lo >> 32U,
                                    a.lo & 0xffff'ffffU};
    std::uint64_t q[4] = {};
    std::uint64_t r = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t cur = (r << 32U) | limbs[i];
        q[i] = cur / d;
        r = cur % d;
    }
    return {{(q[0] << 32U) | q[1], (q[2] << 32U) | q[3]}, static_cast<std::uint32_t>(r)};
}

// a + b and a × b on signed 64-bit values, or nothing when the result does
// not fit.
constexpr std::optional<std::int64_t> checked_add(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    if ((b > 0 && a > max - b) || (b < 0 && a < min - b)) {
        return std::nullopt;
    }
    return a + b;
}

constexpr std::uint64_t magnitude(std::int64_t v) {
    // Well defined for the most negative value too.
    return v < 0 ? ~static_cast<std::uint64_t>(v) + 1U : static_cast<std::uint64_t>(v);
}

constexpr std::optional<std::int64_t> checked_multiply(std::int64_t a, std::int64_t b) {
    const u128 p = multiply(magnitude(a), magnitude(b));
    constexpr auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (p.hi != 0 || p.lo > limit) {
        return std::nullopt;
    }
    const auto m = static_cast<std::int64_t>(p.lo);
    return (a < 0) != (b < 0) ? -m : m;
}

} // namespace orvandel::calc::detail
