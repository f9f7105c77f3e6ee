// Number texts: whatever the bytes, reading never crashes; a number that is
// read has the digits and places it was written with and reads the same from
// its default text. "amount|days|days" is also computed, which must succeed
// exactly for every amount and day count the fields admit.
#include "check.h"

#include "calc/fee.h"
#include "calc/money.h"
#include "calc/number_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace orvandel::calc;

void check_decimal(std::string_view text, int integer_digits, int decimals) {
    const auto m = parse_decimal_text(text, integer_digits, decimals);
    if (!m) {
        return;
    }
    const std::size_t point = text.find('.');
    const std::size_t typed_decimals =
        point == std::string_view::npos ? 0 : text.size() - point - 1;
    FUZZ_CHECK(m->coefficient >= 0);
    FUZZ_CHECK(m->scale == static_cast<int>(typed_decimals));
    FUZZ_CHECK(m->scale <= decimals);
    FUZZ_CHECK(std::all_of(text.begin(), text.end(),
                           [](char c) { return c == '.' || (c >= '0' && c <= '9'); }));
    // The default text reads back as the same number at the same scale.
    const auto again = parse_decimal_text(default_text(*m), 18, 18);
    FUZZ_CHECK(again && *again == *m);
    const auto cents = round_money(*m);
    FUZZ_CHECK(!cents || cents->scale == money_places);
}

void check_fee(std::string_view amount_text, std::string_view before_text,
               std::string_view after_text) {
    const auto amount = parse_amount_text(amount_text);
    const auto before = parse_day_count_text(before_text);
    const auto after = parse_day_count_text(after_text);
    if (!amount || !before || !after) {
        return;
    }
    late_fee_input input;
    input.amount_due = *amount;
    input.mode = entry_mode::by_days;
    input.days_before = *before;
    input.days_after = *after;
    const auto r = compute_late_fee(input);
    FUZZ_CHECK(r.ok());
    FUZZ_CHECK(r->total_days == *before + *after);
    FUZZ_CHECK(r->fee_before.scale == money_places && r->fee_after.scale == money_places);
    FUZZ_CHECK(r->fee_before.coefficient >= 0 && r->fee_after.coefficient >= 0);
    FUZZ_CHECK(r->total_fee.coefficient == r->fee_before.coefficient + r->fee_after.coefficient);
    const auto total = add_money(*amount, r->total_fee);
    FUZZ_CHECK(total && round_money(*total) && *round_money(*total) == r->tax_and_fee_total);
    FUZZ_CHECK(money_picture_text(r->tax_and_fee_total) != "#");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check_decimal(text, amount_integer_digits, amount_decimals);
    check_decimal(text, day_count_digits, 0);
    check_decimal(text, 18, 18);
    (void)parse_amount_text(text);
    (void)parse_day_count_text(text);
    const std::size_t first = text.find('|');
    const std::size_t second = first == std::string_view::npos ? first : text.find('|', first + 1);
    if (second != std::string_view::npos) {
        check_fee(text.substr(0, first), text.substr(first + 1, second - first - 1),
                  text.substr(second + 1));
    }
    return 0;
}
