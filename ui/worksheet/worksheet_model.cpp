#include "ui/worksheet/worksheet_model.h"

#include "ui/worksheet/worksheet_commands.h"

#include "calc/deadline_note.h"
#include "calc/number_text.h"
#include "calc/pasted_text.h"
#include "calc/split.h"
#include "runtime/engine_text.h"
#include "sheet/reader.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>
#include <numeric>
#include <utility>

namespace orvandel::ui::worksheet {

namespace {

using sheet::column;
using sheet::column_kind;

const QColor bad_background(0xfd, 0xe2, 0xe2);
const QColor bad_text(0xb0, 0x1c, 0x1c);
const QColor result_text(0x55, 0x55, 0x55);
const QColor filled_text(0x1f, 0x5f, 0xa8);    // a 缴款期限 the filing calendar filled in
const QColor differing_text(0x9a, 0x5b, 0x00); // a typed 缴款期限 the calendar disagrees with

// Text typed or pasted into a column, in the form the column takes: an
// amount "12345.67", a date "2024-03-01", a day count as given. Text that
// cannot be read in only one way stays as it is, so the row shows why.
std::string normalised(column c, const std::string& text) {
    using calc::paste_error;
    const auto keep_or = [&](const calc::result<std::string, paste_error>& read) {
        if (read) {
            return read.value();
        }
        return read.error() == paste_error::empty ? std::string() : text;
    };
    switch (sheet::facts(c).kind) {
    case column_kind::money:
        return keep_or(calc::normalise_pasted_amount(text));
    case column_kind::date:
        return keep_or(calc::normalise_pasted_date(text));
    case column_kind::count:
        return keep_or(calc::normalise_pasted_day_count(text));
    case column_kind::text:
        break;
    }
    return text;
}

// A date of the form's meaning as the law's: one day earlier ("" when it is
// no date, so that only the file's own text is shown).
std::string law_day_text(std::string_view form_day) {
    const auto day = calc::parse_date_text(form_day);
    if (!day) {
        return std::string(form_day);
    }
    return calc::format_date_text(calc::law_day_of(*day)).value_or(std::string(form_day));
}

// Where the problems of a column show: a row by 起始日期/终止日期 shows its
// dates in 缴款期限/实际缴款日期.
column shown_for(column c) {
    switch (c) {
    case column::start_date:
        return column::due_date;
    case column::end_date:
        return column::pay_date;
    default:
        return c;
    }
}

// What the 缴款期限 cell's tooltip says of where the date comes from; empty
// when no 税款所属期 bears on it.
QString deadline_tip(const sheet::row_deadline& d) {
    using sheet::deadline_origin;
    const QString period = runtime::qstring(calc::chinese_tax_period(d.period));
    std::string note;
    sheet::append_deadline_note(note, d, sheet::language::chinese);
    switch (d.origin) {
    case deadline_origin::filled:
        return QStringLiteral("按税款所属期%1填入；%2。在此填写日期则按填写的日期计算。")
            .arg(period, runtime::qstring(note));
    case deadline_origin::confirmed:
        return QStringLiteral("与税款所属期%1的缴款期限相同；%2。")
            .arg(period, runtime::qstring(note));
    case deadline_origin::differs:
        return runtime::qstring(note) + QStringLiteral("。清空后按税款所属期%1填入。").arg(period);
    case deadline_origin::unchecked:
        return QStringLiteral("税款所属期%1的缴款期限在%2年，没有申报日历或节假日数据可以核对，"
                              "按填写的日期计算。")
            .arg(period)
            .arg(sheet::due_year(d));
    case deadline_origin::typed:
        break;
    }
    return {};
}

// The characters of a title on its first line; 0 keeps it on one line.
qsizetype title_break(column c) {
    switch (c) {
    case column::amount:       // 应缴税款|金额
    case column::pay_date:     // 实际缴款|日期
    case column::total_days:   // 合计滞纳|天数
    case column::one_more_day: // 每多滞纳|一日增加
        return 4;
    case column::days_before: // 2001年04月30日前|滞纳天数
    case column::days_after:
    case column::fee_before:
    case column::fee_after:
        return 12;
    case column::total_fee: // 合计应加征|滞纳金
        return 5;
    case column::tax_and_fee_total: // 税款与|滞纳金合计
        return 3;
    default:
        return 0;
    }
}

} // namespace

int view_column(sheet::column c) {
    const auto* at = std::find(shown_columns.begin(), shown_columns.end(), c);
    return static_cast<int>(at - shown_columns.begin());
}

worksheet_model::worksheet_model(QObject* parent) : QAbstractTableModel(parent) {}

worksheet_model::~worksheet_model() {
    // The commands refer to the model: drop them first, quietly, as the
    // window that listens to the stack may be going too.
    undo_.blockSignals(true);
    undo_.clear();
}

int worksheet_model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int worksheet_model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0
                            : shown_column_count + static_cast<int>(shape_.extra_columns.size());
}

