// The worksheet's files: opening and saving CSV and Excel workbooks (the
// file name's extension chooses), and the sheet's own recovery file that
// keeps unsaved rows safe across a crash.

#include "ui/worksheet/w_worksheet.h"

#include "ui/worksheet/csv_rows.h"
#include "ui/worksheet/worksheet_model.h"

#include "runtime/engine_text.h"
#include "runtime/message_box.h"
#include "runtime/recovery_file.h"
#include "runtime/text_file.h"
#include "sheet/csv.h"
#include "sheet/result_cells.h"
#if ORVANDEL_XLSX
#include "sheet/xlsx_reader.h"
#include "sheet/xlsx_writer.h"
#endif

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStatusBar>
#include <filesystem>

namespace orvandel::ui::worksheet {

namespace {

#if ORVANDEL_XLSX
const QString file_filter = QStringLiteral("CSV 文件 (*.csv);;Excel 工作簿 (*.xlsx);;所有文件 (*)");
#else
const QString file_filter = QStringLiteral("CSV 文件 (*.csv);;所有文件 (*)");
#endif

bool is_workbook(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) == 0;
}

void tell(QWidget* parent, const QString& text) {
    runtime::message_box(parent, QStringLiteral("计算底稿"), text, runtime::msg_icon::exclamation);
}

void append_cell(std::string& out, std::string_view text) {
    const std::size_t at = out.size();
    out.resize(at + sheet::cell_room(text));
    char* end = sheet::write_cell(out.data() + at, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

// The last row that is not blank, plus one.
std::size_t rows_to_write(const row_store& rows) {
    std::size_t end = rows.size();
    while (end > 0 && rows.blank(end - 1)) {
        --end;
    }
    return end;
}

QString row_count_text(std::size_t rows) {
    return QStringLiteral("%1行").arg(rows);
}

} // namespace

#if ORVANDEL_XLSX
namespace {

// A workbook's sheet as CSV text, so that it is read by the same rules as a
// CSV file (column names, the form's dates, result columns left out).
std::string csv_of(const sheet::table& book) {
    std::string out;
    const auto put_row = [&out](const auto& cells, const auto& text_of) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0) {
                out.push_back(',');
            }
            append_cell(out, text_of(cells[c]));
        }
        out += "\r\n";
    };
    put_row(book.header, [](const std::string& name) { return std::string_view(name); });
    for (const auto& row : book.rows) {
        put_row(row, [](const sheet::cell& cell) { return sheet::cell_text(cell); });
    }
    return out;
}

} // namespace

std::string w_worksheet::workbook_bytes(QString& problem) const {
    const row_store& rows = model_->rows();
    const std::size_t count = rows_to_write(rows);
    sheet::table book;
    std::vector<std::optional<sheet::column>> roles;
    for (int c = 0; c < shown_column_count; ++c) {
        roles.emplace_back(shown_column(c));
        book.header.emplace_back(sheet::column_name(shown_column(c), sheet::language::chinese));
    }
    std::size_t left_out = 0;
    for (std::size_t r = 0; r < count; ++r) {
        const bool computed = !rows.blank(r) && model_->outcome(r).ok;
        left_out += !rows.blank(r) && !computed ? 1U : 0U;
        std::vector<sheet::cell> cells;
        for (int c = 0; c < shown_column_count; ++c) {
            cells.push_back(sheet::result_cell(
                roles[static_cast<std::size_t>(c)],
                model_->shown_text(r, c, worksheet_model::figures::plain), computed));
        }
        book.rows.push_back(std::move(cells));
    }
    book.totals = sheet::totals_row(roles, sheet::language::chinese, left_out);
    auto bytes = sheet::write_xlsx(book, {"计算底稿"});
    if (!bytes) {
        problem = runtime::qstring(sheet::describe(bytes.error(), sheet::language::chinese));
        return {};
    }
    return std::move(bytes).value();
}
#endif

std::string w_worksheet::csv_text() const {
    const row_store& rows = model_->rows();
    const std::size_t count = rows_to_write(rows);
    std::string out = "\xEF\xBB\xBF";
    out.reserve(count * 120 + 512);
    for (int c = 0; c < shown_column_count; ++c) {
        if (c > 0) {
            out.push_back(',');
        }
        append_cell(out, sheet::column_name(shown_column(c), sheet::language::chinese));
    }
    out += "\r\n";
    for (std::size_t r = 0; r < count; ++r) {
        for (int c = 0; c < shown_column_count; ++c) {
            if (c > 0) {
                out.push_back(',');
            }
            append_cell(out, model_->shown_text(r, c, worksheet_model::figures::plain));
        }
        out += "\r\n";
    }
    return out;
}

