#include "app/worksheet_pdf.h"

#include "runtime/clock.h"
#include "runtime/engine_text.h"
#include "sheet/columns.h"
#include "sheet/csv.h"
#include "sheet/row.h"
#include "sheet/table.h"
#include "sheet/xlsx_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace orvandel::app {
namespace {

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

// The texts of one row's cells, in header order.
using row_cells = std::vector<std::string_view>;

// Reads rows into items by the columns their header names.
class item_reader {
public:
    // False when the header names no amount column.
    bool read_header(const row_cells& header) {
        places_.fill(-1);
        for (std::size_t i = 0; i < header.size(); ++i) {
            if (const auto named = sheet::column_named(header[i])) {
                std::ptrdiff_t& place = places_[static_cast<std::size_t>(named->role)];
                if (place < 0) {
                    place = static_cast<std::ptrdiff_t>(i);
                }
            }
        }
        offered_ = offered_pairs();
        return has(sheet::column::amount);
    }

    [[nodiscard]] bool has(sheet::column role) const {
        return places_[static_cast<std::size_t>(role)] >= 0;
    }

    [[nodiscard]] ui::audit_item read(const row_cells& cells,
                                      const std::optional<calc::date>& payment_date) const {
        using sheet::column;
        sheet::row_texts texts;
        texts.amount = cell(cells, column::amount);
        texts.due_date = cell(cells, column::due_date);
        texts.pay_date = cell(cells, column::pay_date);
        texts.start_date = cell(cells, column::start_date);
        texts.end_date = cell(cells, column::end_date);
        texts.days_before = cell(cells, column::days_before);
        texts.days_after = cell(cells, column::days_after);
        texts.offered = offered_;
        ui::audit_item item;
        item.name = runtime::qstring(cell(cells, column::item));
        item.outcome = sheet::evaluate_row(texts, payment_date);
        item.note = runtime::qstring(sheet::describe(item.outcome, sheet::language::chinese));
        return item;
    }

private:
    [[nodiscard]] std::string_view cell(const row_cells& cells, sheet::column role) const {
        const std::ptrdiff_t at = places_[static_cast<std::size_t>(role)];
        return at >= 0 && static_cast<std::size_t>(at) < cells.size()
                   ? cells[static_cast<std::size_t>(at)]
                   : std::string_view{};
    }

    // The pairs the header has a column of, to name when a row gives none.
    [[nodiscard]] sheet::pair_set offered_pairs() const {
        using sheet::column;
        using sheet::period_basis;
        sheet::pair_set offered = 0;
        if (has(column::due_date) || has(column::pay_date)) {
            offered |= sheet::pair_bit(period_basis::due_and_paid);
        }
        if (has(column::start_date) || has(column::end_date)) {
            offered |= sheet::pair_bit(period_basis::start_and_end);
        }
        if (has(column::days_before) || has(column::days_after)) {
            offered |= sheet::pair_bit(period_basis::day_counts);
        }
        return offered == 0 ? sheet::every_pair : offered;
    }