std::optional<sheet::column> worksheet_model::column_at(int c) const {
    if (c < 0 || c >= shown_column_count) {
        return std::nullopt;
    }
    return shown_columns[static_cast<std::size_t>(c)];
}

std::optional<std::size_t> worksheet_model::slot_at(int c) const {
    if (const auto col = column_at(c)) {
        const auto slot = sheet::input_slot(*col);
        if (slot && sheet::facts(*col).use != sheet::column_use::result) {
            return slot;
        }
        return std::nullopt;
    }
    if (c >= shown_column_count && c < columnCount()) {
        return fixed_slots + static_cast<std::size_t>(c - shown_column_count);
    }
    return std::nullopt;
}

std::string worksheet_model::column_title(int c) const {
    if (const auto col = column_at(c)) {
        return std::string(sheet::column_name(*col, sheet::language::chinese));
    }
    const auto extra = static_cast<std::size_t>(c - shown_column_count);
    return extra < shape_.extra_columns.size() ? shape_.extra_columns[extra] : std::string();
}

sheet::row_outcome worksheet_model::evaluate(std::size_t row) const {
    return sheet::evaluate_row(rows_.row_texts(row, shape_.offered), payment_);
}

row_share worksheet_model::share_of_row(std::size_t row) const {
    if (rows_.blank(row)) {
        return {};
    }
    if (const auto place = debt_at(row)) {
        return share_of_debt_row(*place->debt->outcome, place->member);
    }
    return share_of(evaluate(row), false);
}

bool worksheet_model::row_computed(std::size_t row) const {
    if (rows_.blank(row)) {
        return false;
    }
    if (const auto place = debt_at(row)) {
        return place->debt->outcome->ok();
    }
    return outcome(row).ok;
}

const sheet::row_outcome& worksheet_model::outcome(std::size_t row) const {
    if (cached_row_ != row) {
        cached_ = evaluate(row);
        cached_row_ = row;
    }
    return cached_;
}

bool worksheet_model::by_start_and_end(std::size_t row) const {
    return !rows_.text(row, column::start_date).empty() ||
           !rows_.text(row, column::end_date).empty();
}

std::string worksheet_model::file_text(std::size_t row, sheet::column c) const {
    if (rows_.blank(row)) {
        return {};
    }
    if (const auto place = debt_at(row)) {
        return debt_file_text(*place, row, c);
    }
    const sheet::row_outcome& o = outcome(row);
    const sheet::column_facts& f = sheet::facts(c);
    const bool result =
        f.use == sheet::column_use::result || (f.use == sheet::column_use::input_or_result && o.ok);
    if (!result) {
        if (c == column::due_date && o.deadline.origin == sheet::deadline_origin::filled) {
            return calc::format_date_text(o.deadline.calendar.deadline).value_or(std::string());
        }
        return std::string(rows_.text(row, c));
    }
    if (c == column::error) {
        return sheet::describe(o, sheet::language::chinese);
    }
    if (!o.ok) {
        return {};
    }
    const calc::late_fee_result& r = o.figures;
    switch (c) {
    case column::days_before:
        return calc::default_text(r.days_before);
    case column::days_after:
        return calc::default_text(r.days_after);
    case column::total_days:
        return calc::default_text(r.total_days);
    case column::fee_before:
        return calc::default_text(r.fee_before);
    case column::fee_after:
        return calc::default_text(r.fee_after);
    case column::total_fee:
        return calc::default_text(r.total_fee);
    case column::tax_and_fee_total:
        return calc::default_text(r.tax_and_fee_total);
    case column::one_more_day: {
        const auto more = sheet::one_more_day(o);
        return more ? calc::default_text(*more) : std::string();
    }
    default:
        return {};
    }
}

