#include "ui/worksheet/worksheet_model.h"

#include "calc/number_text.h"
#include "calc/pasted_text.h"
#include "runtime/engine_text.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QUndoCommand>

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

namespace orvandel::ui::worksheet {

namespace {

using sheet::column;

constexpr std::array<column, shown_column_count> shown{
    column::item,        column::amount,     column::due_date,          column::pay_date,
    column::days_before, column::days_after, column::total_days,        column::fee_before,
    column::fee_after,   column::total_fee,  column::tax_and_fee_total, column::one_more_day,
    column::note,
};

constexpr std::size_t no_row = static_cast<std::size_t>(-1);

bool is_figure(column c) {
    switch (c) {
    case column::item:
    case column::due_date:
    case column::pay_date:
    case column::start_date:
    case column::end_date:
    case column::note:
        return false;
    default:
        return true;
    }
}

bool is_day_count(column c) {
    return c == column::days_before || c == column::days_after || c == column::total_days;
}

const QColor bad_background(0xfd, 0xe2, 0xe2);
const QColor bad_text(0xb0, 0x1c, 0x1c);
const QColor result_day_text(0x55, 0x55, 0x55);

// Changes to cells: redo writes the new texts, undo the old.
class cells_command : public QUndoCommand {
public:
    cells_command(worksheet_model& model, std::vector<cell_edit> after, const QString& name,
                  QUndoCommand* parent = nullptr)
        : QUndoCommand(name, parent), model_(model), after_(std::move(after)) {
        before_.reserve(after_.size());
        for (const cell_edit& edit : after_) {
            before_.push_back(
                {edit.row, edit.cell, std::string(model.rows().text(edit.row, edit.cell))});
        }
    }
    void redo() override { model_.put_cells(after_); }
    void undo() override { model_.put_cells(before_); }

private:
    worksheet_model& model_;
    std::vector<cell_edit> after_;
    std::vector<cell_edit> before_;
};

class insert_command : public QUndoCommand {
public:
    insert_command(worksheet_model& model, std::size_t at, std::vector<row_cells> rows,
                   const QString& name, QUndoCommand* parent = nullptr)
        : QUndoCommand(name, parent), model_(model), at_(at), rows_(std::move(rows)) {}
    void redo() override { model_.put_rows(at_, rows_); }
    void undo() override { rows_ = model_.take_rows(at_, rows_.size()); }

private:
    worksheet_model& model_;
    std::size_t at_;
    std::vector<row_cells> rows_;
};

class remove_command : public QUndoCommand {
public:
    remove_command(worksheet_model& model, std::size_t at, std::size_t count)
        : QUndoCommand(QStringLiteral("删除行")), model_(model), at_(at), count_(count) {}
    void redo() override { removed_ = model_.take_rows(at_, count_); }
    void undo() override {
        model_.put_rows(at_, removed_);
        removed_.clear();
    }

private:
    worksheet_model& model_;
    std::size_t at_;
    std::size_t count_;
    std::vector<row_cells> removed_;
};

class order_command : public QUndoCommand {
public:
    order_command(worksheet_model& model, std::vector<std::uint32_t> order)
        : QUndoCommand(QStringLiteral("排序")), model_(model), order_(std::move(order)) {
        inverse_.resize(order_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) {
            inverse_[order_[i]] = static_cast<std::uint32_t>(i);
        }
    }
    void redo() override { model_.put_order(order_); }
    void undo() override { model_.put_order(inverse_); }

private:
    worksheet_model& model_;
    std::vector<std::uint32_t> order_;
    std::vector<std::uint32_t> inverse_;
};

// A pasted text in the form its column takes; text that cannot be read in
// only one way stays as it is, so the row shows why.
std::string normalised(input cell, const std::string& text) {
    using calc::paste_error;
    const auto keep_or = [&](const calc::result<std::string, paste_error>& read) {
        if (read) {
            return read.value();
        }
        return read.error() == paste_error::empty ? std::string() : text;
    };
    switch (cell) {
    case input::item:
        return text;
    case input::amount:
        return keep_or(calc::normalise_pasted_amount(text));
    case input::due_date:
    case input::pay_date:
        return keep_or(calc::normalise_pasted_date(text));
    case input::days_before:
    case input::days_after:
        return keep_or(calc::normalise_pasted_day_count(text));
    }
    return text;
}

std::string count_text(calc::day_count days) {
    return calc::default_text(days);
}

std::string money_utf8(const calc::money& value, worksheet_model::figures style) {
    const auto c = cents(value);
    if (!c || style == worksheet_model::figures::plain) {
        return calc::default_text(value);
    }
    return runtime::utf8(money_text(*c));
}

} // namespace

sheet::column shown_column(int c) {
    return shown[static_cast<std::size_t>(c)];
}

std::optional<input> input_of(int c) {
    switch (shown_column(c)) {
    case column::item:
        return input::item;
    case column::amount:
        return input::amount;
    case column::due_date:
        return input::due_date;
    case column::pay_date:
        return input::pay_date;
    case column::days_before:
        return input::days_before;
    case column::days_after:
        return input::days_after;
    default:
        return std::nullopt;
    }
}

namespace {

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

QString column_title(int c) {
    return runtime::qstring(sheet::column_name(shown_column(c), sheet::language::chinese));
}

QString column_rule(int c) {
    switch (shown_column(c)) {
    case column::item:
        return QStringLiteral("项目名称，任意文字，例如“增值税 2024年3月”。");
    case column::amount:
        return QStringLiteral("应缴而未按期缴纳的税款，最多12位整数和2位小数。");
    case column::due_date:
        return QStringLiteral("缴款期限是不加收滞纳金的最后一天，滞纳天数从其次日起算"
                              "（《税收征收管理法实施细则》第七十五条）。");
    case column::pay_date:
        return QStringLiteral("实际缴纳税款的当天计入滞纳天数（国税函〔1998〕291号）；"
                              "留空则按上方的缴款日期计算。");
    case column::days_before:
        return QStringLiteral("2001年04月30日及以前的滞纳天数，按日加收千分之二"
                              "（2001年修订前的《税收征收管理法》第二十条）；有日期时为计算结果。");
    case column::days_after:
        return QStringLiteral("2001年05月01日起的滞纳天数，按日加收万分之五"
                              "（《税收征收管理法》第三十二条）；有日期时为计算结果。");
    case column::total_days:
        return QStringLiteral("从缴款期限次日起至实际缴款日期止，首尾两日都计入"
                              "（实施细则第七十五条；国税函〔1998〕291号）。");
    case column::fee_before:
        return QStringLiteral("应缴税款金额 × 2001年04月30日前滞纳天数 × 0.002，四舍五入到分。");
    case column::fee_after:
        return QStringLiteral("应缴税款金额 × 2001年05月01日后滞纳天数 × 0.0005，四舍五入到分。");
    case column::total_fee:
        return QStringLiteral("两段滞纳金（各自四舍五入到分后）之和。");
    case column::tax_and_fee_total:
        return QStringLiteral("应缴税款金额与合计应加征滞纳金之和。");
    case column::one_more_day:
        return QStringLiteral("晚一天缴款时合计应加征滞纳金增加的金额；按天数计算的行，"
                              "按2001年05月01日后多一天计算。");
    case column::note:
        return QStringLiteral("有误的行在这里说明原因，不计入合计；按期缴款的行注明“未逾期”。");
    default:
        return {};
    }
}

QString money_text(std::int64_t value) {
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(value) + 1U : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude / 100U);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped.push_back(',');
        }
        grouped.push_back(digits[i]);
    }
    const auto fraction = static_cast<unsigned>(magnitude % 100U);
    grouped.push_back('.');
    grouped.push_back(static_cast<char>('0' + fraction / 10U));
    grouped.push_back(static_cast<char>('0' + fraction % 10U));
    return QString::fromLatin1((negative ? "-" : "") + grouped);
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
    return parent.isValid() ? 0 : shown_column_count;
}

