#include "ui/worksheet/totals_model.h"

#include "calc/number_text.h"
#include "runtime/engine_text.h"
#include "sheet/result_cells.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace orvandel::ui::worksheet {

namespace {

using sheet::column;

const QColor bad_text(0xb0, 0x1c, 0x1c);

// The sum a totals column shows.
std::optional<summed> sum_of(column c) {
    switch (c) {
    case column::amount:
        return summed::amount;
    case column::fee_before:
        return summed::fee_before;
    case column::fee_after:
        return summed::fee_after;
    case column::total_fee:
        return summed::total_fee;
    case column::tax_and_fee_total:
        return summed::tax_and_fee_total;
    case column::one_more_day:
        return summed::one_more_day;
    case column::paid_amount:
        return summed::paid_amount;
    case column::to_tax:
        return summed::to_tax;
    case column::to_fee:
        return summed::to_fee;
    case column::excess:
        return summed::excess;
    case column::tax_outstanding:
        return summed::tax_outstanding;
    case column::fee_outstanding:
        return summed::fee_outstanding;
    case column::fee_paid:
        return summed::fee_paid;
    case column::capped_total_fee:
        return summed::capped_total_fee;
    default:
        return std::nullopt;
    }
}

} // namespace

totals_model::totals_model(const worksheet_model& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {
    connect(&rows, &worksheet_model::totals_changed, this,
            [this] { emit dataChanged(index(0, 0), index(0, columnCount() - 1)); });
    connect(&rows, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&rows, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
}

int totals_model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

int totals_model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_.columnCount();
}

QString totals_model::text(int c) const {
    const sheet_totals& t = rows_.totals();
    const auto col = rows_.column_at(c);
    if (!col) {
        return {};
    }
    switch (*col) {
    case column::item:
        return QStringLiteral("合计（%1行）").arg(t.computed);
    case column::error: {
        QStringList notes;
        if (t.left_out > 0) {
            notes << runtime::qstring(sheet::left_out_text(t.left_out, sheet::language::chinese));
        }
        if (t.capped_debts > 0) {
            notes
                << QStringLiteral("其中%1笔欠税按行政强制法第四十五条封顶计入").arg(t.capped_debts);
        }
        return notes.join(QStringLiteral("；"));
    }
    default:
        break;
    }
    const auto sum = sum_of(*col);
    if (!sum || (is_debt_column(*col) && rows_.debts().empty())) {
        return {};
    }
    const auto value = t[*sum].value();
    return runtime::qstring(value ? calc::grouped_text(*value)
                                  : std::string(calc::out_of_range_text));
}

QVariant totals_model::headerData(int, Qt::Orientation, int role) const {
    // The table's row numbers stand beside it: here, nothing.
    return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
}

QVariant totals_model::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto col = rows_.column_at(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return text(index.column());
    case Qt::TextAlignmentRole:
        return col && sheet::facts(*col).kind != sheet::column_kind::text
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole: {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case Qt::ForegroundRole:
        return col == column::error ? QVariant(QBrush(bad_text)) : QVariant();
    case Qt::ToolTipRole:
        if (col == column::error || col == column::item) {
            return QStringLiteral("合计是各行四舍五入到分后的金额之和；有误的行不计入。");
        }
        if (col == column::total_fee || col == column::tax_and_fee_total ||
            col == column::fee_outstanding) {
            return QStringLiteral("有编号的欠税按所在行计入：适用封顶的，按封顶后的金额。");
        }
        if (col == column::tax_outstanding) {
            return QStringLiteral("各笔欠税在应缴税款金额所在行的尚欠税款之和。");
        }
        return {};
    default:
        return {};
    }
}

} // namespace orvandel::ui::worksheet
