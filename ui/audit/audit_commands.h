#pragma once
// The audit sheet's two commands for a window's context menu: "导出计算底稿(PDF)…"
// writes the window's calculation as a sheet to a PDF file the user names,
// and "复制计算过程" puts the same lines on the clipboard as plain text. Each
// also has a shortcut, shown in the menu, that works while the window is active.

#include "ui/audit/audit_sheet.h"

#include "calc/fee.h"

#include <QDate>
#include <QObject>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace orvandel::ui::audit {

// A sheet of one item: the form's calculation, by its dates (起始日期 counted,
// 终止日期 not) or by its typed day counts, made on `today`.
[[nodiscard]] audit_items form_calculation_sheet(const calc::late_fee_input& input,
                                                 const calc::late_fee_result& result,
                                                 const QDate& today);

class audit_commands : public QObject {
    Q_OBJECT

public:
    // The sheet of the moment; nothing when there is no calculation yet (the
    // user is then asked to calculate first).
    using sheet_source = std::function<std::optional<audit_items>()>;

    // Belongs to `window`, where its boxes and dialog appear and its shortcuts work.
    audit_commands(QWidget& window, sheet_source current);

    // Adds both commands to `menu`.
    void add_to(QMenu& menu) const;

    [[nodiscard]] QAction* export_pdf() const { return export_pdf_; }

    // Shows the sheet in a print preview, whose print button opens the
    // system's print dialog. Not in the menu add_to fills; a window with a
    // 打印… command of its own calls it.
    void print_with_preview();

private:
    void export_to_file();
    void copy_to_clipboard();
    [[nodiscard]] std::optional<audit_items> current_or_tell(const QString& what) const;

    QWidget& window_;
    sheet_source current_;
    QAction* export_pdf_;
    QAction* copy_text_;
};

} // namespace orvandel::ui::audit
