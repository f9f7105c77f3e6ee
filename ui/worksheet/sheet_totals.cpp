#include "ui/worksheet/sheet_totals.h"

namespace orvandel::ui::worksheet {

namespace {

constexpr std::size_t index(summed s) {
    return static_cast<std::size_t>(s);
}

void apply(sheet_totals& totals, const row_share& share, bool take_away) {
    switch (share.what) {
    case row_share::kind::blank:
        return;
    case row_share::kind::left_out:
        totals.left_out = take_away ? totals.left_out - 1 : totals.left_out + 1;
        return;
    case row_share::kind::computed:
        break;
    }
    totals.computed = take_away ? totals.computed - 1 : totals.computed + 1;
    if (share.capped_debt) {
        totals.capped_debts = take_away ? totals.capped_debts - 1 : totals.capped_debts + 1;
    }
    for (std::size_t i = 0; i < summed_count; ++i) {
        totals.sums[i].add_cents(share.cents[i], take_away);
    }
}

} // namespace

row_share share_of(const sheet::row_outcome& outcome, bool blank) {
    row_share share;
    if (blank) {
        return share;
    }
    if (!outcome.ok) {
        share.what = row_share::kind::left_out;
        return share;
    }
    const calc::late_fee_result& f = outcome.figures;
    const auto more = sheet::one_more_day(outcome);
    share.what = row_share::kind::computed;
    share.cents.fill(0);
    share.cents[index(summed::amount)] = calc::to_cents(outcome.input.amount_due);
    share.cents[index(summed::fee_before)] = calc::to_cents(f.fee_before);
    share.cents[index(summed::fee_after)] = calc::to_cents(f.fee_after);
    share.cents[index(summed::total_fee)] = calc::to_cents(f.total_fee);
    share.cents[index(summed::tax_and_fee_total)] = calc::to_cents(f.tax_and_fee_total);
    share.cents[index(summed::one_more_day)] =
        more ? calc::to_cents(*more) : std::optional<std::int64_t>(0);
    return share;
}

row_share share_of_debt_row(const sheet::debt_outcome& debt, std::size_t member) {
    row_share share;
    if (!debt.ok()) {
        share.what = row_share::kind::left_out;
        return share;
    }
    const bool debt_row = member == debt.debt_member;
    if (!debt_row && debt.member_payment[member] == sheet::no_member) {
        return share; // a row with nothing but its 编号: no row of the sums
    }
    share.what = row_share::kind::computed;
    share.cents.fill(0);
    const auto put = [&share](summed s, const calc::money& value) {
        share.cents[index(s)] = calc::to_cents(value);
    };
    if (debt_row) {
        const calc::debt_result& f = debt.figures;
        const calc::money carried = debt.carried_fee();
        put(summed::amount, f.tax);
        put(summed::fee_before, debt.fee_before);
        put(summed::fee_after, debt.fee_after);
        put(summed::total_fee, carried);
        put(summed::tax_and_fee_total,
            calc::money{f.tax.coefficient + carried.coefficient, calc::money_places});
        put(summed::one_more_day, debt.one_more_day);
        put(summed::tax_outstanding, f.tax_outstanding);
        put(summed::fee_outstanding, debt.carried_fee_outstanding());
        put(summed::fee_paid, f.fee_paid);
        put(summed::capped_total_fee, f.capped_total_fee);
        share.capped_debt = debt.capped;
    }
    if (const std::size_t p = debt.member_payment[member]; p != sheet::no_member) {
        const calc::payment_allocation& a = debt.figures.payments[p];
        put(summed::paid_amount, a.amount);
        put(summed::to_tax, a.to_tax);
        put(summed::to_fee, a.to_fee);
        put(summed::excess, a.excess);
    }
    return share;
}

void add(sheet_totals& totals, const row_share& share) {
    apply(totals, share, false);
}

void subtract(sheet_totals& totals, const row_share& share) {
    apply(totals, share, true);
}

} // namespace orvandel::ui::worksheet
