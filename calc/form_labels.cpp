#include "form_labels.h"

namespace orvandel::calc::form_labels {
namespace {

std::string formula(std::string_view plain, std::string_view amount_text,
                    std::string_view days_text, std::string_view rate_tail, const money& fee) {
    std::string text;
    text.reserve(plain.size() + amount_text.size() + days_text.size() + rate_tail.size() + 24);
    text.append(plain).append("=").append(amount_text).append("*").append(days_text);
    text.append(rate_tail).append(default_text(fee));
    return text;
}

} // namespace

std::string formula_before(std::string_view amount_text, std::string_view days_text,
                           const money& fee_before) {
    return formula(formula_before_plain, amount_text, days_text, "*0.002=", fee_before);
}

std::string formula_after(std::string_view amount_text, std::string_view days_text,
                          const money& fee_after) {
    return formula(formula_after_plain, amount_text, days_text, "*0.0005=", fee_after);
}

} // namespace orvandel::calc::form_labels
