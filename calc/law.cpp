#include "law.h"

namespace orvandel::calc::law {

std::string day_count_rule() {
    return std::string("滞纳天数自缴款期限的次日起计算至实际缴款日期止，首尾两日均计算在内（")
        .append(day_count_source_short)
        .append("；")
        .append(pay_day_source)
        .append("）");
}

} // namespace orvandel::calc::law