std::string worksheet_model::shown_text(std::size_t row, int c) const {
    const auto col = column_at(c);
    if (!col) {
        const auto slot = slot_at(c);
        return slot ? std::string(rows_.text(row, *slot)) : std::string();
    }
    if (rows_.blank(row)) {
        return {};
    }
    // A row by the form's dates shows them as the law's.
    if ((col == column::due_date || col == column::pay_date) && by_start_and_end(row) &&
        rows_.text(row, column::due_date).empty() && rows_.text(row, column::pay_date).empty()) {
        return law_day_text(
            rows_.text(row, col == column::due_date ? column::start_date : column::end_date));
    }
    std::string text = file_text(row, *col);
    if (sheet::facts(*col).kind == column_kind::money) {
        // A readable amount or figure is shown grouped ("12,345.60").
        const auto value = calc::parse_decimal_text(text, 18, 2);
        if (value) {
            return calc::grouped_text(*value);
        }
    }
    return text;
}

bool worksheet_model::bad_cell(const sheet::row_outcome& o, int c) const {
    const auto col = column_at(c);
    if (!col) {
        return false;
    }
    if (col == column::error && !o.ok) {
        return true;
    }
    for (std::size_t i = 0; i < o.problem_count; ++i) {
        if (shown_for(o.problems[i].field) == *col) {
            return true;
        }
    }
    return false;
}

bool worksheet_model::bad_debt_cell(const debt_place& place, int c) const {
    const auto col = column_at(c);
    const sheet::debt_outcome& o = *place.debt->outcome;
    if (!col || o.ok()) {
        return false;
    }
    if (col == column::error) {
        return true;
    }
    const sheet::debt_member& m = place.debt->members[place.member];
    for (std::size_t i = 0; i < m.problem_count; ++i) {
        if (shown_for(m.problems[i].field) == *col) {
            return true;
        }
    }
    for (const auto& [member, field] : o.differing) {
        if (member == place.member && field == *col) {
            return true;
        }
    }
    return false;
}

