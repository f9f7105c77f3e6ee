#include "split.h"

namespace orvandel::calc {

overdue_split split_overdue_days(const date& start, const date& end) {
    const date& change = rate_change_date;
    // Wholly from the change day on.
    if (start > change && end > change) {
        return {0, days_between(start, end)};
    }
    // Wholly before it (a period ending on the change day included).
    if (end <= change) {
        return {days_between(start, end), 0};
    }
    // Straddling: start on or before the change day, end after it.
    return {days_between(start, change), days_between(change, end)};
}

} // namespace orvandel::calc
