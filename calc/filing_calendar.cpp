#include "filing_calendar.h"

#include "published_calendars.h"
#include "rest_days.h"

#include <vector>

namespace orvandel::calc {
namespace {

using std::chrono::sys_days;

constexpr int run_that_extends = 3; // consecutive rest days that move the deadline

// The rest days as far as they are known: a day outside them stops the
// derivation with no_data rather than being taken for a working day.
class rest_day_reader {
public:
    bool rest(sys_days day) {
        const auto known = is_rest_day(date{day});
        if (!known) {
            unknown_ = true;
            return false;
        }
        return *known;
    }
    [[nodiscard]] bool met_unknown_day() const { return unknown_; }

private:
    bool unknown_ = false;
};

// The rest days from the 1st to `base`, both included, that lie in runs of
// three or more within that stretch.
int extension_days(std::chrono::year_month due, sys_days base, rest_day_reader& days) {
    int n = 0;
    int run = 0;
    for (sys_days day{due / 1}; day <= base; day += std::chrono::days{1}) {
        if (days.rest(day)) {
            ++run;
            continue;
        }
        n += run >= run_that_extends ? run : 0;
        run = 0;
    }
    return n + (run >= run_that_extends ? run : 0);
}

sys_days first_working_day_from(sys_days day, rest_day_reader& days) {
    while (days.rest(day)) { // an unknown day ends the search; the caller checks
        day += std::chrono::days{1};
    }
    return day;
}

sys_days nth_working_day_after(sys_days day, int n, rest_day_reader& days) {
    for (int found = 0; found < n && !days.met_unknown_day();) {
        day += std::chrono::days{1};
        found += days.rest(day) ? 0 : 1;
    }
    return day;
}

using month_deadline = result<filing_deadline, filing_calendar_error>;

month_deadline work_out_deadline(std::chrono::year_month due) {
    if (const auto published = published_deadline_in(due)) {
        return filing_deadline{published->deadline, deadline_rule::published, published->notice,
                               std::nullopt};
    }
    const auto derived = derive_deadline(due);
    if (!derived) {
        return derived.error();
    }
    const deadline_rule rule = derived_rule_for(due);
    const date used =
        rule == deadline_rule::calendar ? derived->by_calendar_rule : derived->by_working_day_rule;
    const date other =
        rule == deadline_rule::calendar ? derived->by_working_day_rule : derived->by_calendar_rule;
    return filing_deadline{used, rule, derived_source,
                           other == used ? std::nullopt : std::optional<date>{other}};
}

// The deadline of every month of the years whose rest days are known, worked
// out once: a sheet of many periods asks for the same months again and again,
// and a derivation walks the rest days day by day.
class known_months {
public:
    known_months() : range_(rest_day_years()) {
        for (std::chrono::year y = range_.first; y <= range_.last; ++y) {
            for (unsigned m = 1; m <= 12; ++m) {
                months_.push_back(work_out_deadline(y / std::chrono::month{m}));
            }
        }
    }
    // Nothing for a month outside the known years.
    [[nodiscard]] const month_deadline* find(std::chrono::year_month due) const {
        if (!due.ok() || due.year() < range_.first || due.year() > range_.last) {
            return nullptr;
        }
        const auto years = static_cast<int>(due.year()) - static_cast<int>(range_.first);
        const auto at =
            static_cast<std::size_t>(years) * 12U + static_cast<unsigned>(due.month()) - 1U;
        return &months_[at];
    }

private:
    year_range range_;
    std::vector<month_deadline> months_;
};

} // namespace

deadline_rule derived_rule_for(std::chrono::year_month due) {
    return due.year() >= first_working_day_rule_year ? deadline_rule::working_day
                                                     : deadline_rule::calendar;
}

result<derived_deadline, filing_calendar_error> derive_deadline(std::chrono::year_month due) {
    if (!due.ok()) {
        return filing_calendar_error::no_data;
    }
    const std::chrono::day base_day{due.year() >= first_base_15_year ? 15U : 10U};
    const sys_days base{due / base_day};
    rest_day_reader days;
    derived_deadline out;
    out.base_day = date{base};
    out.extension_days = extension_days(due, base, days);
    const sys_days by_calendar =
        first_working_day_from(base + std::chrono::days{out.extension_days}, days);
    const sys_days by_working_day = out.extension_days == 0
                                        ? first_working_day_from(base, days)
                                        : nth_working_day_after(base, out.extension_days, days);
    if (days.met_unknown_day()) {
        return filing_calendar_error::no_data;
    }
    out.by_calendar_rule = date{by_calendar};
    out.by_working_day_rule = date{by_working_day};
    return out;
}

result<filing_deadline, filing_calendar_error> deadline_in_month(std::chrono::year_month due) {
    static const known_months known;
    if (const month_deadline* found = known.find(due)) {
        return *found;
    }
    return work_out_deadline(due);
}

result<filing_deadline, filing_calendar_error> deadline_of(const tax_period& period) {
    return deadline_in_month(due_month(period));
}

} // namespace orvandel::calc
