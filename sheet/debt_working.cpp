#include "sheet/debt_working.h"

#include "sheet/columns.h"
#include "sheet/figure_text.h"

#include "calc/debt_labels.h"
#include "calc/fee.h"
#include "calc/number_text.h"

namespace orvandel::sheet {
namespace {

namespace labels = calc::debt_labels;

std::string money_text(const calc::money& value) {
    std::string text;
    append_money(text, value);
    return text;
}

std::string date_text(const calc::date& day) {
    return calc::format_date_text(day).value_or("");
}

std::string_view zh(column c) {
    return column_name(c, language::chinese);
}

} // namespace

// Written left to right: MinGW's GCC 12 reports a false -Wrestrict for
// "=" + a string.
std::string segment_formula(const calc::debt_segment& s) {
    const std::string tax = money_text(s.tax);
    std::string out = "滞纳金=";
    const auto side = [&](calc::day_count days, const calc::money& rate) {
        out.append(tax).append("*").append(calc::default_text(days)).append("*");
        out.append(calc::default_text(rate));
    };
    if (s.days_before > 0) {
        side(s.days_before, calc::rate_before);
    }
    if (s.days_before > 0 && s.days_after > 0) {
        out.append("+");
    }
    if (s.days_after > 0 || s.days_before == 0) {
        side(s.days_after, calc::rate_after);
    }
    if (s.days_before > 0 && s.days_after > 0) {
        out.append("=").append(money_text(s.fee_before)).append("+");
        out.append(money_text(s.fee_after));
    }
    return out.append("=").append(money_text(s.total_fee));
}

std::string segment_line(const calc::debt_segment& s) {
    std::string out = date_text(s.start);
    out.append("至").append(date_text(s.end));
    out.append(" 欠缴税款").append(money_text(s.tax));
    out.append(" 滞纳天数").append(calc::default_text(s.days_before + s.days_after));
    out.append(" ").append(segment_formula(s));
    if (s.ends == calc::segment_end::stop_date) {
        out.append("（至").append(labels::stop_date).append("）");
    } else if (s.ends == calc::segment_end::as_of) {
        out.append("（至").append(as_of_label).append("）");
    }
    return out;
}

std::string payment_heading(const calc::payment_allocation& p) {
    std::string out = date_text(p.day);
    out.append(" 缴款").append(money_text(p.amount)).append(" ");
    out.append(labels::rule_name(p.rule));
    if (const std::string_view basis = labels::rule_basis(p.rule); !basis.empty()) {
        out.append("（").append(basis).append("）");
    }
    return out;
}

std::string allocation_line(const calc::payment_allocation& p) {
    std::string out(zh(column::to_tax));
    out.append(money_text(p.to_tax));
    out.append(" ").append(zh(column::to_fee)).append(money_text(p.to_fee));
    out.append(" ").append(zh(column::excess)).append(money_text(p.excess));
    out.append(" ").append(zh(column::tax_outstanding)).append(money_text(p.tax_outstanding));
    out.append(" ").append(zh(column::fee_outstanding)).append(money_text(p.fee_outstanding));
    return out;
}

std::string share_line(const calc::payment_allocation& p) {
    if (p.rule != calc::allocation_rule::proportional ||
        p.amount.coefficient >= p.tax_due.coefficient + p.fee_due.coefficient) {
        return {};
    }
    std::string out(zh(column::to_tax));
    out.append("=").append(money_text(p.amount)).append("*");
    out.append(money_text(p.tax_due)).append("/(").append(money_text(p.tax_due));
    out.append("+").append(money_text(p.fee_due)).append(")=");
    return out.append(money_text(p.to_tax));
}

std::string_view cap_statement(bool capped) {
    return capped ? "合计按行政强制法第四十五条封顶后的金额计入"
                  : "合计按未封顶的金额计入；行政强制法第四十五条是否适用，由使用者判断";
}

std::vector<working_line> debt_working(const debt_outcome& debt) {
    using kind = working_line::kind;
    std::vector<working_line> lines;
    if (!debt.ok()) {
        return lines;
    }
    const calc::debt_input& in = debt.input;
    const calc::debt_result& f = debt.figures;
    const auto labelled = [](std::string_view label, const std::string& value) {
        return std::string(label).append("=").append(value);
    };
    std::string dates = labelled(zh(column::due_date), date_text(in.due_date));
    if (in.stop_date) {
        dates.append("　").append(labelled(labels::stop_date, date_text(*in.stop_date)));
    }
    // The as-of day where tax owed accrued through it.
    if (in.as_of && !f.segments.empty() && f.segments.back().ends == calc::segment_end::as_of) {
        dates.append("　").append(labelled(as_of_label, date_text(*in.as_of)));
    }
    lines.push_back({kind::figures, std::move(dates)});
    if (f.segments.empty()) {
        lines.push_back({kind::figures, "没有滞纳的日子，不加收滞纳金"});
    } else {
        lines.push_back(
            {kind::heading, "分段计算（每段按一次计算，2001年05月01日前后分别四舍五入到分）："});
        for (const calc::debt_segment& s : f.segments) {
            lines.push_back({kind::figures, segment_line(s)});
        }
    }
    if (!f.payments.empty()) {
        lines.push_back({kind::heading, "缴款分配："});
        for (const calc::payment_allocation& p : f.payments) {
            lines.push_back({kind::figures, payment_heading(p)});
            lines.push_back({kind::detail, allocation_line(p)});
            if (std::string share = share_line(p); !share.empty()) {
                lines.push_back({kind::detail, std::move(share)});
            }
        }
    }
    lines.push_back({kind::heading, "合计："});
    lines.push_back(
        {kind::figures, labelled(zh(column::total_fee), money_text(f.total_fee)) + "　" +
                            labelled(zh(column::fee_paid), money_text(f.fee_paid)) + "　" +
                            labelled(zh(column::fee_outstanding), money_text(f.fee_outstanding))});
    lines.push_back(
        {kind::figures, labelled(zh(column::tax_outstanding), money_text(f.tax_outstanding)) +
                            "　" + labelled(zh(column::excess), money_text(f.excess))});
    lines.push_back(
        {kind::figures, labelled(labels::capped_total_fee, money_text(f.capped_total_fee))});
    lines.push_back({kind::detail, std::string(cap_statement(debt.capped))});
    return lines;
}

} // namespace orvandel::sheet
