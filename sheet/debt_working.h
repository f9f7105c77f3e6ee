// The working of a debt paid in parts in words: each segment with its
// formula, each payment with the rule that divided it and its document, the
// share of a 配比 payment worked out. The command line's table, the
// worksheet's panel and the audit sheet write a debt with these, so that all
// three read the same.
#pragma once

#include "sheet/debts.h"

#include "calc/debt.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet {

// "计算截止日期": the day tax still owed after the last payment accrues through.
inline constexpr std::string_view as_of_label = "计算截止日期";

// "滞纳金=100000.00*47*0.0005=2350.00", or over both sides of 2001-05-01
// "滞纳金=T*10*0.002+T*9*0.0005=246.91+55.56=302.47".
[[nodiscard]] std::string segment_formula(const calc::debt_segment& segment);

// "2019-06-16至2019-08-01 欠缴税款100000.00 滞纳天数47 滞纳金=…", and
// "（至停止计算日期）" or "（至计算截止日期）" where accrual ended there.
[[nodiscard]] std::string segment_line(const calc::debt_segment& segment);

// "2019-08-01 缴款30000.00 配比（国税发〔2004〕66号）": a payment, its rule and
// the rule's document.
[[nodiscard]] std::string payment_heading(const calc::payment_allocation& payment);

// "抵缴税款29311.19 抵缴滞纳金688.81 多缴0.00 尚欠税款70688.81 尚欠滞纳金1661.19".
[[nodiscard]] std::string allocation_line(const calc::payment_allocation& payment);

// "抵缴税款=30000.00*100000.00/(100000.00+2350.00)=29311.19": the share of a
// 配比 payment that did not cover tax and surcharge; empty for any other.
[[nodiscard]] std::string share_line(const calc::payment_allocation& payment);

// "合计按行政强制法第四十五条封顶后的金额计入" or the uncapped counterpart:
// which surcharge a debt's totals carry.
[[nodiscard]] std::string_view cap_statement(bool capped);

struct working_line {
    enum class kind : unsigned char {
        heading, // what follows: 分段计算, 缴款分配, 合计
        figures, // a line of dates and figures
        detail,  // a line under the one before it
    };
    kind what = kind::figures;
    std::string text;
};

// The whole working of a computed debt, in reading order: its dates, each
// segment, each payment with its division, its totals and the cap. Nothing
// for a debt without figures.
[[nodiscard]] std::vector<working_line> debt_working(const debt_outcome& debt);

} // namespace orvandel::sheet
