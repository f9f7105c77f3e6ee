#include "debt.h"

#include "fee.h"
#include "split.h"
#include "wide.h"

#include <algorithm>
#include <cstdint>

namespace orvandel::calc {
namespace {

using std::chrono::sys_days;
using cents = std::int64_t;

// Twelve integer digits and two decimals: the widest amount the form takes.
constexpr cents max_amount = 99'999'999'999'999;

money at_cents(cents value) {
    return money{value, money_places};
}

enum class amount_check { ok, too_many_decimals, out_of_range };

// The value of an amount of at most two decimals in cents, exactly. A value
// with more decimals is refused even when its last ones are zeros, as typed
// amounts are.
amount_check to_cents(const money& amount, cents& out) {
    if (amount.scale < 0 || amount.scale > money_places) {
        return amount_check::too_many_decimals;
    }
    const auto extended = round_money(amount); // exact: only adds places
    if (!extended || extended->coefficient < 0 || extended->coefficient > max_amount) {
        return amount_check::out_of_range;
    }
    out = extended->coefficient;
    return amount_check::ok;
}

struct division {
    std::uint64_t quotient = 0;
    std::uint64_t remainder = 0;
};

// a / d for a 128-bit a whose quotient fits 64 bits (a.hi < d), one bit at a
// time: the remainder stays below d (< 2^63), so doubling it never overflows.
// For compilers without a native 128-bit type; checked below at compile time
// so that it stays right where it is not run.
constexpr division divide_by_bits(detail::u128 a, std::uint64_t d) {
    division r{0, a.hi};
    for (int bit = 63; bit >= 0; --bit) {
        r.remainder = (r.remainder << 1U) | ((a.lo >> static_cast<unsigned>(bit)) & 1U);
        r.quotient <<= 1U;
        if (r.remainder >= d) {
            r.remainder -= d;
            r.quotient |= 1U;
        }
    }
    return r;
}
// The widest product, dividing exactly; and the 配比 share of the header's
// example at 10^8 times its amounts, far beyond 64 bits.
static_assert(divide_by_bits(detail::multiply_by_halves(99999999999999, 99999999999998),
                             99999999999999)
                  .quotient == 99999999999998);
static_assert(divide_by_bits(detail::multiply_by_halves(99999999999999, 99999999999998),
                             99999999999999)
                  .remainder == 0);
static_assert(divide_by_bits(detail::multiply_by_halves(3000000000000, 10000000000000),
                             10235000000000)
                  .quotient == 2931118710307);
static_assert(divide_by_bits(detail::multiply_by_halves(3000000000000, 10000000000000),
                             10235000000000)
                  .remainder == 7855000000000);

// a / d as divide_by_bits, natively where the compiler can.
division divide(detail::u128 a, std::uint64_t d) {
    if (a.hi == 0) {
        return {a.lo / d, a.lo % d};
    }
#if defined(__SIZEOF_INT128__)
    __extension__ using native = unsigned __int128;
    const native wide = (static_cast<native>(a.hi) << 64U) | a.lo;
    return {static_cast<std::uint64_t>(wide / d), static_cast<std::uint64_t>(wide % d)};
#else
    return divide_by_bits(a, d);
#endif
}

// round(p × t / n) to the cent, half up, for 0 <= p, t < n: the 配比 share of
// a payment p that goes to the tax t out of t plus surcharge. The product is
// formed in 128 bits; the quotient is below t and so fits 64 bits.
cents proportional_share(cents p, cents t, cents n) {
    const auto divisor = static_cast<std::uint64_t>(n);
    const division d = divide(
        detail::multiply(static_cast<std::uint64_t>(p), static_cast<std::uint64_t>(t)), divisor);
    // Half a cent or more of remainder rounds up.
    const bool up = d.remainder >= divisor - d.remainder;
    return static_cast<cents>(d.quotient + (up ? 1U : 0U));
}

allocation_rule rule_on(const date& day, const date& due_date) {
    if (day <= due_date) {
        return allocation_rule::before_deadline;
    }
    return day >= tax_first_from ? allocation_rule::tax_first : allocation_rule::proportional;
}

// The first problem of the input, if any; the payment amounts in cents.
std::optional<debt_problem> check(const debt_input& input, cents& tax,
                                  std::vector<cents>& payments) {
    switch (to_cents(input.tax, tax)) {
    case amount_check::too_many_decimals:
        return debt_problem{debt_error::tax_too_many_decimals};
    case amount_check::out_of_range:
        return debt_problem{debt_error::tax_out_of_range};
    case amount_check::ok:
        break;
    }
    if (!is_calendar_day(input.due_date)) {
        return debt_problem{debt_error::invalid_due_date};
    }
    if (input.stop_date && !is_calendar_day(*input.stop_date)) {
        return debt_problem{debt_error::invalid_stop_date};
    }
    if (input.stop_date && *input.stop_date < input.due_date) {
        return debt_problem{debt_error::stop_before_due};
    }
    if (input.as_of && !is_calendar_day(*input.as_of)) {
        return debt_problem{debt_error::invalid_as_of};
    }
    payments.resize(input.payments.size());
    for (std::size_t i = 0; i < input.payments.size(); ++i) {
        const debt_payment& p = input.payments[i];
        if (!is_calendar_day(p.day)) {
            return debt_problem{debt_error::invalid_payment_date, i};
        }
        if (p.amount.coefficient <= 0 && p.amount.scale >= 0 && p.amount.scale <= money_places) {
            return debt_problem{debt_error::payment_not_positive, i};
        }
        switch (to_cents(p.amount, payments[i])) {
        case amount_check::too_many_decimals:
            return debt_problem{debt_error::payment_too_many_decimals, i};
        case amount_check::out_of_range:
            return debt_problem{debt_error::payment_out_of_range, i};
        case amount_check::ok:
            break;
        }
        if (i > 0 && p.day < input.payments[i - 1].day) {
            return debt_problem{debt_error::payment_out_of_order, i};
        }
    }
    return std::nullopt;
}

// The debt as it is walked from day to day.
class debt_walk {
public:
    debt_walk(const debt_input& input, cents tax, debt_result& out)
        : out_(out), tax_owed_(tax), next_day_(sys_days{input.due_date} + std::chrono::days{1}),
          stop_(input.stop_date) {}