    // Where each column the sheet knows stands in the header; -1 where it does not.
    std::array<std::ptrdiff_t, sheet::column_count> places_{};
    sheet::pair_set offered_ = sheet::every_pair;
};

// The texts of a CSV record's cells; `scratch` holds those that lose their quotes.
row_cells csv_cells(const sheet::csv_record& record, std::vector<std::string>& scratch) {
    scratch.resize(std::max(scratch.size(), record.cells.size()));
    row_cells cells;
    cells.reserve(record.cells.size());
    for (std::size_t i = 0; i < record.cells.size(); ++i) {
        cells.push_back(sheet::cell_text(record.cells[i], scratch[i]));
    }
    return cells;
}

// Reads the header into `items`. The payment date stands in for a missing
// 实际缴款日期 only where the file has a 缴款期限 column; without one the sheet
// shows none. False, with `problem` set, when the header names no amount.
bool start_items(item_reader& items, const row_cells& header,
                 const std::optional<calc::date>& payment_date, ui::audit_items& sheet,
                 std::optional<calc::date>& payment, QString& problem) {
    if (!items.read_header(header)) {
        problem = QStringLiteral("the header names no amount column (amount or 应缴税款金额)");
        return false;
    }
    payment = items.has(sheet::column::due_date) ? payment_date : std::nullopt;
    if (!payment) {
        sheet.payment_date = QDate();
    }
    return true;
}

// The sheet of the rows of the first worksheet of a workbook (its totals row
// is no item); nothing, with `problem` set, when it cannot be read or has no
// usable header.
std::optional<ui::audit_items> read_workbook_rows(const QString& path,
                                                  const std::optional<calc::date>& payment_date,
                                                  ui::audit_items sheet, QString& problem) {
    const auto table = sheet::read_xlsx_file(std::filesystem::path(path.toStdU16String()));
    if (!table) {
        problem = runtime::qstring(sheet::describe(table.error(), sheet::language::english));
        return std::nullopt;
    }
    item_reader items;
    std::optional<calc::date> payment;
    if (!start_items(items, row_cells(table->header.begin(), table->header.end()), payment_date,
                     sheet, payment, problem)) {
        return std::nullopt;
    }
    std::vector<std::string> texts;
    row_cells cells;
    sheet.items.reserve(table->rows.size());
    for (const std::vector<sheet::cell>& row : table->rows) {
        texts.clear();
        for (const sheet::cell& c : row) {
            texts.push_back(sheet::cell_text(c));
        }
        cells.assign(texts.begin(), texts.end());
        sheet.items.push_back(items.read(cells, payment));
    }
    return sheet;
}

// The sheet of the rows of a CSV file (as UTF-8); nothing, with `problem` set,
// when it has no usable header.
std::optional<ui::audit_items> read_csv_rows(const QByteArray& text,
                                             const std::optional<calc::date>& payment_date,
                                             ui::audit_items sheet, QString& problem) {
    std::istringstream in(std::string(text.constData(), static_cast<std::size_t>(text.size())));
    sheet::csv_reader reader(in);
    sheet::csv_record record;
    std::vector<std::string> scratch;
    item_reader items;
    if (!reader.next(record)) {
        problem = QStringLiteral("the file is empty; it needs a header row");
        return std::nullopt;
    }
    std::optional<calc::date> payment;
    if (!start_items(items, csv_cells(record, scratch), payment_date, sheet, payment, problem)) {
        return std::nullopt;
    }
    // Blank lines are held back: at the end of the file they are dropped, and
    // before another row each is a row (with no amount, so in error).
    std::size_t blanks = 0;
    while (reader.next(record)) {
        if (record.raw.empty() && !record.open_quote) {
            ++blanks;
            continue;
        }
        for (; blanks > 0; --blanks) {
            sheet.items.push_back(items.read({}, payment));
        }
        sheet.items.push_back(items.read(csv_cells(record, scratch), payment));
    }
    if (reader.failed()) {
        problem = QStringLiteral("reading failed");
        return std::nullopt;
    }
    return sheet;
}

} // namespace

std::optional<ui::audit_items> read_worksheet_file(const QString& path, const QDate& payment_date,
                                                   QString& problem) {
    ui::audit_items sheet;
    sheet.calculation_date = runtime::today();
    sheet.payment_date = payment_date;
    const std::optional<calc::date> payment =
        payment_date.isValid() ? std::optional<calc::date>(runtime::to_calc_date(payment_date))
                               : std::nullopt;
    if (QFileInfo(path).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) == 0) {
        return read_workbook_rows(path, payment, std::move(sheet), problem);
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
    return read_csv_rows(as_utf8(bytes), payment, std::move(sheet), problem);
}

int export_worksheet_pdf(const QString& input, const QString& output, QTextStream& err) {
    QString problem;
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
