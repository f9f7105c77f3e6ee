#include "ui/audit/audit_content.h"

#include "calc/deadline_note.h"
#include "calc/fee.h"
#include "calc/form_labels.h"
#include "calc/law.h"
#include "calc/money_total.h"
#include "calc/number_text.h"
#include "calc/split.h"
#include "runtime/clock.h"
#include "runtime/engine_text.h"
#include "sheet/columns.h"
#include "sheet/debt_working.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

namespace orvandel::ui::audit {
namespace {

namespace form_labels = calc::form_labels;
using runtime::qstring;

// Between two entries on one line.
const QString gap = QStringLiteral("　");

QString date_text(const calc::date& day) {
    return qstring(calc::format_date_text(day).value_or("#"));
}

// Figures at two places ("0.00", "12345.67"); the formulas alone quote the
// amount as the form's field shows it (".00"), as the form writes them.
QString money_text(const calc::money& value) {
    return qstring(calc::default_text(value));
}
QString days_text(calc::day_count value) {
    return qstring(calc::default_text(value));
}

QString labelled(std::string_view label, const QString& value) {
    return qstring(label) + value;
}

// A text typed into a cell as one line: line breaks and tabs (a quoted CSV
// cell may hold them) become spaces, so that the sheet's lines stay lines.
QString one_line(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    return text;
}

// "3．增值税 2024年3月": the item's place in the list (its row), then its name.
QString item_heading(std::size_t index, const QString& name) {
    QString heading = QString::number(index + 1) + QStringLiteral("．");
    return name.isEmpty() ? heading : heading + one_line(name);
}

// Where an item's 缴款期限 comes from, in a word or two after the date; its
// note names the document. The calendar's date is tagged alike whether it was
// filled in or typed (as in a file the batch wrote), so that a sheet reads the
// same after the round trip. Empty when no 税款所属期 bears on it.
QString deadline_tag(const sheet::row_deadline& d) {
    using sheet::deadline_origin;
    const bool published = d.calendar.rule == calc::deadline_rule::published;
    switch (d.origin) {
    case deadline_origin::filled:
    case deadline_origin::confirmed:
        return QStringLiteral("（%1）").arg(published ? QStringLiteral("申报日历")
                                                      : qstring(calc::derived_source));
    case deadline_origin::differs:
    case deadline_origin::unchecked:
        return QStringLiteral("（填写）");
    case deadline_origin::typed:
        break;
    }
    return {};
}

// The period as the item gave it.
line period_line(const audit_item& item) {
    const calc::late_fee_input& input = item.outcome.input;
    const sheet::row_deadline& deadline = item.outcome.deadline;
    QString text;
    switch (item.outcome.basis) {
    case sheet::period_basis::due_and_paid:
        if (deadline.origin != sheet::deadline_origin::typed) {
            text = QStringLiteral("税款所属期=") +
                   qstring(calc::chinese_tax_period(deadline.period)) + gap;
        }
        // The engine counts from the day after the due date to the day after
        // payment, not counted: one day back gives the dates as written.
        text += QStringLiteral("缴款期限=") + date_text(calc::law_day_of(input.start_date)) +
                deadline_tag(deadline) + gap + QStringLiteral("实际缴款日期=") +
                date_text(calc::law_day_of(input.end_date));
        break;
    case sheet::period_basis::start_and_end:
        text = labelled(form_labels::start_date_label, date_text(input.start_date)) + gap +
               labelled(form_labels::end_date_label, date_text(input.end_date));
        break;
    case sheet::period_basis::day_counts:
        text = QStringLiteral("给出天数：2001年04月30日前%1天，2001年05月01日后%2天")
                   .arg(days_text(input.days_before), days_text(input.days_after));
        break;
    }
    return {style::figures, text, {}, true};
}

block item_block(std::size_t index, const audit_item& item) {
    const calc::late_fee_input& input = item.outcome.input;
    const calc::late_fee_result& figures = item.outcome.figures;
    // The formulas quote the amount and the day counts as the form's fields show them.
    const std::string amount = calc::money_picture_text(input.amount_due);
    const std::string before = calc::default_text(figures.days_before);
    const std::string after = calc::default_text(figures.days_after);
    block b;
    b.rule_above = true;
    b.space_before = 4;
    b.lines.push_back({style::heading, item_heading(index, item.name),
                       labelled(form_labels::amount_label, money_text(input.amount_due))});
    b.lines.push_back(period_line(item));
    b.lines.push_back({style::figures,
                       labelled(form_labels::total_days_label, days_text(figures.total_days)) +
                           gap + labelled(form_labels::days_before_label, qstring(before)) + gap +
                           labelled(form_labels::days_after_label, qstring(after)),
                       {},
                       true});
    b.lines.push_back({style::figures,
                       qstring(form_labels::formula_before(amount, before, figures.fee_before)),
                       {},
                       true});
    b.lines.push_back({style::figures,
                       qstring(form_labels::formula_after(amount, after, figures.fee_after)),
                       {},
                       true});
    b.lines.push_back(
        {style::figures,
         labelled(form_labels::total_fee_label, money_text(figures.total_fee)) + gap +
             labelled(form_labels::tax_and_fee_label, money_text(figures.tax_and_fee_total)),
         {},
         true});
    if (!item.note.isEmpty()) {
        b.lines.push_back({style::body, QStringLiteral("备注：") + one_line(item.note), {}, true});
    }
    return b;
}

// A debt of at most this many lines of working stays on one page; a longer
// one runs on over pages, a segment or a payment at a time.
constexpr std::size_t debt_lines_kept_together = 24;

// A debt paid in parts: its heading and dates, its segments with their
// formulas, each payment with its rule, its document and its division, its
// totals and which of total and capped surcharge the totals carry.
std::vector<block> debt_blocks(std::size_t index, const audit_item& item) {
    const sheet::debt_outcome& debt = item.debt->outcome;
    QString name = item.name;
    name += (name.isEmpty() ? QString() : QStringLiteral("　")) + QStringLiteral("编号") +
            item.debt->id;
    std::vector<block> blocks(1);
    blocks[0].rule_above = true;
    blocks[0].space_before = 4;
    blocks[0].lines.push_back({style::heading, item_heading(index, name),
                               labelled(form_labels::amount_label, money_text(debt.figures.tax))});
    const std::vector<sheet::working_line> working = sheet::debt_working(debt);
    const bool one_block = working.size() <= debt_lines_kept_together;
    for (const sheet::working_line& w : working) {
        using kind = sheet::working_line::kind;
        // A long debt: a new block for each section's heading (kept with what
        // follows it) and for each segment or payment line.
        if (!one_block && w.what != kind::detail && !blocks.back().lines.empty()) {
            blocks.back().keep_with_next = blocks.back().lines.back().kind == style::body;
            blocks.emplace_back();
        }
        if (w.what == kind::heading) {
            blocks.back().lines.push_back({style::body, qstring(w.text), {}, true});
        } else {
            const QString text =
                w.what == kind::detail ? QStringLiteral("　　") + qstring(w.text) : qstring(w.text);
            blocks.back().lines.push_back({style::figures, text, {}, true});
        }
    }
    if (!item.note.isEmpty()) {
        blocks.back().lines.push_back(
            {style::body, QStringLiteral("备注：") + one_line(item.note), {}, true});
    }
    return blocks;
}

// How the days of the items on the sheet are counted: the law's rule always,
// the form's rule and typed counts only when some item uses them.
QString day_rule(const audit_items& sheet) {
    bool by_start_and_end = false;
    bool by_day_counts = false;
    bool debts = false;
    for (const audit_item& item : sheet.items) {
        debts |= item.debt && computed(item);
        if (!item.debt && item.outcome.ok) {
            by_start_and_end |= item.outcome.basis == sheet::period_basis::start_and_end;
            by_day_counts |= item.outcome.basis == sheet::period_basis::day_counts;
        }
    }
    QString rule = qstring(calc::law::day_count_rule());
    if (by_start_and_end) {
        rule += QStringLiteral("；按起始日期和终止日期给出的项目，计起始日期，不计终止日期");
    }
    if (by_day_counts) {
        rule += QStringLiteral("；按天数给出的项目，以给出的天数计算");
    }
    if (debts) {
        rule +=
            QStringLiteral("；分次缴纳的欠税，缴款当日按缴款前的欠税计算，次日起按余下的欠税计算");
    }
    return rule + QStringLiteral("。");
}

// "第1至3、5、6项": the items' places in the list, runs of three or more
// written as one span.
QString item_numbers(const std::vector<std::size_t>& indexes) {
    QStringList parts;
    for (std::size_t i = 0; i < indexes.size();) {
        std::size_t last = i;
        while (last + 1 < indexes.size() && indexes[last + 1] == indexes[last] + 1) {
            ++last;
        }
        if (last >= i + 2) {
            parts << QStringLiteral("%1至%2").arg(indexes[i] + 1).arg(indexes[last] + 1);
            i = last + 1;
        } else {
            parts << QString::number(indexes[i] + 1);
            ++i;
        }
    }
    return QStringLiteral("第") + parts.join(QStringLiteral("、")) + QStringLiteral("项");
}

// The documents the computed items' 缴款期限 come from, each with the items
// it gave a date, in order of first use; then the derived ones, then those
// typed over another date of the calendar. Empty when no item has a
// 税款所属期.
std::vector<line> deadline_source_lines(const audit_items& sheet) {
    std::vector<std::pair<std::string_view, std::vector<std::size_t>>> sources;
    std::vector<std::size_t> differing;
    bool derived = false;
    for (std::size_t i = 0; i < sheet.items.size(); ++i) {
        const sheet::row_outcome& o = sheet.items[i].outcome;
        if (!o.ok) {
            continue;
        }
        if (o.deadline.origin == sheet::deadline_origin::differs) {
            differing.push_back(i);
            continue;
        }
        if (!sheet::has_deadline_note(o.deadline)) {
            continue;
        }
        const std::string_view source = o.deadline.calendar.source;
        derived |= o.deadline.calendar.rule != calc::deadline_rule::published;
        auto found = std::find_if(sources.begin(), sources.end(),
                                  [&](const auto& s) { return s.first == source; });
        if (found == sources.end()) {
            sources.push_back({source, {}});
            found = sources.end() - 1;
        }
        found->second.push_back(i);
    }
    if (sources.empty() && differing.empty()) {
        return {};
    }
    std::vector<line> lines{{style::body, QStringLiteral("缴款期限依据："), {}, false}};
    for (const auto& [source, items] : sources) {
        lines.push_back(
            {style::body, qstring(source) + QStringLiteral("：") + item_numbers(items), {}, true});
    }
    if (!differing.empty()) {
        lines.push_back({style::body,
                         QStringLiteral("填写的缴款期限，与申报日历或推算的日期不同（见备注）：") +
                             item_numbers(differing),
                         {},
                         true});
    }
    if (derived) {
        lines.push_back(
            {style::body, qstring(calc::derivation_rule_text()) + QStringLiteral("。"), {}, true});
    }
    return lines;
}

std::vector<block> start_blocks(const audit_items& sheet) {
    block start;
    start.lines.push_back({style::title, title_text, {}, false});
    const QString dates = calculation_date_text(sheet);
    QString payment;
    if (!sheet.payment_date.isNull()) {
        payment = QStringLiteral("缴款日期：") + runtime::date_text(sheet.payment_date);
    }
    start.lines.push_back({style::figures, dates, payment, false});
    block basis;
    basis.space_before = 6;
    basis.lines.push_back(
        {style::body, QStringLiteral("计算依据：") + qstring(form_labels::legal_basis), {}, false});
    basis.lines.push_back({style::body, QStringLiteral("天数计算：") + day_rule(sheet), {}, false});
    for (line& l : deadline_source_lines(sheet)) {
        basis.lines.push_back(std::move(l));
    }
    return {start, basis};
}

// A total at two places, or the words for one out of range.
QString total_text(const calc::money_total& total) {
    const auto value = total.value();
    return qstring(value ? calc::default_text(*value) : std::string(calc::out_of_range_text));
}

std::vector<block> end_blocks(const audit_items& sheet) {
    calc::money_total amount, fee_before, fee_after, total_fee, tax_and_fee;
    // Of debts paid in parts.
    calc::money_total fee_paid, fee_owed, tax_owed;
    std::size_t debts = 0;
    std::size_t capped = 0;
    std::size_t computed_items = 0;
    for (const audit_item& item : sheet.items) {
        if (!computed(item)) {
            continue;
        }
        ++computed_items;
        if (item.debt) {
            // A debt counts in the totals as its cap option says.
            const sheet::debt_outcome& debt = item.debt->outcome;
            const calc::money carried = debt.carried_fee();
            ++debts;
            capped += debt.capped ? 1U : 0U;
            amount.add(debt.figures.tax);
            fee_before.add(debt.fee_before);
            fee_after.add(debt.fee_after);
            total_fee.add(carried);
            tax_and_fee.add(debt.figures.tax);
            tax_and_fee.add(carried);
            fee_paid.add(debt.figures.fee_paid);
            fee_owed.add(debt.carried_fee_outstanding());
            tax_owed.add(debt.figures.tax_outstanding);
            continue;
        }
        amount.add(item.outcome.input.amount_due);
        fee_before.add(item.outcome.figures.fee_before);
        fee_after.add(item.outcome.figures.fee_after);
        total_fee.add(item.outcome.figures.total_fee);
        tax_and_fee.add(item.outcome.figures.tax_and_fee_total);
    }
    const std::size_t left_out = sheet.items.size() - computed_items;

    block totals;
    totals.rule_above = true;
    totals.space_before = 10;
    totals.lines.push_back({style::heading, QStringLiteral("合计"), {}, false});
    totals.lines.push_back({style::body,
                            QStringLiteral("项目数：%1项，其中计算%2项，因错误未计算%3项")
                                .arg(sheet.items.size())
                                .arg(computed_items)
                                .arg(left_out),
                            {},
                            true});
    totals.lines.push_back(
        {style::figures, QStringLiteral("应缴税款金额合计=") + total_text(amount), {}, true});
    totals.lines.push_back(
        {style::figures,
         QStringLiteral("2001年04月30日前应加征滞纳金合计=") + total_text(fee_before) + gap +
             QStringLiteral("2001年05月01日后应加征滞纳金合计=") + total_text(fee_after),
         {},
         true});
    totals.lines.push_back({style::figures,
                            labelled(form_labels::total_fee_label, total_text(total_fee)) + gap +
                                labelled(form_labels::tax_and_fee_label, total_text(tax_and_fee)),
                            {},
                            true});
    if (debts > 0) {
        const auto named = [](sheet::column c) {
            return qstring(sheet::column_name(c, sheet::language::chinese)) +
                   QStringLiteral("合计=");
        };
        totals.lines.push_back({style::figures,
                                QStringLiteral("分次缴纳的欠税%1笔：").arg(debts) +
                                    named(sheet::column::fee_paid) + total_text(fee_paid) + gap +
                                    named(sheet::column::fee_outstanding) + total_text(fee_owed) +
                                    gap + named(sheet::column::tax_outstanding) +
                                    total_text(tax_owed),
                                {},
                                true});
        totals.lines.push_back(
            {style::body,
             capped == 0
                 ? QStringLiteral("合计未按行政强制法第四十五条封顶。")
                 : QStringLiteral("其中%1笔欠税按行政强制法第四十五条封顶后计入合计。").arg(capped),
             {},
             true});
    }

    std::vector<block> blocks{totals};
    if (left_out > 0) {
        block heading;
        heading.space_before = 6;
        heading.keep_with_next = true;
        heading.lines.push_back(
            {style::heading, QStringLiteral("因错误未计算的项目及原因"), {}, false});
        blocks.push_back(heading);
        for (std::size_t i = 0; i < sheet.items.size(); ++i) {
            const audit_item& item = sheet.items[i];
            if (!computed(item)) {
                const QString reason =
                    item.note.isEmpty() ? QStringLiteral("无法计算") : one_line(item.note);
                block error;
                error.lines.push_back({style::body,
                                       item_heading(i, item.name) + QStringLiteral("：") + reason,
                                       {},
                                       true});
                blocks.push_back(error);
            }
        }
    }
    block signature;
    signature.space_before = 28;
    signature.lines.push_back({style::sign, signature_text, {}, false});
    blocks.push_back(signature);
    return blocks;
}

} // namespace

std::vector<block> sheet_blocks(const audit_items& sheet) {
    std::vector<block> blocks = start_blocks(sheet);
    blocks.reserve(blocks.size() + sheet.items.size() + 4);
    for (std::size_t i = 0; i < sheet.items.size(); ++i) {
        const audit_item& item = sheet.items[i];
        if (!computed(item)) {
            continue;
        }
        if (item.debt) {
            for (block& b : debt_blocks(i, item)) {
                blocks.push_back(std::move(b));
            }
        } else {
            blocks.push_back(item_block(i, item));
        }
    }
    for (block& b : end_blocks(sheet)) {
        blocks.push_back(std::move(b));
    }
    return blocks;
}

QString calculation_date_text(const audit_items& sheet) {
    const QDate day = sheet.calculation_date.isValid() ? sheet.calculation_date : runtime::today();
    return QStringLiteral("计算日期：") + runtime::date_text(day);
}

QString program_name_and_version() {
    QString name = QCoreApplication::applicationName();
    if (name.isEmpty()) {
        name = QStringLiteral("orvandel");
    }
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty()) {
        version = QStringLiteral(ORVANDEL_VERSION);
    }
    return name + u' ' + version;
}

QString page_number_text(int page, int pages) {
    return QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(pages);
}

} // namespace orvandel::ui::audit