    [[nodiscard]] cents tax_owed() const { return tax_owed_; }

    // Accrues the tax owed on every day not yet accrued through `last`
    // (stopping at the stop date): one segment, if there is such a day.
    bool accrue_through(const date& last, segment_end why) {
        sys_days end{last};
        if (stop_ && sys_days{*stop_} <= end) {
            end = sys_days{*stop_};
            why = segment_end::stop_date;
        }
        if (tax_owed_ == 0 || end < next_day_) {
            return true;
        }
        // The law's days `next_day_` through `end` are the period from
        // next_day_ to end + 1 with the start counted and the end not. Split
        // here and handed over as day counts, since end + 1 may be
        // 10000-01-01, past the last day the engine takes as a date.
        const overdue_split split = split_overdue_days(next_day_, end + std::chrono::days{1});
        late_fee_input in;
        in.amount_due = at_cents(tax_owed_);
        in.mode = entry_mode::by_days;
        in.days_before = split.days_before;
        in.days_after = split.days_after;
        const auto fee = compute_late_fee(in);
        if (!fee) {
            return false;
        }
        const auto accrued = detail::checked_add(fee_accrued_, fee->total_fee.coefficient);
        if (!accrued) {
            return false;
        }
        fee_accrued_ = *accrued;
        out_.segments.push_back({date{next_day_}, date{end}, why, in.amount_due, split.days_before,
                                 split.days_after, fee->fee_before, fee->fee_after,
                                 fee->total_fee});
        next_day_ = end + std::chrono::days{1};
        return true;
    }

    // Divides `payment`, of `amount` cents, by `rule`.
    bool pay(const debt_payment& payment, cents amount, allocation_rule rule) {
        const cents tax = tax_owed_;
        const cents fee = fee_accrued_ - fee_paid_;
        cents to_tax = 0;
        cents to_fee = 0;
        if (rule == allocation_rule::proportional && amount < tax + fee) {
            to_tax = proportional_share(amount, tax, tax + fee);
            to_fee = amount - to_tax;
        } else {
            // Tax first; also a 配比 payment that covers both, and one made in
            // time, when nothing has accrued.
            to_tax = std::min(amount, tax);
            to_fee = std::min(amount - to_tax, fee);
        }
        const cents excess = amount - to_tax - to_fee;
        const auto total_excess = detail::checked_add(excess_, excess);
        if (!total_excess) {
            return false;
        }
        excess_ = *total_excess;
        tax_owed_ -= to_tax;
        fee_paid_ += to_fee;
        out_.payments.push_back({payment.day, at_cents(amount), rule, at_cents(tax), at_cents(fee),
                                 at_cents(to_tax), at_cents(to_fee), at_cents(excess),
                                 at_cents(tax_owed_), at_cents(fee_accrued_ - fee_paid_)});
        return true;
    }

    void finish(cents tax) {
        out_.tax = at_cents(tax);
        out_.total_fee = at_cents(fee_accrued_);
        out_.capped_total_fee = at_cents(std::min(fee_accrued_, tax));
        out_.fee_paid = at_cents(fee_paid_);
        out_.fee_outstanding = at_cents(fee_accrued_ - fee_paid_);
        out_.tax_outstanding = at_cents(tax_owed_);
        out_.excess = at_cents(excess_);
    }

private:
    debt_result& out_;
    cents tax_owed_;
    cents fee_accrued_ = 0;
    cents fee_paid_ = 0;
    cents excess_ = 0;
    sys_days next_day_; // the first overdue day not yet accrued
    std::optional<date> stop_;
};

} // namespace

result<debt_result, debt_problem> compute_debt(const debt_input& input) {
    cents tax = 0;
    std::vector<cents> amounts;
    if (const auto problem = check(input, tax, amounts)) {
        return *problem;
    }
    debt_result out;
    out.segments.reserve(input.payments.size() + 1);
    out.payments.reserve(input.payments.size());
    debt_walk walk(input, tax, out);
    for (std::size_t i = 0; i < input.payments.size(); ++i) {
        const debt_payment& p = input.payments[i];
        const allocation_rule rule = rule_on(p.day, input.due_date);
        if (!walk.accrue_through(p.day, segment_end::payment) || !walk.pay(p, amounts[i], rule)) {
            return debt_problem{debt_error::out_of_range};
        }
    }
    if (walk.tax_owed() > 0) {
        const bool paid_before = !input.payments.empty();
        if (input.as_of && paid_before && *input.as_of < input.payments.back().day) {
            return debt_problem{debt_error::as_of_before_payment};
        }
        if (!input.as_of && !input.stop_date) {
            return debt_problem{debt_error::no_end_of_accrual};
        }
        const date last = input.as_of ? *input.as_of : *input.stop_date;
        if (!walk.accrue_through(last, segment_end::as_of)) {
            return debt_problem{debt_error::out_of_range};
        }
    }
    walk.finish(tax);
    return out;
}

} // namespace orvandel::calc
