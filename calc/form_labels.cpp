#include "form_labels.h"

#include "fee.h"

namespace orvandel::calc::form_labels {
namespace {

// plain=amount*days*rate=fee, the rate as the engine holds it ("0.002").
std::string formula(std::string_view plain, std::string_view amount_text,
                    std::string_view days_text, const money& rate, const money& fee) {
    std::string text;
    text.reserve(plain.size() + amount_text.size() + days_text.size() + 32);
    text.append(plain).append("=").append(amount_text).append("*").append(days_text);
    text.append("*").append(default_text(rate)).append("=").append(default_text(fee));
    return text;
}

} // namespace

std::string formula_before(std::string_view amount_text, std::string_view days_text,
                           const money& fee_before) {
    return formula(formula_before_plain, amount_text, days_text, rate_before, fee_before);
}

std::string formula_after(std::string_view amount_text, std::string_view days_text,
                          const money& fee_after) {
    return formula(formula_after_plain, amount_text, days_text, rate_after, fee_after);
}

} // namespace orvandel::calc::form_labels
