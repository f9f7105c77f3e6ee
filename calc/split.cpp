#include "split.h"

namespace orvandel::calc {

overdue_split split_overdue_days(const date& start, const date& end) {
    return split_overdue_days(std::chrono::sys_days{start}, std::chrono::sys_days{end});
}

overdue_split split_overdue_days(std::chrono::sys_days first, std::chrono::sys_days last) {
    using std::chrono::sys_days;
    constexpr sys_days change{rate_change_date};
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
