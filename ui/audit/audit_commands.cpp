#include "ui/audit/audit_commands.h"

#include "runtime/file_dialog.h"
#include "runtime/message_box.h"
#include "runtime/printing.h"
#include "ui/audit/audit_content.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPrinter>
#include <QStandardPaths>
#include <QWidget>

namespace orvandel::ui::audit {

audit_items form_calculation_sheet(const calc::late_fee_input& input,
                                   const calc::late_fee_result& result, const QDate& today) {
    audit_item item;
    item.outcome.ok = true;
    item.outcome.basis = input.mode == calc::entry_mode::by_days
                             ? sheet::period_basis::day_counts
                             : sheet::period_basis::start_and_end;
    item.outcome.input = input;
    item.outcome.figures = result;
    return {{item}, today, QDate()};
}

audit_commands::audit_commands(QWidget& window, sheet_source current)
    : QObject(&window), window_(window), current_(std::move(current)),
      export_pdf_(new QAction(QStringLiteral("导出计算底稿(PDF)…"), &window)),
      copy_text_(new QAction(QStringLiteral("复制计算过程"), &window)) {
    // Ctrl+Shift: the fields keep Ctrl+C and every other key of their own.
    export_pdf_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    copy_text_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    for (QAction* action : {export_pdf_, copy_text_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
    }
    connect(export_pdf_, &QAction::triggered, this, &audit_commands::export_to_file);
    connect(copy_text_, &QAction::triggered, this, &audit_commands::copy_to_clipboard);
}

void audit_commands::add_to(QMenu& menu) const {
    menu.addAction(export_pdf_);
    menu.addAction(copy_text_);
}

std::optional<audit_items> audit_commands::current_or_tell(const QString& what) const {
    std::optional<audit_items> sheet = current_ ? current_() : std::nullopt;
    if (!sheet) {
        runtime::message_box(&window_, QStringLiteral("提示"),
                             QStringLiteral("还没有计算结果。请先计算，然后再%1。").arg(what),
                             runtime::msg_icon::information);
    }
    return sheet;
}

void audit_commands::export_to_file() {
    const std::optional<audit_items> sheet = current_or_tell(QStringLiteral("导出计算底稿"));
    if (!sheet) {
        return;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(
        QStringLiteral("滞纳金计算底稿 %1.pdf")
            .arg(sheet->calculation_date.toString(QStringLiteral("yyyy-MM-dd"))));
    const QString path =
        runtime::ask_save_file_name(&window_, QStringLiteral("导出计算底稿"), suggested,
                                    QStringLiteral("PDF 文件 (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty()) {
        return;
    }
    if (export_audit_pdf(path, *sheet) != audit_export_error::none) {
        runtime::message_box(&window_, QStringLiteral("提示"),
                             QStringLiteral("无法写入文件“%1”。请检查文件夹是否存在、是否有写入"
                                            "权限，然后重新导出。已有的同名文件不受影响。")
                                 .arg(QDir::toNativeSeparators(path)),
                             runtime::msg_icon::exclamation);
    }
}

void audit_commands::print_with_preview() {
    const std::optional<audit_items> sheet = current_or_tell(QStringLiteral("打印计算底稿"));
    if (!sheet) {
        return;
    }
    const bool drawn = runtime::print_with_preview(
        window_, QStringLiteral("打印预览 - ") + title_text, title_text,
        [&sheet](QPrinter& printer) { return print_audit_sheet(printer, *sheet); });
    if (!drawn) {
        runtime::message_box(&window_, QStringLiteral("提示"),
                             QStringLiteral("打印失败：计算底稿没有能画到打印机上。请检查打印机"
                                            "的状态，然后重新打印。"),
                             runtime::msg_icon::exclamation);
    }
}

void audit_commands::copy_to_clipboard() {
    if (const std::optional<audit_items> sheet = current_or_tell(QStringLiteral("复制计算过程"))) {
        QGuiApplication::clipboard()->setText(audit_text(*sheet));
    }
}

} // namespace orvandel::ui::audit
