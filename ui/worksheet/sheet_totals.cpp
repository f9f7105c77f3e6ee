#include "ui/worksheet/sheet_totals.h"

namespace orvandel::ui::worksheet {

namespace {

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
    share.cents = {calc::to_cents(outcome.input.amount_due),
                   calc::to_cents(f.fee_before),
                   calc::to_cents(f.fee_after),
                   calc::to_cents(f.total_fee),
                   calc::to_cents(f.tax_and_fee_total),
                   more ? calc::to_cents(*more) : std::optional<std::int64_t>(0)};
    return share;
}

void add(sheet_totals& totals, const row_share& share) {
    apply(totals, share, false);
}

void subtract(sheet_totals& totals, const row_share& share) {
    apply(totals, share, true);
}

} // namespace orvandel::ui::worksheet
