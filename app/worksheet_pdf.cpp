#include "app/worksheet_pdf.h"

#include "runtime/clock.h"
#include "runtime/engine_text.h"
#include "runtime/text_file.h"
#include "sheet/reader.h"
#include "sheet/workbook_source.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <filesystem>
#include <sstream>
#include <string>

namespace orvandel::app {
namespace {

// The items of the rows `source` holds, read by the one reader of sheets.
// The payment date stands in for a missing 实际缴款日期 only where the file
// has a 缴款期限 or a 税款所属期 column (which fills the 缴款期限); without
// either the sheet shows none. Nothing, with
// `problem` set, when the file has no usable header or cannot be read.
std::optional<ui::audit::audit_items> read_items(sheet::record_source& source,
                                                 const std::optional<calc::date>& payment_date,
                                                 ui::audit::audit_items sheet, QString& problem) {
    sheet::sheet_reader reader(source, {.evaluate = true,
                                        .payment_date = std::nullopt,
                                        .note_language = sheet::language::chinese});
    if (!reader.read_header()) {
        problem = runtime::qstring(sheet::describe(*reader.problem(), sheet::language::english));
        return std::nullopt;
    }
    const auto item_at = reader.layout().position(sheet::column::item);
    if (reader.layout().has(sheet::column::due_date) ||
        reader.layout().has(sheet::column::tax_period)) {
        reader.set_payment_date(payment_date);
    } else {
        sheet.payment_date = QDate();
    }
    // Debts paid in parts: the rows of each 编号 gathered, the debt one item
    // where its first row stands.
    sheet::debt_book debts;
    std::vector<std::size_t> debt_items;
    sheet::sheet_row row;
    for (std::size_t index = 0; reader.next(row); ++index) {
        if (row.blank) {
            continue;
        }
        const QString name = item_at && *item_at < row.cells.size()
                                 ? runtime::qstring(row.cells[*item_at])
                                 : QString();
        if (const std::size_t debt = debts.add(row.texts, index);
            debt != sheet::debt_book::no_debt) {
            if (debt == debt_items.size()) {
                debt_items.push_back(sheet.items.size());
                sheet.items.emplace_back();
            }
            ui::audit::audit_item& item = sheet.items[debt_items[debt]];
            if (item.name.isEmpty() || !row.texts.amount.empty()) {
                item.name = name;
            }
            continue;
        }
        ui::audit::audit_item item;
        item.name = name;
        item.outcome = std::move(row.outcome);
        item.note = runtime::qstring(sheet::describe(item.outcome, sheet::language::chinese));
        sheet.items.push_back(std::move(item));
    }
    if (reader.problem()) {
        problem = runtime::qstring(sheet::describe(*reader.problem(), sheet::language::english));
        return std::nullopt;
    }
    debts.finish();
    for (std::size_t d = 0; d < debts.size(); ++d) {
        ui::audit::audit_item& item = sheet.items[debt_items[d]];
        item.debt =
            ui::audit::audit_debt{runtime::qstring(debts.id(d)), debts.evaluate(d, payment_date)};
        if (!item.debt->outcome.ok()) {
            item.note = runtime::qstring(sheet::debt_problem(item.debt->outcome, debts.members(d),
                                                             sheet::language::chinese));
        }
    }
    return sheet;
}

} // namespace

std::optional<ui::audit::audit_items>
read_worksheet_file(const QString& path, const QDate& payment_date, QString& problem) {
    ui::audit::audit_items sheet;
    sheet.calculation_date = runtime::today();
    sheet.payment_date = payment_date;
    const std::optional<calc::date> payment =
        payment_date.isValid() ? std::optional<calc::date>(runtime::to_calc_date(payment_date))
                               : std::nullopt;
    if (QFileInfo(path).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) == 0) {
        auto book = sheet::workbook_source::open(std::filesystem::path(path.toStdU16String()));
        if (!book) {
            problem = runtime::qstring(sheet::describe(book.error(), sheet::language::english));
            return std::nullopt;
        }
        return read_items(**book, payment, std::move(sheet), problem);
    }
    const runtime::read_text read = runtime::read_text_file(path);
    if (!read.ok) {
        problem = read.problem;
        return std::nullopt;
    }
    std::istringstream in(read.utf8);
    sheet::csv_source source(in);
    return read_items(source, payment, std::move(sheet), problem);
}

int export_worksheet_pdf(const QString& input, const QString& output, QTextStream& err) {
    QString problem;
    const std::optional<ui::audit::audit_items> sheet =
        read_worksheet_file(input, runtime::today(), problem);
    if (!sheet) {
        err << "orvandel: cannot read " << QDir::toNativeSeparators(input) << ": " << problem
            << '\n';
        return 2;
    }
    switch (ui::audit::export_audit_pdf(output, *sheet)) {
    case ui::audit::audit_export_error::none:
        return 0;
    case ui::audit::audit_export_error::cannot_write:
        err << "orvandel: cannot write " << QDir::toNativeSeparators(output)
            << " (is the folder there and writable?); an existing file is left as it was\n";
        return 2;
    case ui::audit::audit_export_error::cannot_draw:
        err << "orvandel: cannot draw the sheet for " << QDir::toNativeSeparators(output) << '\n';
        return 2;
    }
    return 2;
}

} // namespace orvandel::app