QVariant worksheet_model::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const int c = index.column();
    const auto col = column_at(c);
    switch (role) {
    case Qt::DisplayRole:
        return runtime::qstring(shown_text(row, c));
    case Qt::EditRole: {
        const auto slot = slot_at(c);
        if (!slot) {
            return {};
        }
        if (col == column::due_date || col == column::pay_date) {
            return runtime::qstring(shown_text(row, c));
        }
        return runtime::qstring(rows_.text(row, *slot));
    }
    case Qt::TextAlignmentRole: {
        const column_kind kind = col ? sheet::facts(*col).kind : column_kind::text;
        if (kind == column_kind::money || kind == column_kind::count) {
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (kind == column_kind::date) {
            return QVariant(Qt::AlignHCenter | Qt::AlignVCenter);
        }
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole:
        if (rows_.blank(row) || col == column::error) {
            return {};
        }
        if (const auto place = debt_at(row)) {
            return bad_debt_cell(*place, c) ? QVariant(QBrush(bad_background)) : QVariant();
        }
        if (bad_cell(outcome(row), c)) {
            return QBrush(bad_background);
        }
        return {};
    case Qt::ForegroundRole: {
        if (rows_.blank(row) || !col) {
            return {};
        }
        if (const auto place = debt_at(row)) {
            if (bad_debt_cell(*place, c)) {
                return QBrush(bad_text);
            }
            // The debt's day counts are its segments', not typed.
            const bool counted = col == column::days_before || col == column::days_after;
            return counted && place->debt->outcome->ok() ? QVariant(QBrush(result_text))
                                                         : QVariant();
        }
        const sheet::row_outcome& o = outcome(row);
        if (bad_cell(o, c)) {
            return QBrush(bad_text);
        }
        if (col == column::due_date) {
            switch (o.deadline.origin) {
            case sheet::deadline_origin::filled:
                return QBrush(filled_text);
            case sheet::deadline_origin::differs:
                return QBrush(differing_text);
            default:
                break;
            }
        }
        // Day counts a row's dates gave, and dates converted from the
        // form's, are not what was typed there.
        const bool dates_converted =
            (col == column::due_date || col == column::pay_date) && by_start_and_end(row);
        if ((o.ok && o.basis != sheet::period_basis::day_counts &&
             (col == column::days_before || col == column::days_after)) ||
            dates_converted) {
            return QBrush(result_text);
        }
        return {};
    }
    case Qt::ToolTipRole: {
        if (rows_.blank(row) || !col) {
            return {};
        }
        if (const auto place = debt_at(row)) {
            const bool noted = !rows_.text(row, note_slot).empty();
            return bad_debt_cell(*place, c) || (col == column::error && noted)
                       ? QVariant(runtime::qstring(file_text(row, column::error)))
                       : QVariant();
        }
        const sheet::row_outcome& o = outcome(row);
        if (bad_cell(o, c) || (col == column::error && !o.reading_note.empty())) {
            return runtime::qstring(sheet::describe(o, sheet::language::chinese));
        }
        if (col == column::due_date && o.deadline.origin != sheet::deadline_origin::typed) {
            return deadline_tip(o.deadline);
        }
        if ((col == column::due_date || col == column::pay_date) && by_start_and_end(row)) {
            return QStringLiteral("按文件中的起始日期%1（计入）和终止日期%2（不计入）换算；"
                                  "修改后按缴款期限和实际缴款日期计算。")
                .arg(runtime::qstring(rows_.text(row, column::start_date)),
                     runtime::qstring(rows_.text(row, column::end_date)));
        }
        return {};
    }
    default:
        return {};
    }
}

QVariant worksheet_model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    if (section < 0 || section >= columnCount()) {
        return {};
    }
    const QString title = runtime::qstring(column_title(section));
    switch (role) {
    case Qt::DisplayRole: {
        // The long titles on two lines, so that a column is no wider than its
        // figures need and the window shows every column up to 备注:
        // "2001年04月30日前" over "滞纳天数", "合计应加征" over "滞纳金".
        QString shown = title;
        const auto col = column_at(section);
        const qsizetype first_line = col ? title_break(*col) : 0;
        if (first_line > 0 && first_line < shown.size()) {
            shown.insert(first_line, QLatin1Char('\n'));
        }
        return shown;
    }
    case Qt::AccessibleTextRole:
        return title;
    case Qt::ToolTipRole: {
        const auto col = column_at(section);
        return col ? runtime::qstring(sheet::column_rule(*col))
                   : QStringLiteral("文件中的列，照原样保留。");
    }
    default:
        return {};
    }
}

Qt::ItemFlags worksheet_model::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && slot_at(index.column())) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

void worksheet_model::add_edit(std::vector<cell_edit>& edits, std::size_t row, std::size_t slot,
                               std::string text) const {
    const bool date = slot == slot_of(column::due_date) || slot == slot_of(column::pay_date);
    if (date && row < rows_.size() && by_start_and_end(row)) {
        // The row becomes one by 缴款期限/实际缴款日期: the other date as it
        // showed, the form's dates gone.
        for (const column c : {column::due_date, column::pay_date}) {
            if (slot_of(c) != slot) {
                edits.push_back({row, slot_of(c), shown_text(row, view_column(c))});
            }
        }
        edits.push_back({row, slot_of(column::start_date), {}});
        edits.push_back({row, slot_of(column::end_date), {}});
    }
    edits.push_back({row, slot, std::move(text)});
}

