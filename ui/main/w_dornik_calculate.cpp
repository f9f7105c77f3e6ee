// Calculate: reads the amount, the dates or the typed day counts and the entry
// mode from the form, has the engine work out the surcharge and writes the
// nine results back.

#include "ui/main/w_dornik.h"

#include "calc/fee.h"
#include "calc/form_labels.h"
#include "calc/number_text.h"
#include "runtime/engine_text.h"
#include "runtime/message_box.h"

#include <QRadioButton>

#include <string>
#include <string_view>

namespace orvandel::ui {

namespace {

namespace form_labels = calc::form_labels;

using runtime::qstring;

std::string utf8(const runtime::edit_mask* field) {
    return runtime::utf8(field->text());
}

void tell(QWidget* window, const QString& text) {
    runtime::message_box(window, qstring(form_labels::message_title), text,
                         runtime::msg_icon::exclamation);
}

} // namespace

void w_dornik::cb_js_clicked() {
    // Started by its access key or by Enter, the command has not taken the
    // focus: the field being edited reports its change (and so the entry mode) first.
    runtime::commit_pending_edit(this);

    calc::late_fee_input input;
    if (!read_input(input)) {
        return;
    }
    const auto result = calc::compute_late_fee(input);
    if (!result) {
        switch (result.error()) {
        case calc::fee_error::start_after_end:
            tell(this, qstring(form_labels::start_after_end_message));
            return;
        // read_input lets no such date, day count or amount through, so only a
        // figure too wide to show can come back.
        case calc::fee_error::invalid_date:
        case calc::fee_error::negative_days:
        case calc::fee_error::invalid_amount:
        case calc::fee_error::out_of_range:
            tell(this,
                 QStringLiteral("计算结果超出了可以显示的范围，请检查应缴税款金额、日期或天数。"));
            return;
        }
        return;
    }
    write_results(input, *result);
}

bool w_dornik::read_input(calc::late_fee_input& input) {
    // Reads one field with the engine's parser into `value`, or names the
    // field to the user and stops the command.
    const auto read = [this](runtime::edit_mask* field, auto parse, const QString& what,
                             auto& value) {
        const auto read_value = parse(utf8(field));
        if (!read_value) {
            tell_unreadable(field, what);
            return false;
        }
        value = *read_value;
        return true;
    };
    const QString date = QStringLiteral("日期（应为“年-月-日”，如%1）");
    const QString days = QStringLiteral("天数（最多六位数字）");

    input.mode = rb_2->isChecked() ? calc::entry_mode::by_days : calc::entry_mode::by_dates;
    if (input.mode == calc::entry_mode::by_dates &&
        (!read(em_2, calc::parse_date_text, date.arg("2001-04-21"), input.start_date) ||
         !read(em_3, calc::parse_date_text, date.arg("2001-05-10"), input.end_date))) {
        return false;
    }
    // An amount left empty reads as zero.
    const auto amount = calc::parse_amount_text(utf8(em_yjsk));
    if (!amount && amount.error() != calc::number_text_error::empty) {
        tell_unreadable(em_yjsk, QStringLiteral("金额"));
        return false;
    }
    input.amount_due = amount ? *amount : calc::money{0, calc::amount_decimals};
    return input.mode == calc::entry_mode::by_dates ||
           (read(em_znts3, calc::parse_day_count_text, days, input.days_after) &&
            read(em_znts4, calc::parse_day_count_text, days, input.days_before));
}

void w_dornik::tell_unreadable(runtime::edit_mask* field, const QString& what) {
    tell(this,
         QStringLiteral("“%1”不是有效的%2，请改正后再计算。").arg(field->accessibleName(), what));
    field->setFocus();
    field->selectAll();
}

void w_dornik::write_results(const calc::late_fee_input& input,
                             const calc::late_fee_result& result) {
    const std::string days_before = calc::default_text(result.days_before);
    const std::string days_after = calc::default_text(result.days_after);
    em_znts1->set_text(qstring(days_before));
    em_znts2->set_text(qstring(days_after));
    em_znts->set_text(qstring(calc::default_text(result.total_days)));
    em_znj->set_text(qstring(calc::default_text(result.total_fee)));
    em_znj1->set_text(qstring(calc::default_text(result.fee_before)));
    em_znj2->set_text(qstring(calc::default_text(result.fee_after)));
    // The formulas quote the amount as its field shows it (".00" for an amount
    // left empty) and the day counts as the fields above show them.
    const std::string amount = calc::money_picture_text(input.amount_due);
    st_znj1->setText(qstring(form_labels::formula_before(amount, days_before, result.fee_before)));
    st_znj2->setText(qstring(form_labels::formula_after(amount, days_after, result.fee_after)));
    em_hj->set_text(qstring(calc::money_picture_text(result.tax_and_fee_total)));
    calculation_ = shown_calculation{input, result};
}

} // namespace orvandel::ui
