#include "app/worksheet_pdf.h"

#include "cli/csv.h"
#include "runtime/clock.h"
#include "runtime/engine_text.h"
#include "sheet/columns.h"
#include "sheet/row.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextStream>

#include <array>
#include <cstring>
#include <sstream>
#include <string>

namespace orvandel::app {
namespace {

const QString export_option = QStringLiteral("--export-pdf");
const QString worksheet_option = QStringLiteral("--worksheet");

// The file's bytes as UTF-8: kept when they are UTF-8 already, decoded from
// GB18030 otherwise (what Excel and WPS write for "CSV" on Chinese Windows).
QByteArray as_utf8(QByteArray bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString as_text = utf8.decode(bytes); // decoding happens on this conversion
    if (!utf8.hasError()) {
        return bytes;
    }
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid()) {
        return bytes; // no such decoder here: the cells then read as they are
    }
    return QString(gb18030.decode(bytes)).toUtf8();
}

// Where each column the sheet knows stands in the header; -1 where it does not.
using column_places = std::array<std::ptrdiff_t, sheet::column_count>;

std::string_view cell(const cli::csv_record& record, const column_places& places,
                      sheet::column role, std::string& scratch) {
    const std::ptrdiff_t at = places[static_cast<std::size_t>(role)];
    if (at < 0 || static_cast<std::size_t>(at) >= record.cells.size()) {
        return {};
    }
    return cli::cell_text(record.cells[static_cast<std::size_t>(at)], scratch);
}

bool has(const column_places& places, sheet::column role) {
    return places[static_cast<std::size_t>(role)] >= 0;
}

// The pairs the header has a column of, to name when a row gives none.
sheet::pair_set offered_pairs(const column_places& places) {
    using sheet::column;
    sheet::pair_set offered = 0;
    if (has(places, column::due_date) || has(places, column::pay_date)) {
        offered |= sheet::pair_bit(sheet::period_basis::due_and_paid);
    }
    if (has(places, column::start_date) || has(places, column::end_date)) {
        offered |= sheet::pair_bit(sheet::period_basis::start_and_end);
    }
    if (has(places, column::days_before) || has(places, column::days_after)) {
        offered |= sheet::pair_bit(sheet::period_basis::day_counts);
    }
    return offered == 0 ? sheet::every_pair : offered;
}

ui::audit_item read_item(const cli::csv_record& record, const column_places& places,
                         sheet::pair_set offered, const std::optional<calc::date>& payment_date) {
    using sheet::column;
    std::array<std::string, 8> scratch;
    sheet::row_texts texts;
    texts.amount = cell(record, places, column::amount, scratch[0]);
    texts.due_date = cell(record, places, column::due_date, scratch[1]);
    texts.pay_date = cell(record, places, column::pay_date, scratch[2]);
    texts.start_date = cell(record, places, column::start_date, scratch[3]);
    texts.end_date = cell(record, places, column::end_date, scratch[4]);
    texts.days_before = cell(record, places, column::days_before, scratch[5]);
    texts.days_after = cell(record, places, column::days_after, scratch[6]);
    texts.offered = offered;
    ui::audit_item item;
    item.name = runtime::qstring(cell(record, places, column::item, scratch[7]));
    item.outcome = sheet::evaluate_row(texts, payment_date);
    item.note = runtime::qstring(sheet::describe(item.outcome, sheet::language::chinese));
    return item;
}

QString option_value(const QStringList& arguments, const QString& option, QString& problem) {
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size() || arguments[at + 1].startsWith(u'-')) {
        problem = QStringLiteral("%1 needs a file name").arg(option);
        return {};
    }
    return arguments[at + 1];
}

} // namespace

bool pdf_export_requested(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--export-pdf") == 0) {
            return true;
        }
    }
    return false;
}

std::optional<ui::audit_items> read_worksheet_file(const QString& path, const QDate& payment_date,
                                                   QString& problem) {
    if (QFileInfo(path).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) == 0) {
        problem = QStringLiteral("Excel workbooks (.xlsx) are not yet supported here; save the "
                                 "sheet as CSV");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        problem = file.errorString();
        return std::nullopt;
    }
    const QByteArray text = as_utf8(bytes);
    std::istringstream in(std::string(text.constData(), static_cast<std::size_t>(text.size())));
    cli::csv_reader reader(in);
    cli::csv_record record;
    if (!reader.next(record)) {
        problem = QStringLiteral("the file is empty; it needs a header row");
        return std::nullopt;
    }
    column_places places;
    places.fill(-1);
    std::string scratch;
    for (std::size_t i = 0; i < record.cells.size(); ++i) {
        if (const auto named = sheet::column_named(cli::cell_text(record.cells[i], scratch))) {
            std::ptrdiff_t& place = places[static_cast<std::size_t>(named->role)];
            if (place < 0) {
                place = static_cast<std::ptrdiff_t>(i);
            }
        }
    }
    if (!has(places, sheet::column::amount)) {
        problem = QStringLiteral("the header names no amount column (amount or 应缴税款金额)");
        return std::nullopt;
    }
    const sheet::pair_set offered = offered_pairs(places);
    const bool uses_payment_date = has(places, sheet::column::due_date);
    const std::optional<calc::date> payment =
        uses_payment_date && payment_date.isValid()
            ? std::optional<calc::date>(runtime::to_calc_date(payment_date))
            : std::nullopt;

    ui::audit_items sheet;
    sheet.calculation_date = runtime::today();
    if (payment) {
        sheet.payment_date = payment_date;
    }
    // Blank lines are held back: at the end of the file they are dropped, and
    // before another row each is a row (with no amount, so in error).
    std::size_t blanks = 0;
    const cli::csv_record blank{{}, {}, {cli::csv_cell{}}, false};
    while (reader.next(record)) {
        if (record.raw.empty() && !record.open_quote) {
            ++blanks;
            continue;
        }
        for (; blanks > 0; --blanks) {
            sheet.items.push_back(read_item(blank, places, offered, payment));
        }
        sheet.items.push_back(read_item(record, places, offered, payment));
    }
    if (reader.failed()) {
        problem = QStringLiteral("reading failed");
        return std::nullopt;
    }
    return sheet;
}

int export_worksheet_pdf(const QStringList& arguments, QTextStream& err) {
    QString problem;
    const QString input = option_value(arguments, worksheet_option, problem);
    const QString output =
        problem.isEmpty() ? option_value(arguments, export_option, problem) : QString();
    if (!problem.isEmpty()) {
        err << "orvandel: " << problem
            << "\nusage: orvandel --worksheet IN.csv --export-pdf OUT.pdf\n";
        return 2;
    }
    const std::optional<ui::audit_items> sheet =
        read_worksheet_file(input, runtime::today(), problem);
    if (!sheet) {
        err << "orvandel: cannot read " << QDir::toNativeSeparators(input) << ": " << problem
            << '\n';
        return 2;
    }
    switch (ui::export_audit_pdf(output, *sheet)) {
    case ui::audit_export_error::none:
        return 0;
    case ui::audit_export_error::cannot_write:
        err << "orvandel: cannot write " << QDir::toNativeSeparators(output)
            << " (is the folder there and writable?); an existing file is left as it was\n";
        return 2;
    case ui::audit_export_error::cannot_draw:
        err << "orvandel: cannot draw the sheet for " << QDir::toNativeSeparators(output) << '\n';
        return 2;
    }
    return 2;
}

} // namespace orvandel::app
