#include "ui/worksheet/worksheet_commands.h"

namespace orvandel::ui::worksheet {

cells_command::cells_command(worksheet_model& model, std::vector<cell_edit> after,
                             const QString& name, QUndoCommand* parent)
    : QUndoCommand(name, parent), model_(model), after_(std::move(after)) {
    before_.reserve(after_.size());
    for (const cell_edit& edit : after_) {
        before_.push_back(
            {edit.row, edit.slot, std::string(model.rows().text(edit.row, edit.slot))});
    }
}

void remove_command::undo() {
    model_.put_rows(at_, removed_);
    removed_.clear();
}

order_command::order_command(worksheet_model& model, std::vector<std::uint32_t> order)
    : QUndoCommand(QStringLiteral("排序")), model_(model), order_(std::move(order)) {
    inverse_.resize(order_.size());
    for (std::size_t i = 0; i < order_.size(); ++i) {
        inverse_[order_[i]] = static_cast<std::uint32_t>(i);
    }
}

} // namespace orvandel::ui::worksheet
