// The totals row under the worksheet's table: the sums of the rounded row
// figures, and in 备注 how many rows were left out for errors.
#pragma once

#include "ui/worksheet/worksheet_model.h"

#include <QAbstractTableModel>

namespace orvandel::ui::worksheet {

class totals_model : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit totals_model(const worksheet_model& rows, QObject* parent = nullptr);
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] QString text(int column) const;

private:
    const worksheet_model& rows_;
};

} // namespace orvandel::ui::worksheet
