#include "split.h"

namespace orvandel::calc {

overdue_split split_overdue_days(const date& start, const date& end) {
    using std::chrono::sys_days;
    constexpr sys_days change{rate_change_date};
    const sys_days first{start};
    const sys_days last{end};
    // Wholly from the change day on.
    if (first > change && last > change) {
        return {0, (last - first).count()};
    }
    // Wholly before it (a period ending on the change day included).
    if (last <= change) {
        return {(last - first).count(), 0};
    }
    // Straddling: start on or before the change day, end after it.
    return {(change - first).count(), (last - change).count()};
}

} // namespace orvandel::calc