const sheet::row_outcome& worksheet_model::outcome(std::size_t row) const {
    if (cached_row_ != row) {
        cached_ = evaluate(rows_, row, payment_);
        cached_row_ = row;
    }
    return cached_;
}

std::string worksheet_model::shown_text(std::size_t row, int c, figures style) const {
    const column role = shown_column(c);
    const auto cell = input_of(c);
    if (rows_.blank(row)) {
        return {};
    }
    const sheet::row_outcome& o = outcome(row);
    // A computed row shows its day counts as figures, typed ones too ("009" as 9).
    const bool results_days = o.ok;
    if (cell && !(results_days && (role == column::days_before || role == column::days_after))) {
        const std::string_view text = rows_.text(row, *cell);
        // A readable amount is shown as the figures are ("12,345.60"); the
        // text as typed is what is edited and saved.
        if (role == column::amount && style == figures::grouped) {
            const auto amount = sheet::read_amount(text);
            const auto in_cents = amount ? cents(*amount) : std::nullopt;
            if (in_cents) {
                return runtime::utf8(money_text(*in_cents));
            }
        }
        return std::string(text);
    }
    if (role == column::note) {
        return sheet::describe(o, sheet::language::chinese);
    }
    if (!o.ok) {
        return {};
    }
    const calc::late_fee_result& f = o.figures;
    switch (role) {
    case column::days_before:
        return count_text(f.days_before);
    case column::days_after:
        return count_text(f.days_after);
    case column::total_days:
        return count_text(f.total_days);
    case column::fee_before:
        return money_utf8(f.fee_before, style);
    case column::fee_after:
        return money_utf8(f.fee_after, style);
    case column::total_fee:
        return money_utf8(f.total_fee, style);
    case column::tax_and_fee_total:
        return money_utf8(f.tax_and_fee_total, style);
    case column::one_more_day: {
        const auto more = sheet::one_more_day(o);
        return more ? money_utf8(*more, style) : std::string();
    }
    default:
        return {};
    }
}

