#include "runtime/clock.h"

namespace orvandel::runtime {

namespace {
std::optional<QDate>& fixed_day() {
    static std::optional<QDate> day;
    return day;
}
} // namespace

QDate today() {
    return fixed_day().value_or(QDate::currentDate());
}

void set_today_for_testing(std::optional<QDate> day) {
    fixed_day() = day;
}

} // namespace orvandel::runtime
