#include "calc/filing_calendar.h"

#include "calc/deadline_note.h"
#include "calc/published_calendars.h"
#include "calc/rest_days.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvandel::calc {
namespace {

using namespace std::chrono;

std::string text(const year_month_day& d) {
    return format_date_text(d).value_or("no such day");
}

std::string text(year_month m) {
    return std::to_string(static_cast<int>(m.year())) + "-" +
           std::to_string(static_cast<unsigned>(m.month()));
}

// The published calendars as the notices give them, January to December.
const struct published_year {
    int year;
    const char* notice;
    unsigned days[12];
} published[] = {
    {2026, "税总办征科函〔2025〕64号", {20, 24, 16, 20, 22, 15, 15, 17, 15, 26, 16, 15}},
    {2025, "税总办征科函〔2024〕71号", {15, 20, 17, 18, 22, 16, 15, 15, 15, 27, 17, 15}},
    {2024,
     "《国家税务总局办公厅关于明确2024年度申报纳税期限的通知》",
     {15, 23, 15, 18, 22, 19, 15, 15, 18, 24, 15, 16}},
    {2023, "税总办征科函〔2022〕245号", {16, 15, 15, 17, 18, 15, 17, 15, 15, 23, 15, 15}},
    {2022, "税总办征科函〔2021〕201号", {19, 23, 15, 20, 19, 20, 15, 15, 20, 25, 15, 15}},
    {2021, "税总办函〔2020〕242号", {20, 23, 15, 20, 21, 18, 15, 16, 15, 26, 15, 15}},
    {2020, "税总办函〔2019〕449号", {15, 28, 16, 24, 22, 15, 15, 17, 15, 23, 16, 15}},
    {2018,
     "《国家税务总局办公厅关于明确2018年度申报纳税期限的通知》",
     {15, 22, 15, 18, 15, 15, 16, 15, 17, 24, 15, 17}},
};

// Every month of every shipped calendar: the day in force and its document.
// In 2020 two months were moved by later notices, which are then the source.
TEST(FilingCalendar, GivesEveryPublishedMonthWithItsNotice) {
    int months = 0;
    for (const auto& y : published) {
        for (unsigned m = 1; m <= 12; ++m) {
            const year_month due{year{y.year}, month{m}};
            std::string notice = y.notice;
            if (due == 2020y / February) {
                notice = "税总函〔2020〕27号（湖北省除外）";
            } else if (due == 2020y / April) {
                notice = "税总函〔2020〕55号";
            }
            const auto d = deadline_in_month(due);
            ASSERT_TRUE(d.ok()) << text(due);
            EXPECT_EQ(text(d->deadline), text(due / day{y.days[m - 1]}));
            EXPECT_EQ(d->rule, deadline_rule::published) << text(due);
            EXPECT_EQ(d->source, notice) << text(due);
            EXPECT_FALSE(d->alternative.has_value()) << text(due);
            ++months;
        }
    }
    EXPECT_EQ(months, 96);
    EXPECT_EQ(published_calendars().size(), std::size(published));
}

// The two derived rules by a plain count over the month's days, written
// apart from the engine: for N, each rest day of the stretch is looked at with
// its neighbours inside the stretch; the working days after the base day are
// listed and the N-th taken.
struct counted {
    int n = 0;
    sys_days by_calendar_rule;
    sys_days by_working_day_rule;
};

bool rest(sys_days d) {
    return is_rest_day(year_month_day{d}).value();
}

counted count_day_by_day(year_month due) {
    const unsigned base = due.year() >= 2009y ? 15 : 10;
    const auto day_of = [due](unsigned k) { return sys_days{due / day{k}}; };
    counted c;
    for (unsigned k = 1; k <= base; ++k) {
        unsigned first = k;
        unsigned last = k;
        while (rest(day_of(k)) && first > 1 && rest(day_of(first - 1))) {
            --first;
        }
        while (rest(day_of(k)) && last < base && rest(day_of(last + 1))) {
            ++last;
        }
        c.n += rest(day_of(k)) && last - first + 1 >= 3 ? 1 : 0;
    }
    c.by_calendar_rule = day_of(base) + days{c.n};
    while (rest(c.by_calendar_rule)) {
        c.by_calendar_rule += days{1};
    }
    std::vector<sys_days> working_after;
    const std::size_t wanted = c.n > 0 ? static_cast<std::size_t>(c.n) : 1;
    for (sys_days d = day_of(base) + days{1}; working_after.size() < wanted; d += days{1}) {
        if (!rest(d)) {
            working_after.push_back(d);
        }
    }
    c.by_working_day_rule = c.n > 0              ? working_after[static_cast<std::size_t>(c.n - 1)]
                            : rest(day_of(base)) ? working_after.front()
                                                 : day_of(base);
    return c;
}

// Every month whose rest days are known, published or not, December 2026
// included (its working days are found before the table ends).
TEST(FilingCalendar, DerivesBothRulesAsADayByDayCountDoes) {
    for (year_month due = 2004y / January; due <= 2026y / December; due += months{1}) {
        const auto derived = derive_deadline(due);
        ASSERT_TRUE(derived.ok()) << text(due);
        const counted c = count_day_by_day(due);
        ASSERT_EQ(derived->extension_days, c.n) << text(due);
        ASSERT_EQ(text(derived->by_calendar_rule), text(year_month_day{c.by_calendar_rule}));
        ASSERT_EQ(text(derived->by_working_day_rule), text(year_month_day{c.by_working_day_rule}));
    }
}

// Derived months worked out by hand, with the rule the year takes and the
// other rule's day as the alternative where the two differ.
TEST(FilingCalendar, DerivesUnpublishedMonthsByTheRuleOfTheirYear) {
    const struct {
        year_month due;
        int n;
        year_month_day deadline;
        deadline_rule rule;
        std::optional<year_month_day> alternative;
    } cases[] = {
        // 国庆 1..7: 15 + 7 = 22, a Thursday; the 7th working day after the 15th is the 26th.
        {2015y / October, 7, 2015y / October / 22, deadline_rule::calendar, 2015y / October / 26},
        // 1..8 off: 23 (Monday) against 25.
        {2017y / October, 8, 2017y / October / 23, deadline_rule::calendar, 2017y / October / 25},
        // 2 and 3 worked, 4..10 off: 18..22, 25, 26 are the working days after the 15th.
        {2019y / February, 7, 2019y / February / 26, deadline_rule::working_day,
         2019y / February / 22},
        // 1..4 off: 15 + 4 = 19, a Sunday, so 20; working: 16, 17, 20, 21.
        {2019y / May, 4, 2019y / May / 21, deadline_rule::working_day, 2019y / May / 20},
        // No run of three: the 15th, a Tuesday, by both rules.
        {2016y / March, 0, 2016y / March / 15, deadline_rule::calendar, std::nullopt},
        // Base day the 10th before 2009: Saturday the 10th, so Monday the 12th.
        {2004y / January, 0, 2004y / January / 12, deadline_rule::calendar, std::nullopt},
        // 9-29..10-5 off, only 1..5 inside the stretch: 10 + 5 = 15 against 13..17.
        {2008y / October, 5, 2008y / October / 15, deadline_rule::calendar, 2008y / October / 17},
        // 春节 2-9..2-15: only the 9th and 10th lie in the stretch, a run of two, so
        // N = 0; the 10th is a rest day, and the first working day is the 16th.
        {2005y / February, 0, 2005y / February / 16, deadline_rule::calendar, std::nullopt},
        // The 15th is a Sunday: Monday the 16th by both rules.
        {2019y / December, 0, 2019y / December / 16, deadline_rule::working_day, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto derived = derive_deadline(c.due);
        ASSERT_TRUE(derived.ok()) << text(c.due);
        EXPECT_EQ(derived->extension_days, c.n) << text(c.due);
        const auto d = deadline_in_month(c.due);
        ASSERT_TRUE(d.ok()) << text(c.due);
        EXPECT_EQ(text(d->deadline), text(c.deadline));
        EXPECT_EQ(d->rule, c.rule) << text(c.due);
        EXPECT_EQ(d->source, "推算") << text(c.due);
        EXPECT_EQ(d->alternative.has_value(), c.alternative.has_value()) << text(c.due);
        if (d->alternative && c.alternative) {
            EXPECT_EQ(text(*d->alternative), text(*c.alternative));
        }
    }
    // 2018 is published throughout; the rule changes with its first month.
    EXPECT_EQ(derived_rule_for(2017y / December), deadline_rule::calendar);
    EXPECT_EQ(derived_rule_for(2018y / January), deadline_rule::working_day);
}

// A quarter is due in the month after it ends, the same day as that month's.
TEST(FilingCalendar, GivesAQuarterTheDeadlineOfTheMonthAfterIt) {
    const struct {
        const char* period;
        year_month_day deadline;
        deadline_rule rule;
    } cases[] = {
        {"2024Q1", 2024y / April / 18, deadline_rule::published},
        {"2024年第4季度", 2025y / January / 15, deadline_rule::published},
        {"2019Q4", 2020y / January / 15, deadline_rule::published},
        {"2016Q3", 2016y / October / 24, deadline_rule::calendar},
        {"2024-03", 2024y / April / 18, deadline_rule::published},
    };
    for (const auto& c : cases) {
        const auto d = deadline_of(*parse_tax_period(c.period));
        ASSERT_TRUE(d.ok()) << c.period;
        EXPECT_EQ(text(d->deadline), text(c.deadline)) << c.period;
        EXPECT_EQ(d->rule, c.rule) << c.period;
    }
}

// Before 2004 and after 2026 there is neither a calendar nor a rest day: no
// deadline is given rather than a guessed one.
TEST(FilingCalendar, GivesNoDeadlineForAYearWithoutData) {
    for (const char* period :
         {"2003-11", "2003Q3", "1999-05", "2026-12", "2026Q4", "2030-06", "0001-01", "9999Q4"}) {
        const auto d = deadline_of(*parse_tax_period(period));
        ASSERT_FALSE(d.ok()) << period;
        EXPECT_EQ(d.error(), filing_calendar_error::no_data) << period;
    }
    // The first and last months that have data.
    EXPECT_TRUE(deadline_of(*parse_tax_period("2003-12")).ok());
    EXPECT_TRUE(deadline_of(*parse_tax_period("2026-11")).ok());
}

// The rule each year's published calendar follows, against the derived
// rules. The months of 2018 and 2021..2026 all fall on the working-day
// rule's day. 2020's own notice (449号, before the extensions) has May on
// the working-day rule's day and October on the calendar rule's. 2015, as
// 江西省国家税务局 published it (its notice of 2015-01-23), follows the
// calendar rule except September, where the 3-day holiday of 9-3..9-5 moved
// nothing: the day stayed the 15th.
TEST(FilingCalendar, PublishedCalendarsFollowTheRuleOfTheirYear) {
    for (const auto& y : published) {
        if (y.year == 2020) {
            continue; // its extensions follow neither rule
        }
        for (unsigned m = 1; m <= 12; ++m) {
            const year_month due{year{y.year}, month{m}};
            const auto derived = derive_deadline(due);
            ASSERT_TRUE(derived.ok());
            EXPECT_EQ(text(derived->by_working_day_rule), text(due / day{y.days[m - 1]}));
        }
    }
    const struct {
        year_month due;
        unsigned published_day;
        bool by_calendar_rule;
        bool by_working_day_rule;
    } others[] = {
        {2020y / May, 22, false, true},        {2020y / October, 23, true, false},
        {2015y / January, 19, true, false},    {2015y / February, 15, true, true},
        {2015y / March, 16, true, true},       {2015y / April, 20, true, true},
        {2015y / May, 18, true, false},        {2015y / June, 15, true, true},
        {2015y / July, 15, true, true},        {2015y / August, 17, true, true},
        {2015y / September, 15, false, false}, {2015y / October, 22, true, false},
        {2015y / November, 16, true, true},    {2015y / December, 15, true, true},
    };
    for (const auto& o : others) {
        const auto derived = derive_deadline(o.due);
        ASSERT_TRUE(derived.ok());
        const year_month_day day_published = o.due / day{o.published_day};
        EXPECT_EQ(derived->by_calendar_rule == day_published, o.by_calendar_rule) << text(o.due);
        EXPECT_EQ(derived->by_working_day_rule == day_published, o.by_working_day_rule)
            << text(o.due);
    }
}

TEST(DeadlineNote, NamesTheNoticeOrTheDerivationAndItsAlternative) {
    const struct {
        const char* period;
        const char* note;
        const char* english;
    } cases[] = {
        {"2025-12", "缴款期限：税总办征科函〔2025〕64号", "due_date from 税总办征科函〔2025〕64号"},
        {"2020-01", "缴款期限：税总函〔2020〕27号（湖北省除外）",
         "due_date from 税总函〔2020〕27号（湖北省除外）"},
        {"2019-01", "缴款期限为推算（另一算法：2月22日）",
         "due_date derived (推算; other rule: 2019-02-22)"},
        {"2015-09", "缴款期限为推算（另一算法：10月26日）",
         "due_date derived (推算; other rule: 2015-10-26)"},
        {"2016-02", "缴款期限为推算", "due_date derived (推算)"},
    };
    for (const auto& c : cases) {
        const auto d = deadline_of(*parse_tax_period(c.period));
        ASSERT_TRUE(d.ok()) << c.period;
        EXPECT_EQ(deadline_note(*d), c.note) << c.period;
        EXPECT_EQ(deadline_note(*d, note_language::english), c.english) << c.period;
    }
}

// The texts that state the rules name the years and the turning points of
// the data and the constants the derivation uses, not copies of them.
TEST(DeadlineNote, StatesTheCoverageAndTheRulesFromTheData) {
    EXPECT_EQ(calendar_coverage_text(), "申报日历：2018年、2020年至2026年；推算：2004年至2026年的"
                                        "其他年份；其他年份没有数据，须填写缴款期限");
    const std::string rule = derivation_rule_text();
    for (const char* part : {"基准日为15日（2008年及以前为10日", "实施细则第一百零九条",
                             "2017年及以前按日历日顺延", "2018年起按工作日顺延"}) {
        EXPECT_NE(rule.find(part), std::string::npos) << part << "\n" << rule;
    }
    EXPECT_EQ(chinese_weekday(2024y / May / 22), "星期三");
    EXPECT_EQ(chinese_weekday(2026y / February / 24), "星期二");
}

} // namespace
} // namespace orvandel::calc
