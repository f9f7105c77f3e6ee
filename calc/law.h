// Where the rules the engine applies come from, and the rates in the words
// tax documents use. Every text that names a rule's source or states a rate
// in words takes it from here, so that the worksheet, the audit sheet, the
// about window and the command line cite the same documents.
#pragma once

#include <string>
#include <string_view>

namespace orvandel::calc::law {

// Overdue days run from the day after the payment deadline.
inline constexpr std::string_view day_count_source = "《税收征收管理法实施细则》第七十五条";
inline constexpr std::string_view day_count_source_short = "实施细则第七十五条";
// The day the tax is paid is an overdue day.
inline constexpr std::string_view pay_day_source = "国税函〔1998〕291号";
// The rate from 2001-05-01 (rate_after) and before it (rate_before).
inline constexpr std::string_view rate_after_source = "《税收征收管理法》第三十二条";
inline constexpr std::string_view rate_before_source = "2001年修订前的《税收征收管理法》第二十条";
inline constexpr std::string_view rate_before_words = "千分之二";
// How a payment of tax and surcharge is divided: tax first from 2020-03-01,
// in proportion before.
inline constexpr std::string_view tax_first_source = "国家税务总局公告2019年第48号";
inline constexpr std::string_view proportional_source = "国税发〔2004〕66号";
inline constexpr std::string_view rate_after_words = "万分之五";
// The filing calendar: the 15th as a month's last day to declare and pay, from
// 2009-01-01 (the 10th before), and the days off that extend it.
inline constexpr std::string_view filing_day_source = "《增值税暂行条例》（2008年修订）第二十三条";
inline constexpr std::string_view holiday_extension_source =
    "《税收征收管理法实施细则》第一百零九条";
inline constexpr std::string_view holiday_extension_source_short = "实施细则第一百零九条";
// Accrual of a debt stops at the acceptance of a bankruptcy petition.
inline constexpr std::string_view stop_date_source = tax_first_source;
// A surcharge may not exceed the amount owed; tax authorities hold that it
// does not reach tax surcharges, some courts have applied it.
inline constexpr std::string_view cap_source = "《行政强制法》第四十五条";

// "滞纳天数自缴款期限的次日起计算至实际缴款日期止，首尾两日均计算在内
// （实施细则第七十五条；国税函〔1998〕291号）": the law's day count in one
// sentence, without a final full stop.
[[nodiscard]] std::string day_count_rule();

} // namespace orvandel::calc::law
