#include "sheet/xlsx/exact_sum.h"

#include <algorithm>

namespace orvandel::sheet::xlsx {
namespace {

struct decimal_parts {
    bool negative = false;
    std::string_view whole, fraction;

    explicit decimal_parts(std::string_view text) {
        negative = text.starts_with('-');
        if (negative) {
            text.remove_prefix(1);
        }
        const std::size_t point = text.find('.');
        whole = text.substr(0, point);
        fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    }
    // The digit `place` places left of the point (negative: right of it).
    [[nodiscard]] int digit(long place) const {
        if (place >= 0) {
            const auto at = static_cast<std::size_t>(place);
            return at < whole.size() ? whole[whole.size() - 1 - at] - '0' : 0;
        }
        const auto at = static_cast<std::size_t>(-place - 1);
        return at < fraction.size() ? fraction[at] - '0' : 0;
    }
};

// -1, 0 or 1 as |a| is less than, equal to or more than |b|.
int compare_magnitudes(const decimal_parts& a, const decimal_parts& b, long high, long low) {
    for (long place = high; place >= low; --place) {
        if (a.digit(place) != b.digit(place)) {
            return a.digit(place) < b.digit(place) ? -1 : 1;
        }
    }
    return 0;
}

} // namespace

// Digit by digit from the last decimal up, adding the magnitudes when the
// signs agree and taking the smaller from the larger when they differ.
std::string exact_sum(std::string_view a_text, std::string_view b_text) {
    const decimal_parts a(a_text), b(b_text);
    const long low = -static_cast<long>(std::max(a.fraction.size(), b.fraction.size()));
    const long high = static_cast<long>(std::max(a.whole.size(), b.whole.size()));
    const bool subtract = a.negative != b.negative;
    const bool a_larger = compare_magnitudes(a, b, high, low) >= 0;
    const decimal_parts& big = a_larger ? a : b;
    const decimal_parts& small = a_larger ? b : a;
    std::string reversed;
    reversed.reserve(static_cast<std::size_t>(high - low + 2));
    int carry = 0;
    for (long place = low; place <= high; ++place) {
        int d = subtract ? big.digit(place) - small.digit(place) - carry
                         : big.digit(place) + small.digit(place) + carry;
        carry = subtract ? (d < 0 ? 1 : 0) : d / 10;
        d = subtract ? d + 10 * carry : d % 10;
        reversed += static_cast<char>('0' + d);
        if (place == -1) {
            reversed += '.';
        }
    }
    // Leading zeros go, down to the one before the point.
    while (reversed.size() > 1 && reversed.back() == '0' && reversed[reversed.size() - 2] != '.') {
        reversed.pop_back();
    }
    const bool zero = reversed.find_first_not_of("0.") == std::string::npos;
    if (big.negative && !zero) {
        reversed += '-';
    }
    return {reversed.rbegin(), reversed.rend()};
}

} // namespace orvandel::sheet::xlsx
