#pragma once
// Items for the audit sheet's tests, computed by the engine as the worksheet
// computes its rows, and the text of a PDF as a reader finds it.

#include "calc/fee.h"
#include "calc/number_text.h"
#include "calc/split.h"
#include "ui/audit/audit_sheet.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <chrono>

namespace orvandel::test {

inline calc::date day(int y, unsigned m, unsigned d) {
    return calc::date{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

inline calc::money amount(const char* text) {
    return *calc::parse_amount_text(text);
}

inline ui::audit::audit_item computed(QString name, sheet::period_basis basis,
                                      const calc::late_fee_input& input, QString note = {}) {
    ui::audit::audit_item item{std::move(name), {}, std::move(note)};
    item.outcome.basis = basis;
    item.outcome.input = input;
    const auto figures = calc::compute_late_fee(input);
    item.outcome.ok = figures.ok();
    if (figures) {
        item.outcome.figures = *figures;
    }
    return item;
}

// Surcharge days from the day after `due` through `paid`.
inline ui::audit::audit_item due_and_paid(QString name, const char* amount_text,
                                          const calc::date& due, const calc::date& paid) {
    calc::late_fee_input input{amount(amount_text), calc::entry_mode::by_dates,
                               calc::form_day_of(due), calc::form_day_of(paid)};
    return computed(std::move(name), sheet::period_basis::due_and_paid, input);
}

inline ui::audit::audit_item start_and_end(QString name, const char* amount_text,
                                           const calc::date& start, const calc::date& end) {
    calc::late_fee_input input{amount(amount_text), calc::entry_mode::by_dates, start, end};
    return computed(std::move(name), sheet::period_basis::start_and_end, input);
}

inline ui::audit::audit_item by_days(QString name, const char* amount_text, calc::day_count before,
                                     calc::day_count after) {
    calc::late_fee_input input{
        amount(amount_text), calc::entry_mode::by_days, {}, {}, before, after};
    return computed(std::move(name), sheet::period_basis::day_counts, input);
}

inline ui::audit::audit_item in_error(QString name, QString reason) {
    ui::audit::audit_item item{std::move(name), {}, std::move(reason)};
    item.outcome.ok = false;
    return item;
}

// The text of each page of a PDF as pdftotext finds it, after NFKC
// normalisation (CJK text may come out as compatibility characters); empty
// when pdftotext is not installed.
inline QStringList pdf_pages(const QString& path) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        return {};
    }
    QProcess run;
    run.start(pdftotext,
              {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    run.waitForFinished(120000);
    QStringList pages = QString::fromUtf8(run.readAllStandardOutput())
                            .normalized(QString::NormalizationForm_KC)
                            .split(u'\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
        pages.removeLast(); // pdftotext ends every page with a form feed
    }
    return pages;
}

// What a poppler tool prints about `path`.
inline QString poppler(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return {};
    }
    QProcess run;
    run.start(program, arguments);
    run.waitForFinished(120000);
    return QString::fromUtf8(run.readAllStandardOutput());
}

} // namespace orvandel::test
