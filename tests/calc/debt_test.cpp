#include "calc/debt.h"

#include "calc/fee.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace orvandel::calc {
namespace {

using namespace std::chrono;
__extension__ using wide = __int128;

date day_of(const char* text) {
    return *parse_date_text(text);
}

std::string text_of(const date& d) {
    return format_date_text(d).value_or("?");
}

std::string text_of(std::int64_t cents) {
    return default_text(money{cents, 2});
}

// The debt walked one day at a time, written without the engine's segments:
// each overdue day adds the exact product of the unpaid tax and that day's
// rate (in ten-thousandths of a cent) to its side of 2001-05-01; a payment
// day closes the stretch, whose two sides are rounded half up, then divides
// the payment. Its text has the form of describe() below.
struct day_by_day {
    std::int64_t unpaid = 0, accrued = 0, paid_fee = 0, excess = 0;
    std::optional<sys_days> stretch_start;
    sys_days stretch_end{};
    std::int64_t stretch_tax = 0;
    wide side[2] = {0, 0}; // before, after 2001-05-01
    day_count days[2] = {0, 0};
    std::string segments, payments;

    void close(const char* why) {
        if (!stretch_start) {
            return;
        }
        const std::int64_t fee[2] = {static_cast<std::int64_t>((side[0] + 5000) / 10000),
                                     static_cast<std::int64_t>((side[1] + 5000) / 10000)};
        accrued += fee[0] + fee[1];
        segments += text_of(date{*stretch_start}) + ".." + text_of(date{stretch_end}) + " " + why +
                    " " + text_of(stretch_tax) + " " + std::to_string(days[0]) + "+" +
                    std::to_string(days[1]) + " " + text_of(fee[0]) + "+" + text_of(fee[1]) + "; ";
        stretch_start.reset();
        side[0] = side[1] = 0;
        days[0] = days[1] = 0;
    }
    void accrue(sys_days d, const std::optional<date>& stop) {
        if (unpaid == 0 || (stop && d > sys_days{*stop})) {
            return;
        }
        if (!stretch_start) {
            stretch_start = d;
            stretch_tax = unpaid;
        }
        stretch_end = d;
        const int after = d >= sys_days{rate_change_date} ? 1 : 0;
        side[after] += static_cast<wide>(unpaid) * (after == 1 ? 5 : 20);
        ++days[after];
    }
    void pay(sys_days d, std::int64_t amount, const date& due) {
        const std::int64_t t = unpaid, s = accrued - paid_fee;
        std::int64_t to_tax = std::min(amount, t);
        std::int64_t to_fee = std::min(amount - to_tax, s);
        const char* rule = d <= sys_days{due} ? "in-time" : "tax-first";
        if (d > sys_days{due} && d < sys_days{2020y / March / 1}) {
            rule = "proportional";
            if (amount < t + s) {
                const wide n = t + s;
                to_tax =
                    static_cast<std::int64_t>((2 * static_cast<wide>(amount) * t + n) / (2 * n));
                to_fee = amount - to_tax;
            }
        }
        unpaid -= to_tax;
        paid_fee += to_fee;
        excess += amount - to_tax - to_fee;
        payments += text_of(date{d}) + " " + rule + " " + text_of(to_tax) + "+" + text_of(to_fee) +
                    "+" + text_of(amount - to_tax - to_fee) + " left " + text_of(unpaid) + " " +
                    text_of(accrued - paid_fee) + "; ";
    }
};

std::string by_days(const debt_input& in) {
    day_by_day w;
    w.unpaid = in.tax.coefficient;
    const sys_days due{in.due_date};
    sys_days d = due;
    const auto walk_through = [&](sys_days last) {
        for (; d < last; w.accrue(++d, in.stop_date)) {
        }
    };
    for (const debt_payment& p : in.payments) {
        walk_through(sys_days{p.day});
        w.close(in.stop_date && sys_days{*in.stop_date} <= sys_days{p.day} ? "stop" : "payment");
        w.pay(sys_days{p.day}, p.amount.coefficient, in.due_date);
    }
    if (w.unpaid > 0) {
        const date last = in.as_of ? *in.as_of : *in.stop_date;
        walk_through(sys_days{last});
        w.close(in.stop_date && *in.stop_date <= last ? "stop" : "as-of");
    }
    const std::int64_t tax = in.tax.coefficient;
    return w.segments + "| " + w.payments + "| fee " + text_of(w.accrued) + " capped " +
           text_of(std::min(w.accrued, tax)) + " paid " + text_of(w.paid_fee) + " owed " +
           text_of(w.accrued - w.paid_fee) + " tax " + text_of(w.unpaid) + " excess " +
           text_of(w.excess);
}

// The engine's result in the form of by_days().
std::string describe(const debt_input& in) {
    const auto r = compute_debt(in);
    if (!r) {
        return "error " + std::to_string(static_cast<int>(r.error().error)) + " at " +
               std::to_string(r.error().payment);
    }
    const char* ends[] = {"payment", "stop", "as-of"};
    const char* rules[] = {"in-time", "tax-first", "proportional"};
    std::string s;
    for (const debt_segment& g : r->segments) {
        s += text_of(g.start) + ".." + text_of(g.end) + " " + ends[static_cast<int>(g.ends)] + " " +
             default_text(g.tax) + " " + std::to_string(g.days_before) + "+" +
             std::to_string(g.days_after) + " " + default_text(g.fee_before) + "+" +
             default_text(g.fee_after) + "; ";
    }
    s += "| ";
    for (const payment_allocation& p : r->payments) {
        s += text_of(p.day) + " " + rules[static_cast<int>(p.rule)] + " " + default_text(p.to_tax) +
             "+" + default_text(p.to_fee) + "+" + default_text(p.excess) + " left " +
             default_text(p.tax_outstanding) + " " + default_text(p.fee_outstanding) + "; ";
    }
    return s + "| fee " + default_text(r->total_fee) + " capped " +
           default_text(r->capped_total_fee) + " paid " + default_text(r->fee_paid) + " owed " +
           default_text(r->fee_outstanding) + " tax " + default_text(r->tax_outstanding) +
           " excess " + default_text(r->excess);
}

debt_input debt(std::int64_t cents, const char* due, std::vector<debt_payment> payments = {},
                const char* as_of = nullptr, const char* stop = nullptr) {
    debt_input in{money{cents, 2}, day_of(due), std::move(payments), std::nullopt, std::nullopt};
    if (as_of) {
        in.as_of = day_of(as_of);
    }
    if (stop) {
        in.stop_date = day_of(stop);
    }
    return in;
}

debt_payment paid(const char* day, std::int64_t cents) {
    return {day_of(day), money{cents, 2}};
}

TEST(ComputeDebt, DividesEachPaymentByTheRuleOfItsDay) {
    const struct {
        const char* name;
        debt_input input;
        const char* totals; // the end of describe()
    } cases[] = {
        {"each side of 2020-03-01",
         debt(10000000, "2019-06-15", {paid("2019-08-01", 3000000), paid("2020-05-01", 7500000)}),
         "fee 12034.37 capped 12034.37 paid 5000.00 owed 7034.37 tax 0.00 excess 0.00"},
        // 0.63 × 1000.00 / 1008.00 is 0.625 exactly: the half cent goes to the tax.
        {"half-cent share, then each side of 2020-03-01",
         debt(100000, "2019-12-31",
              {paid("2020-01-16", 63), paid("2020-02-29", 10000), paid("2020-03-01", 50000)},
              "2020-03-11"),
         "fee 32.45 capped 32.45 paid 2.91 owed 29.54 tax 402.28 excess 0.00"},
        {"overpaid tax first", debt(100000, "2021-01-31", {paid("2021-03-01", 120000)}),
         "fee 14.50 capped 14.50 paid 14.50 owed 0.00 tax 0.00 excess 185.50"},
        {"overpaid covers both", debt(100000, "2019-01-31", {paid("2019-03-02", 110000)}),
         "fee 15.00 capped 15.00 paid 15.00 owed 0.00 tax 0.00 excess 85.00"},
        {"stop date freezes the surcharge",
         debt(1000000, "2019-12-31", {paid("2020-03-05", 1005000)}, nullptr, "2020-01-10"),
         "fee 50.00 capped 50.00 paid 50.00 owed 0.00 tax 0.00 excess 0.00"},
        {"stop date on the deadline", debt(1000000, "2019-12-31", {}, nullptr, "2019-12-31"),
         "fee 0.00 capped 0.00 paid 0.00 owed 0.00 tax 10000.00 excess 0.00"},
        {"cap", debt(10000, "1995-12-31", {}, "2001-04-30"),
         "fee 389.40 capped 100.00 paid 0.00 owed 389.40 tax 100.00 excess 0.00"},
        {"same-day payments in order",
         debt(1000000, "2019-06-30", {paid("2019-07-10", 300000), paid("2019-07-10", 500000)},
              "2019-07-20"),
         "fee 60.20 capped 60.20 paid 39.80 owed 20.40 tax 2039.80 excess 0.00"},
        {"paid on the deadline",
         debt(500000, "2022-05-15", {paid("2022-05-15", 200000)}, "2022-05-25"),
         "fee 15.00 capped 15.00 paid 0.00 owed 15.00 tax 3000.00 excess 0.00"},
        {"in time and overpaid", debt(500000, "2022-05-15", {paid("2022-05-01", 600000)}),
         "fee 0.00 capped 0.00 paid 0.00 owed 0.00 tax 0.00 excess 1000.00"},
        {"no payment, as of", debt(1234567, "2001-04-20", {}, "2001-05-09"),
         "fee 302.47 capped 302.47 paid 0.00 owed 302.47 tax 12345.67 excess 0.00"},
        {"as of on the last payment day",
         debt(1000000, "2020-12-31", {paid("2021-01-10", 500000)}, "2021-01-10"),
         "fee 50.00 capped 50.00 paid 0.00 owed 50.00 tax 5000.00 excess 0.00"},
    };
    for (const auto& c : cases) {
        const std::string engine = describe(c.input);
        EXPECT_TRUE(engine.ends_with(c.totals)) << c.name << "\n" << engine;
        EXPECT_EQ(engine, by_days(c.input)) << c.name;
    }
    // The worked example of the header and the manual, payment by payment.
    EXPECT_EQ(describe(cases[0].input),
              "2019-06-16..2019-08-01 payment 100000.00 0+47 0.00+2350.00; "
              "2019-08-02..2020-05-01 payment 70688.81 0+274 0.00+9684.37; | "
              "2019-08-01 proportional 29311.19+688.81+0.00 left 70688.81 1661.19; "
              "2020-05-01 tax-first 70688.81+4311.19+0.00 left 0.00 7034.37; | " +
                  std::string(cases[0].totals));
}

TEST(ComputeDebt, AgreesWithADayByDayWalk) {
    std::mt19937_64 rng(16);
    const auto pick = [&rng](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    const sys_days earliest{1998y / January / 1};
    for (int i = 0; i < 3000; ++i) {
        // Up to twelve integer digits; due dates on either side of both changes.
        const std::int64_t tax = pick(0, 3) == 0 ? pick(1, 99999999999999) : pick(1, 10000000);
        const sys_days due = earliest + days{pick(0, 8500)};
        debt_input in{money{tax, 2}, date{due}, {}, std::nullopt, std::nullopt};
        sys_days day = due - days{pick(0, 40)};
        for (auto n = pick(0, 6); n > 0; --n) {
            day += days{pick(0, 3) == 0 ? 0 : pick(1, 400)};
            const std::int64_t most =
                std::min<std::int64_t>(tax / 2 + pick(1, tax), 99999999999999);
            in.payments.push_back({date{day}, money{pick(1, most), 2}});
        }
        if (pick(0, 3) == 0) {
            in.stop_date = date{due + days{pick(0, 900)}};
        }
        if (pick(0, 3) != 0) {
            in.as_of = date{day + days{pick(0, 300)}};
        }
        const auto r = compute_debt(in);
        if (!r) {
            ASSERT_EQ(r.error().error, debt_error::no_end_of_accrual) << i;
            ASSERT_FALSE(in.as_of || in.stop_date) << i;
            continue;
        }
        ASSERT_EQ(describe(in), by_days(in)) << i;
    }
}

// One payment that covers everything, or none with an as-of date, gives the
// figures of one calculation of the days after the deadline through that day.
TEST(ComputeDebt, OnePaymentOfEverythingIsOneCalculation) {
    std::mt19937_64 rng(2001);
    const auto pick = [&rng](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
    };
    for (int i = 0; i < 2000; ++i) {
        // Eleven integer digits, so that tax and surcharge can be paid in one
        // payment of at most twelve.
        const money tax{pick(1, 9999999999999), 2};
        const sys_days due = sys_days{1996y / January / 1} + days{pick(0, 10000)};
        const sys_days day = due + days{pick(0, 3000)};
        late_fee_input one{tax, entry_mode::by_dates, date{due + days{1}}, date{day + days{1}}};
        const auto fee = compute_late_fee(one);
        ASSERT_TRUE(fee.ok());
        const auto owed = add_money(tax, fee->total_fee)->coefficient;
        const debt_input payment{tax, date{due}, {{date{day}, money{owed + pick(0, 1), 2}}}};
        const debt_input as_of{tax, date{due}, {}, date{day}};
        for (const debt_input& in : {payment, as_of}) {
            const auto r = compute_debt(in);
            ASSERT_TRUE(r.ok());
            const bool accrues = fee->total_days > 0 && tax.coefficient > 0;
            ASSERT_EQ(r->segments.size(), accrues ? 1U : 0U) << i;
            EXPECT_EQ(r->total_fee, fee->total_fee) << i;
            if (accrues) {
                EXPECT_EQ(r->segments[0].fee_before, fee->fee_before) << i;
                EXPECT_EQ(r->segments[0].fee_after, fee->fee_after) << i;
            }
            const bool paid = !in.payments.empty();
            EXPECT_EQ(r->fee_outstanding, (paid ? money{0, 2} : fee->total_fee)) << i;
            EXPECT_EQ(r->tax_outstanding, (paid ? money{0, 2} : tax)) << i;
        }
    }
}

TEST(ComputeDebt, RefusesInputItCannotComputeSoundly) {
    const auto with = [](debt_input in, auto change) {
        change(in);
        return in;
    };
    const debt_input base = debt(100000, "2020-01-31", {paid("2020-02-10", 100)}, "2020-03-01");
    const date no_day = 2001y / February / 29;
    const struct {
        const char* name;
        debt_input input;
        debt_problem expected;
    } cases[] = {
        {"tax of three decimals",
         with(base,
              [](auto& d) {
                  d.tax = money{1000, 3};
              }),
         {debt_error::tax_too_many_decimals}},
        {"negative tax",
         with(base,
              [](auto& d) {
                  d.tax = money{-1, 2};
              }),
         {debt_error::tax_out_of_range}},
        {"thirteen-digit tax",
         with(base,
              [](auto& d) {
                  d.tax = money{1000000000000, 0};
              }),
         {debt_error::tax_out_of_range}},
        {"no such due date",
         with(base, [&](auto& d) { d.due_date = no_day; }),
         {debt_error::invalid_due_date}},
        {"no such stop date",
         with(base, [&](auto& d) { d.stop_date = no_day; }),
         {debt_error::invalid_stop_date}},
        {"stop before the deadline",
         with(base, [](auto& d) { d.stop_date = day_of("2020-01-30"); }),
         {debt_error::stop_before_due}},
        {"no such as-of date",
         with(base, [&](auto& d) { d.as_of = no_day; }),
         {debt_error::invalid_as_of}},
        {"no such payment day",
         debt(100, "2020-01-31", {paid("2020-02-10", 1), {no_day, {1, 2}}}),
         {debt_error::invalid_payment_date, 1}},
        {"payment of zero",
         debt(100, "2020-01-31", {paid("2020-02-10", 0)}),
         {debt_error::payment_not_positive, 0}},
        {"negative payment",
         debt(100, "2020-01-31", {paid("2020-02-10", 5), paid("2020-02-11", -5)}),
         {debt_error::payment_not_positive, 1}},
        {"payment of three decimals",
         debt(100, "2020-01-31", {{day_of("2020-02-10"), {1, 3}}}),
         {debt_error::payment_too_many_decimals, 0}},
        {"thirteen-digit payment",
         debt(100, "2020-01-31", {paid("2020-02-10", 100000000000000)}),
         {debt_error::payment_out_of_range, 0}},
        {"out of date order",
         debt(100, "2020-01-31", {paid("2020-02-10", 1), paid("2020-02-09", 1)}),
         {debt_error::payment_out_of_order, 1}},
        {"as of before the last payment",
         with(base, [](auto& d) { d.as_of = day_of("2020-02-09"); }),
         {debt_error::as_of_before_payment}},
        {"tax owed and no end",
         with(base, [](auto& d) { d.as_of.reset(); }),
         {debt_error::no_end_of_accrual}},
        {"excess beyond 64 bits",
         debt(0, "2020-01-31",
              std::vector<debt_payment>(100000, paid("2020-01-01", 99999999999999))),
         {debt_error::out_of_range}},
    };
    for (const auto& c : cases) {
        const auto r = compute_debt(c.input);
        ASSERT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.error(), c.expected) << c.name;
    }
    // The same debt paid in full needs no end; a stop date alone ends it.
    EXPECT_TRUE(compute_debt(with(base, [](auto& d) { d.as_of = day_of("2020-02-10"); })).ok());
    EXPECT_TRUE(compute_debt(debt(100, "2020-01-31", {paid("2020-02-10", 101)})).ok());
    EXPECT_TRUE(compute_debt(debt(100, "2020-01-31", {}, nullptr, "2020-02-05")).ok());
}

} // namespace
} // namespace orvandel::calc