bool worksheet_model::bad_cell(const sheet::row_outcome& o, int c) const {
    const column role = shown_column(c);
    // The sheet holds start and end dates as 缴款期限 and 实际缴款日期, so a
    // problem with them (no period at all is reported on start_date) shows
    // in those cells: every bad row has a cell that says why.
    const auto shown_as = [](column field) {
        switch (field) {
        case column::start_date:
            return column::due_date;
        case column::end_date:
            return column::pay_date;
        default:
            return field;
        }
    };
    for (std::size_t i = 0; i < o.problem_count; ++i) {
        if (shown_as(o.problems[i].field) == role) {
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
    const column col = shown_column(c);
    switch (role) {
    case Qt::DisplayRole:
        return runtime::qstring(shown_text(row, c));
    case Qt::EditRole: {
        const auto cell = input_of(c);
        return cell ? runtime::qstring(rows_.text(row, *cell)) : QVariant();
    }
    case Qt::TextAlignmentRole:
        if (is_figure(col)) {
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (col == column::due_date || col == column::pay_date) {
            return QVariant(Qt::AlignHCenter | Qt::AlignVCenter);
        }
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (!rows_.blank(row) && bad_cell(outcome(row), c)) {
            return QBrush(bad_background);
        }
        return {};
    case Qt::ForegroundRole: {
        if (rows_.blank(row)) {
            return {};
        }
        const sheet::row_outcome& o = outcome(row);
        if ((col == column::note && !o.ok) || bad_cell(o, c)) {
            return QBrush(bad_text);
        }
        if (o.ok && o.basis != sheet::period_basis::day_counts &&
            (col == column::days_before || col == column::days_after)) {
            return QBrush(result_day_text);
        }
        return {};
    }
    case Qt::ToolTipRole: {
        if (rows_.blank(row)) {
            return {};
        }
        const sheet::row_outcome& o = outcome(row);
        if (!o.ok && (bad_cell(o, c) || col == column::note)) {
            return runtime::qstring(sheet::describe(o, sheet::language::chinese));
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
    if (section < 0 || section >= shown_column_count) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole: {
        // The long titles on two lines, so that a column is no wider than its
        // figures need and the window shows every column up to 备注:
        // "2001年04月30日前" over "滞纳天数", "合计应加征" over "滞纳金".
        QString title = column_title(section);
        const qsizetype first_line = title_break(shown_column(section));
        if (first_line > 0 && first_line < title.size()) {
            title.insert(first_line, QLatin1Char('\n'));
        }
        return title;
    }
    case Qt::AccessibleTextRole:
        return column_title(section);
    case Qt::ToolTipRole:
        return column_rule(section);
    default:
        return {};
    }
}

Qt::ItemFlags worksheet_model::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && input_of(index.column())) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool worksheet_model::setData(const QModelIndex& index, const QVariant& value, int role) {
    const auto cell = input_of(index.column());
    if (role != Qt::EditRole || !cell || !index.isValid()) {
        return false;
    }
    const auto row = static_cast<std::size_t>(index.row());
    std::string text = runtime::utf8(value.toString());
    if (text == rows_.text(row, *cell)) {
        return true; // no change, no undo step
    }
    edit_cells({{row, *cell, std::move(text)}}, QStringLiteral("编辑"));
    return true;
}

void worksheet_model::sort(int c, Qt::SortOrder order) {
    if (c < 0 || c >= shown_column_count || rows_.size() < 2) {
        return;
    }
    const std::size_t n = rows_.size();
    std::vector<std::uint32_t> by(n);
    std::iota(by.begin(), by.end(), 0U);
    const bool descending = order == Qt::DescendingOrder;
    const column col = shown_column(c);
    const auto cell = input_of(c);
    if (cell && (col == column::item || col == column::due_date || col == column::pay_date)) {
        // Texts by their bytes: dates as "yyyy-mm-dd" sort by day; empty last.
        std::stable_sort(by.begin(), by.end(), [&](std::uint32_t a, std::uint32_t b) {
            const std::string_view x = rows_.text(a, *cell);
            const std::string_view y = rows_.text(b, *cell);
            if (x.empty() != y.empty()) {
                return y.empty();
            }
            return descending ? y < x : x < y;
        });
    } else {
        // Figures as shown, numerically; rows without one last.
        std::vector<std::optional<std::int64_t>> keys(n);
        for (std::size_t r = 0; r < n; ++r) {
            const std::string shown_value = shown_text(r, c);
            std::string digits;
            for (const char ch : shown_value) {
                if (ch >= '0' && ch <= '9') {
                    digits.push_back(ch);
                }
            }
            if (!digits.empty() && digits.size() < 19) {
                keys[r] = std::stoll(digits);
            }
        }
        if (col == column::note) {
            std::stable_sort(by.begin(), by.end(), [&](std::uint32_t a, std::uint32_t b) {
                return descending ? shown_text(b, c) < shown_text(a, c)
                                  : shown_text(a, c) < shown_text(b, c);
            });
        } else {
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
    totals_ = total(rows_, payment_);
    if (!rows_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, shown_column_count - 1));
    }
    emit totals_changed();
}

sheet_totals worksheet_model::total(const row_store& rows,
                                    const std::optional<calc::date>& payment_date) {
    sheet_totals totals;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        add(totals, share_of(rows, r, payment_date));
    }
    return totals;
}

void worksheet_model::edit_cells(std::vector<cell_edit> edits, const QString& name) {
    if (edits.empty()) {
        return;
    }
    undo_.push(new cells_command(*this, std::move(edits), name));
}

void worksheet_model::insert_rows(std::size_t at, std::vector<row_cells> rows,
                                  const QString& name) {
    if (rows.empty()) {
        return;
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
        const auto cell = input_of(index.column());
        if (cell && !rows_.text(static_cast<std::size_t>(index.row()), *cell).empty()) {
            edits.push_back({static_cast<std::size_t>(index.row()), *cell, {}});
        }
    }
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
    // A row of the block with a date and a 合计滞纳天数 is a copy of results:
    // its day counts are figures, not typed counts, and are not taken.
    const int total_days_column = 6;
    std::vector<cell_edit> edits;
    edits.reserve(block.size() * std::min<std::size_t>(width, input_count));
    for (std::size_t r = 0; r < block.size(); ++r) {
        const sheet::text_row& cells = block[r];
        const auto total_days_at = static_cast<std::size_t>(total_days_column - c);
        const bool has_results =
            c <= total_days_column && total_days_at < cells.size() && !cells[total_days_at].empty();
        bool dated = false;
        for (std::size_t k = 0; k < cells.size(); ++k) {
            const int target = c + static_cast<int>(k);
            if (target >= shown_column_count) {
                break;
            }
            const auto cell = input_of(target);
            if ((cell == input::due_date || cell == input::pay_date) && !cells[k].empty()) {
                dated = true;
            }
        }
        for (std::size_t k = 0; k < cells.size(); ++k) {
            const int target = c + static_cast<int>(k);
            if (target >= shown_column_count) {
                break;
            }
            const auto cell = input_of(target);
            if (!cell) {
                continue;
            }
            if (has_results && dated && (cell == input::days_before || cell == input::days_after)) {
                edits.push_back({row + r, *cell, {}});
                continue;
            }
            edits.push_back({row + r, *cell, normalised(*cell, cells[k])});
        }
    }
    undo_.beginMacro(QStringLiteral("粘贴"));
    const std::size_t needed = row + block.size();
    if (needed > rows_.size()) {
        const std::size_t start = rows_.size();
        undo_.push(new insert_command(*this, start, std::vector<row_cells>(needed - start),
                                      QStringLiteral("添加行")));
    }
    // Cells that already hold the text need no change.
    std::erase_if(edits, [&](const cell_edit& e) { return rows_.text(e.row, e.cell) == e.text; });
    if (!edits.empty()) {
        undo_.push(new cells_command(*this, std::move(edits), QStringLiteral("粘贴")));
    }
    undo_.endMacro();
    return {static_cast<int>(std::min<std::size_t>(width, shown_column_count)),
            static_cast<int>(block.size())};
}

void worksheet_model::replace_all(row_store rows) {
    beginResetModel();
    rows_ = std::move(rows);
    forget_cached_row();
    totals_ = total(rows_, payment_);
    undo_.clear();
    endResetModel();
    emit totals_changed();
}

void worksheet_model::put_cells(const std::vector<cell_edit>& edits) {
    if (edits.empty()) {
        return;
    }
    // Each row's share is taken out once before its first change and put
    // back once after its last.
    std::vector<std::size_t> touched;
    touched.reserve(edits.size());
    for (const cell_edit& e : edits) {
        touched.push_back(e.row);
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    for (const std::size_t r : touched) {
        subtract(totals_, share_of(rows_, r, payment_));
    }
    for (const cell_edit& e : edits) {
        rows_.set_text(e.row, e.cell, e.text);
    }
    forget_cached_row();
    for (const std::size_t r : touched) {
        add(totals_, share_of(rows_, r, payment_));
    }
    emit dataChanged(index(static_cast<int>(touched.front()), 0),
                     index(static_cast<int>(touched.back()), shown_column_count - 1));
    emit totals_changed();
}

void worksheet_model::put_rows(std::size_t at, const std::vector<row_cells>& rows) {
    const auto first = static_cast<int>(at);
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(at, rows);
    forget_cached_row();
    for (std::size_t r = at; r < at + rows.size(); ++r) {
        add(totals_, share_of(rows_, r, payment_));
    }
    endInsertRows();
    emit totals_changed();
}

std::vector<row_cells> worksheet_model::take_rows(std::size_t at, std::size_t count) {
    const auto first = static_cast<int>(at);
    beginRemoveRows({}, first, first + static_cast<int>(count) - 1);
    for (std::size_t r = at; r < at + count; ++r) {
        subtract(totals_, share_of(rows_, r, payment_));
    }
    std::vector<row_cells> removed = rows_.erase(at, count);
    forget_cached_row();
    endRemoveRows();
    emit totals_changed();
    return removed;
}

void worksheet_model::put_order(const std::vector<std::uint32_t>& order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Persistent indexes (the current cell, the selection) follow their rows.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> new_place(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        new_place[order[i]] = static_cast<std::uint32_t>(i);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.push_back(this->index(
            static_cast<int>(new_place[static_cast<std::size_t>(index.row())]), index.column()));
    }
    rows_.reorder(order);
    forget_cached_row();
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

totals_model::totals_model(const worksheet_model& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {
    connect(&rows, &worksheet_model::totals_changed, this,
            [this] { emit dataChanged(index(0, 0), index(0, shown_column_count - 1)); });
    connect(&rows, &QAbstractItemModel::modelReset, this,
            [this] { emit dataChanged(index(0, 0), index(0, shown_column_count - 1)); });
}

int totals_model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

int totals_model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_column_count;
}

QString totals_model::text(int c) const {
    const sheet_totals& t = rows_.totals();
    const money_sums& s = t.cents;
    switch (shown_column(c)) {
    case column::item:
        return QStringLiteral("合计（%1行）").arg(t.computed);
    case column::note:
        return t.left_out == 0 ? QString()
                               : QStringLiteral("另有%1行有误，未计入合计").arg(t.left_out);
    default:
        break;
    }
    if (t.overflow) {
        return is_figure(shown_column(c)) && !is_day_count(shown_column(c))
                   ? QStringLiteral("超出范围")
                   : QString();
    }
    switch (shown_column(c)) {
    case column::amount:
        return money_text(s.amount);
    case column::fee_before:
        return money_text(s.fee_before);
    case column::fee_after:
        return money_text(s.fee_after);
    case column::total_fee:
        return money_text(s.total_fee);
    case column::tax_and_fee_total:
        return money_text(s.tax_and_fee_total);
    case column::one_more_day:
        return money_text(s.one_more_day);
    default:
        return {};
    }
}

QVariant totals_model::headerData(int, Qt::Orientation, int role) const {
    // The table's row numbers stand beside it: here, nothing.
    return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
}

QVariant totals_model::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const column col = shown_column(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return text(index.column());
    case Qt::TextAlignmentRole:
        return is_figure(col) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                              : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole: {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case Qt::ForegroundRole:
        return col == column::note ? QVariant(QBrush(bad_text)) : QVariant();
    case Qt::ToolTipRole:
        return col == column::note || col == column::item
                   ? QStringLiteral("合计是各行四舍五入到分后的金额之和；有误的行不计入。")
                   : QVariant();
    default:
        return {};
    }
}

} // namespace orvandel::ui::worksheet