bool w_worksheet::open_file(const QString& path) {
    runtime::read_text read;
    if (is_workbook(path)) {
#if ORVANDEL_XLSX
        const auto book = sheet::read_xlsx_file(std::filesystem::path(path.toStdU16String()));
        if (!book) {
            tell(this, QStringLiteral("无法读取“%1”：%2")
                           .arg(path, runtime::qstring(sheet::describe(book.error(),
                                                                       sheet::language::chinese))));
            return false;
        }
        read.ok = true;
        read.utf8 = csv_of(*book);
        read.encoding = QStringLiteral("Excel 工作簿");
#else
        tell(this, QStringLiteral("这一版本不能读取 Excel 工作簿“%1”，请另存为 CSV 文件再打开。")
                       .arg(path));
        return false;
#endif
    } else {
        read = runtime::read_text_file(path);
    }
    if (!read.ok) {
        tell(this, read.problem);
        return false;
    }
    QProgressDialog progress(QStringLiteral("正在读取“%1”…").arg(QFileInfo(path).fileName()),
                             QStringLiteral("取消"), 0, 1000, this);
    progress.setWindowTitle(QStringLiteral("计算底稿"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    csv_load load = read_csv_rows(read.utf8, [&](std::size_t done, std::size_t total) {
        progress.setValue(total == 0 ? 0 : static_cast<int>(done * 1000 / total));
        return !progress.wasCanceled();
    });
    if (load.cancelled) {
        statusBar()->showMessage(QStringLiteral("已取消打开“%1”，计算底稿没有改变。").arg(path));
        return false;
    }
    if (!load.ok) {
        tell(this, QStringLiteral("无法读取“%1”：%2").arg(path, runtime::qstring(load.problem)));
        return false;
    }
    progress.setLabelText(QStringLiteral("正在计算…"));
    progress.setCancelButton(nullptr);
    progress.setValue(1000);
    const std::size_t count = load.rows.size();
    model_->replace_all(std::move(load.rows));
    if (count == 0) {
        model_->insert_rows(0, std::vector<row_cells>(1), QStringLiteral("添加行"));
        model_->undo_stack().clear();
    }
    file_path_ = path;
    forget_recovery();
    update_title();
    table->setCurrentIndex(model_->index(0, 0));
    QString note = QStringLiteral("已打开“%1”：%2，编码 %3")
                       .arg(QFileInfo(path).fileName(), row_count_text(count), read.encoding);
    if (load.irregular > 0) {
        note += QStringLiteral("；%1行的列数与标题行不同").arg(load.irregular);
    }
    if (load.conflicting > 0) {
        note +=
            QStringLiteral("；%1行同时有起止日期和缴款期限，按缴款期限读入").arg(load.conflicting);
    }
    if (load.start_after_end > 0) {
        note +=
            QStringLiteral("；%1行的起始日期晚于终止日期，按未逾期计算").arg(load.start_after_end);
    }
    if (load.unknown_columns > 0) {
        note += QStringLiteral("；%1个不认识的列未读入").arg(load.unknown_columns);
    }
    statusBar()->showMessage(note);
    return true;
}

bool w_worksheet::save_file(const QString& path) {
    QString problem;
    if (is_workbook(path)) {
#if ORVANDEL_XLSX
        const std::string bytes = workbook_bytes(problem);
        if (problem.isEmpty()) {
            problem = runtime::write_file_atomically(path, bytes);
        }
#else
        problem = QStringLiteral("这一版本不能写 Excel 工作簿，请另存为 CSV 文件。");
#endif
    } else {
        problem = runtime::write_file_atomically(path, csv_text());
    }
    if (!problem.isEmpty()) {
        tell(this, problem);
        return false;
    }
    file_path_ = path;
    model_->undo_stack().setClean();
    forget_recovery();
    update_title();
    statusBar()->showMessage(
        QStringLiteral("已保存“%1”（%2）")
            .arg(QFileInfo(path).fileName(),
                 is_workbook(path) ? QStringLiteral("Excel 工作簿") : QStringLiteral("UTF-8")));
    return true;
}

bool w_worksheet::save() {
    if (file_path_.isEmpty()) {
        return save_as();
    }
    return save_file(file_path_);
}

bool w_worksheet::save_as() {
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("保存计算底稿"),
        file_path_.isEmpty() ? QStringLiteral("计算底稿.csv") : file_path_, file_filter);
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".csv");
    }
    return save_file(path);
}

void w_worksheet::open_with_dialog() {
    if (!ask_save_and_save()) {
        return;
    }
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("打开计算底稿"),
                                                      QFileInfo(file_path_).path(), file_filter);
    if (!path.isEmpty()) {
        open_file(path);
    }
}

void w_worksheet::write_recovery() {
    if (model_->undo_stack().isClean()) {
        forget_recovery();
        return;
    }
    QString problem;
    if (!recovery_) {
        recovery_ = runtime::recovery_file::create(problem);
    }
    if (recovery_) {
        problem = recovery_->write(csv_text());
    }
    if (!problem.isEmpty()) {
        statusBar()->showMessage(QStringLiteral("无法写入恢复文件：%1").arg(problem));
    }
}

void w_worksheet::forget_recovery() {
    if (recovery_) {
        recovery_->remove();
    }
}

QString w_worksheet::recovery_path() const {
    return recovery_ ? recovery_->path() : QString();
}

bool w_worksheet::restore_recovery(std::unique_ptr<runtime::recovery_file> file) {
    const runtime::read_text read = runtime::read_text_file(file->path());
    if (!read.ok) {
        tell(this, read.problem);
        return false;
    }
    csv_load load = read_csv_rows(read.utf8);
    if (!load.ok) {
        tell(this, QStringLiteral("恢复文件无法读取：%1").arg(runtime::qstring(load.problem)));
        return false;
    }
    const std::size_t count = load.rows.size();
    model_->replace_all(row_store{});
    // As one undoable change, so that the sheet counts as unsaved.
    std::vector<row_cells> rows;
    rows.reserve(count);
    for (std::size_t r = 0; r < count; ++r) {
        rows.push_back(load.rows.cells(r));
    }
    forget_recovery();
    recovery_ = std::move(file); // kept, and written on, until this sheet is saved or closed
    model_->insert_rows(0, std::move(rows), QStringLiteral("恢复"));
    file_path_.clear();
    update_title();
    statusBar()->showMessage(QStringLiteral("已恢复上次未保存的%1").arg(row_count_text(count)));
    return true;
}

} // namespace orvandel::ui::worksheet