bool worksheet_model::setData(const QModelIndex& index, const QVariant& value, int role) {
    const auto slot = slot_at(index.column());
    if (role != Qt::EditRole || !slot || !index.isValid()) {
        return false;
    }
    const auto row = static_cast<std::size_t>(index.row());
    std::string text = runtime::utf8(value.toString());
    if (const auto col = column_at(index.column())) {
        text = normalised(*col, text);
    }
    if (text == data(index, Qt::EditRole).toString().toStdString()) {
        return true; // no change, no undo step
    }
    std::vector<cell_edit> edits;
    add_edit(edits, row, *slot, std::move(text));
    edit_cells(std::move(edits), QStringLiteral("编辑"));
    return true;
}

void worksheet_model::sort(int c, Qt::SortOrder order) {
    if (c < 0 || c >= columnCount() || rows_.size() < 2) {
        return;
    }
    const std::size_t n = rows_.size();
    std::vector<std::uint32_t> by(n);
    std::iota(by.begin(), by.end(), 0U);
    const bool descending = order == Qt::DescendingOrder;
    const auto col = column_at(c);
    const column_kind kind = col ? sheet::facts(*col).kind : column_kind::text;
    if (kind == column_kind::text || kind == column_kind::date) {
        // Texts by their bytes: dates as "yyyy-mm-dd" sort by day; empty last.
        std::vector<std::string> keys(n);
        for (std::size_t r = 0; r < n; ++r) {
            keys[r] = shown_text(r, c);
        }
        std::stable_sort(by.begin(), by.end(), [&](std::uint32_t a, std::uint32_t b) {
            const std::string& x = keys[a];
            const std::string& y = keys[b];
            if (x.empty() != y.empty()) {
                return y.empty();
            }
            return descending ? y < x : x < y;
        });
    } else {
        // Figures numerically, in cents; rows without one last.
        std::vector<std::optional<std::int64_t>> keys(n);
        for (std::size_t r = 0; r < n; ++r) {
            const std::string text = file_text(r, *col);
            if (const auto value = calc::parse_decimal_text(text, 18, 2)) {
                keys[r] = calc::to_cents(*value);
            }
        }
        std::stable_sort(by.begin(), by.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (keys[a].has_value() != keys[b].has_value()) {
                return keys[a].has_value();
            }
            if (!keys[a]) {
                return false;
            }
            return descending ? *keys[b] < *keys[a] : *keys[a] < *keys[b];
        });
    }
    if (std::is_sorted(by.begin(), by.end())) {
        return; // already in this order: nothing to undo
    }
    undo_.push(new order_command(*this, std::move(by)));
}

void worksheet_model::set_payment_date(const std::optional<calc::date>& day) {
    if (day == payment_) {
        return;
    }
    payment_ = day;
    forget_cached_row();
    debts_.forget_all();
    totals_ = total();
    if (!rows_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    emit totals_changed();
}

sheet_totals worksheet_model::total() const {
    sheet_totals totals;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        add(totals, share_of_row(r));
    }
    return totals;
}

void worksheet_model::edit_cells(std::vector<cell_edit> edits, const QString& name) {
    if (edits.empty()) {
        return;
    }
    std::vector<std::size_t> noted;
    for (const cell_edit& e : edits) {
        if (e.row < rows_.size() && !rows_.text(e.row, note_slot).empty()) {
            noted.push_back(e.row);
        }
    }
    std::sort(noted.begin(), noted.end());
    noted.erase(std::unique(noted.begin(), noted.end()), noted.end());
    for (const std::size_t row : noted) {
        edits.push_back({row, note_slot, {}});
        edits.push_back({row, note_blocks_slot, {}});
    }
    undo_.push(new cells_command(*this, std::move(edits), name));
}

