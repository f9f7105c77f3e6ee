// Pasted texts: whatever the bytes, normalising never crashes; what a
// normaliser accepts is in its field's own form, is read by the engine's
// parser and normalises to itself; blanks and a line break around a text
// change nothing.
#include "check.h"

#include "calc/date.h"
#include "calc/number_text.h"
#include "calc/pasted_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace orvandel::calc;

using normaliser = result<std::string, paste_error> (*)(std::string_view);

bool same(const result<std::string, paste_error>& a, const result<std::string, paste_error>& b) {
    return a.ok() == b.ok() && (a.ok() ? *a == *b : a.error() == b.error());
}

// The checks every kind shares; returns the accepted text, or nothing.
const std::string* check_common(normaliser normalise, std::string_view text,
                                const result<std::string, paste_error>& r) {
    FUZZ_CHECK(!paste_error_text(r.ok() ? paste_error::empty : r.error()).empty());
    const std::string padded = "\t \u3000" + std::string(text) + " \r\n";
    FUZZ_CHECK(same(normalise(padded), r));
    if (!r) {
        return nullptr;
    }
    const auto again = normalise(*r);
    FUZZ_CHECK(again && *again == *r);
    return &*r;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto amount = normalise_pasted_amount(text);
    if (const std::string* a = check_common(normalise_pasted_amount, text, amount)) {
        // Integer digits without leading zeros, ".", two decimals.
        FUZZ_CHECK(a->size() >= 3 && a->size() <= 15 && (*a)[0] != '0');
        FUZZ_CHECK((*a)[a->size() - 3] == '.');
        FUZZ_CHECK(std::count_if(a->begin(), a->end(), is_digit) ==
                   static_cast<std::ptrdiff_t>(a->size() - 1));
        const auto read = parse_amount_text(*a);
        FUZZ_CHECK(read && read->scale == amount_decimals && read->coefficient >= 0);
    }

    const auto day = normalise_pasted_date(text);
    if (const std::string* d = check_common(normalise_pasted_date, text, day)) {
        const auto read = parse_date_text(*d);
        FUZZ_CHECK(read && format_date_text(*read) == *d);
    }

    const auto days = normalise_pasted_day_count(text);
    if (const std::string* n = check_common(normalise_pasted_day_count, text, days)) {
        FUZZ_CHECK(!n->empty() && n->size() <= static_cast<std::size_t>(day_count_digits));
        FUZZ_CHECK(std::all_of(n->begin(), n->end(), is_digit));
        FUZZ_CHECK(parse_day_count_text(*n).ok());
    }
    return 0;
}
