// Date texts: whatever the bytes, reading never crashes; a date that is read
// is a real day and writes back to exactly the text it came from. Two dates
// separated by "|" are also split at the rate change.
#include "check.h"

#include "calc/date.h"
#include "calc/split.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace orvandel::calc;

void check_one(std::string_view text) {
    const auto d = parse_date_text(text);
    if (!d) {
        return;
    }
    FUZZ_CHECK(d->ok());
    FUZZ_CHECK(static_cast<int>(d->year()) >= 1 && static_cast<int>(d->year()) <= 9999);
    FUZZ_CHECK(format_date_text(*d) == text);
}

void check_pair(std::string_view first, std::string_view second) {
    const auto start = parse_date_text(first);
    const auto end = parse_date_text(second);
    if (!start || !end) {
        return;
    }
    const day_count forward = days_between(*start, *end);
    FUZZ_CHECK(forward == -days_between(*end, *start));
    if (forward < 0) {
        return;
    }
    const overdue_split split = split_overdue_days(*start, *end);
    FUZZ_CHECK(split.days_before >= 0 && split.days_after >= 0);
    FUZZ_CHECK(split.days_before + split.days_after == forward);
    // Days before the change lie before it, days after it on or after it.
    FUZZ_CHECK(split.days_before <= std::max<day_count>(0, days_between(*start, rate_change_date)));
    FUZZ_CHECK(split.days_after <= std::max<day_count>(0, days_between(rate_change_date, *end)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check_one(text);
    const std::size_t bar = text.find('|');
    if (bar != std::string_view::npos) {
        check_one(text.substr(0, bar));
        check_one(text.substr(bar + 1));
        check_pair(text.substr(0, bar), text.substr(bar + 1));
    }
    return 0;
}