void worksheet_model::insert_rows(std::size_t at, std::vector<row_cells> rows,
                                  const QString& name) {
    if (rows.empty()) {
        return;
    }
    for (row_cells& r : rows) {
        r.resize(rows_.slot_count());
    }
    undo_.push(new insert_command(*this, std::min(at, rows_.size()), std::move(rows), name));
}

void worksheet_model::remove_rows(std::size_t at, std::size_t count) {
    if (at >= rows_.size() || count == 0) {
        return;
    }
    undo_.push(new remove_command(*this, at, std::min(count, rows_.size() - at)));
}

void worksheet_model::clear_cells(const QModelIndexList& cells) {
    std::vector<cell_edit> edits;
    for (const QModelIndex& index : cells) {
        const auto slot = slot_at(index.column());
        const auto row = static_cast<std::size_t>(index.row());
        if (slot && !shown_text(row, index.column()).empty()) {
            add_edit(edits, row, *slot, {});
        }
    }
    // A 缴款期限 the calendar filled shows a date but holds none: no change.
    std::erase_if(edits, [&](const cell_edit& e) { return rows_.text(e.row, e.slot) == e.text; });
    edit_cells(std::move(edits), QStringLiteral("清除"));
}

QSize worksheet_model::paste(std::size_t row, int c, const sheet::text_grid& block) {
    std::size_t width = 0;
    for (const sheet::text_row& cells : block) {
        width = std::max(width, cells.size());
    }
    if (block.empty() || width == 0) {
        return {};
    }
    const int total_days_column = view_column(column::total_days);
    std::vector<cell_edit> edits;
    edits.reserve(block.size() * width);
    for (std::size_t r = 0; r < block.size(); ++r) {
        const sheet::text_row& cells = block[r];
        const auto text_at = [&](int target) -> std::string_view {
            const auto k = static_cast<std::size_t>(target - c);
            return target >= c && k < cells.size() ? std::string_view(cells[k])
                                                   : std::string_view();
        };
        const bool dated = !text_at(view_column(column::due_date)).empty() ||
                           !text_at(view_column(column::pay_date)).empty();
        const bool results = sheet::day_counts_are_results(dated, text_at(total_days_column));
        for (std::size_t k = 0; k < cells.size(); ++k) {
            const int target = c + static_cast<int>(k);
            const auto slot = slot_at(target);
            if (!slot) {
                continue;
            }
            const auto col = column_at(target);
            if (results && (col == column::days_before || col == column::days_after)) {
                edits.push_back({row + r, *slot, {}});
                continue;
            }
            edits.push_back({row + r, *slot, col ? normalised(*col, cells[k]) : cells[k]});
        }
    }
    undo_.beginMacro(QStringLiteral("粘贴"));
    const std::size_t needed = row + block.size();
    if (needed > rows_.size()) {
        const std::size_t start = rows_.size();
        undo_.push(new insert_command(*this, start,
                                      std::vector<row_cells>(needed - start, blank_row()),
                                      QStringLiteral("添加行")));
    }
    // Cells that already hold the text need no change.
    std::erase_if(edits, [&](const cell_edit& e) { return rows_.text(e.row, e.slot) == e.text; });
    edit_cells(std::move(edits), QStringLiteral("粘贴"));
    undo_.endMacro();
    return {static_cast<int>(std::min<std::size_t>(width, static_cast<std::size_t>(columnCount()))),
            static_cast<int>(block.size())};
}

void worksheet_model::replace_all(row_store rows, sheet_shape shape) {
    beginResetModel();
    rows_ = std::move(rows);
    shape_ = std::move(shape);
    forget_cached_row();
    debts_ = debt_index{};
    debts_.rebuild(rows_);
    totals_ = total();
    undo_.clear();
    endResetModel();
    emit totals_changed();
}

} // namespace orvandel::ui::worksheet
