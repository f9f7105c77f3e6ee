// The worksheet's files: opening and saving CSV and Excel workbooks (the
// file name's extension chooses), and the sheet's own recovery file that
// keeps unsaved rows safe across a crash.

#include "ui/worksheet/w_worksheet.h"

#include "ui/worksheet/load_rows.h"
#include "ui/worksheet/worksheet_model.h"

#include "calc/utf8.h"
#include "runtime/engine_text.h"
#include "runtime/file_dialog.h"
#include "runtime/message_box.h"
#include "runtime/recovery_file.h"
#include "runtime/text_file.h"
#include "sheet/csv.h"
#include "sheet/reader.h"
#include "sheet/result_cells.h"
#include "sheet/workbook_source.h"
#include "sheet/xlsx_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStatusBar>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <istream>
#include <streambuf>
#include <string_view>

namespace orvandel::ui::worksheet {

namespace {

const QString file_filter = QStringLiteral("CSV 文件 (*.csv);;Excel 工作簿 (*.xlsx);;所有文件 (*)");

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

// A column of the sheet's file: a column of the sheet, or one of the file's
// own that the sheet does not know (its slot).
struct file_column {
    std::string name;
    std::optional<sheet::column> role;
    std::size_t slot = 0;
};

// The file's columns: the worksheet's (those of debts when a row gives
// one), then 起始日期 and 终止日期 when a row still holds them, then the
// opened file's unknown columns.
std::vector<file_column> file_columns(const worksheet_model& model) {
    std::vector<file_column> columns;
    const auto named = [](sheet::column c) {
        return file_column{std::string(sheet::column_name(c, sheet::language::chinese)), c};
    };
    // The columns of debts paid in parts only where a row uses them, so that
    // a sheet without them is written as it always was.
    const bool debts = model.uses_debt_columns();
    for (const sheet::column c : shown_columns) {
        if (debts || !is_debt_column(c)) {
            columns.push_back(named(c));
        }
    }
    const row_store& rows = model.rows();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!rows.text(r, sheet::column::start_date).empty() ||
            !rows.text(r, sheet::column::end_date).empty()) {
            columns.push_back(named(sheet::column::start_date));
            columns.push_back(named(sheet::column::end_date));
            break;
        }
    }
    const std::vector<std::string>& extra = model.shape().extra_columns;
    for (std::size_t k = 0; k < extra.size(); ++k) {
        columns.push_back({extra[k], std::nullopt, fixed_slots + k});
    }
    return columns;
}

std::string file_text(const worksheet_model& model, std::size_t row, const file_column& c) {
    return c.role ? model.file_text(row, *c.role) : std::string(model.rows().text(row, c.slot));
}

// An input stream over text already in memory, without copying it, that
// tells how far it has been read.
class memory_buffer : public std::streambuf {
public:
    explicit memory_buffer(std::string_view text) {
        char* begin = const_cast<char*>(text.data()); // only ever read
        setg(begin, begin, begin + text.size());
    }
    [[nodiscard]] std::size_t done() const { return static_cast<std::size_t>(gptr() - eback()); }
};

// The rows of a CSV text already in memory; `progress`, when given, is told
// the thousandths read so far and returns false to stop.
loaded_rows load_csv(std::string_view utf8, const std::function<bool(int)>& progress = {}) {
    memory_buffer buffer(utf8);
    std::istream in(&buffer);
    sheet::csv_source source(in);
    const std::size_t size = std::max<std::size_t>(utf8.size(), 1);
    load_progress each;
    if (progress) {
        each = [&] { return progress(static_cast<int>(buffer.done() * 1000 / size)); };
    }
    return load_rows(source, each, utf8.size());
}

} // namespace

std::string w_worksheet::workbook_bytes(QString& problem) const {
    const row_store& rows = model_->rows();
    const std::size_t count = rows_to_write(rows);
    const std::vector<file_column> columns = file_columns(*model_);
    sheet::table book;
    std::vector<std::optional<sheet::column>> roles;
    for (const file_column& c : columns) {
        roles.push_back(c.role);
        book.header.push_back(c.name);
    }
    std::size_t left_out = 0;
    for (std::size_t r = 0; r < count; ++r) {
        const bool computed = model_->row_computed(r);
        left_out += !rows.blank(r) && !computed ? 1U : 0U;
        std::vector<sheet::cell> cells;
        for (const file_column& c : columns) {
            cells.push_back(sheet::result_cell(c.role, file_text(*model_, r, c), computed));
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

std::string w_worksheet::csv_text() const {
    const row_store& rows = model_->rows();
    const std::size_t count = rows_to_write(rows);
    const std::vector<file_column> columns = file_columns(*model_);
    std::string out(calc::utf8_bom);
    out.reserve(count * 120 + 512);
    const auto put_row = [&](const auto& text_of) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0) {
                out.push_back(',');
            }
            append_cell(out, text_of(columns[c]));
        }
        out += "\r\n";
    };
    put_row([](const file_column& c) { return c.name; });
    for (std::size_t r = 0; r < count; ++r) {
        put_row([&](const file_column& c) { return file_text(*model_, r, c); });
    }
    return out;
}

bool w_worksheet::open_file(const QString& path) {
    QProgressDialog progress(QStringLiteral("正在读取“%1”…").arg(QFileInfo(path).fileName()),
                             QStringLiteral("取消"), 0, 1000, this);
    progress.setWindowTitle(QStringLiteral("计算底稿"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    loaded_rows load;
    QString encoding;
    if (is_workbook(path)) {
        auto book = sheet::workbook_source::open(std::filesystem::path(path.toStdU16String()));
        if (!book) {
            tell(this, QStringLiteral("无法读取“%1”：%2")
                           .arg(path, runtime::qstring(sheet::describe(book.error(),
                                                                       sheet::language::chinese))));
            return false;
        }
        const sheet::workbook_source& source = **book;
        load = load_rows(**book, [&] {
            const std::uint64_t total = std::max<std::uint64_t>(source.total(), 1);
            progress.setValue(static_cast<int>(source.done() * 1000 / total));
            return !progress.wasCanceled();
        });
        encoding = QStringLiteral("Excel 工作簿");
    } else {
        const runtime::read_text read = runtime::read_text_file(path);
        if (!read.ok) {
            tell(this, read.problem);
            return false;
        }
        load = load_csv(read.utf8, [&](int thousandths) {
            progress.setValue(thousandths);
            return !progress.wasCanceled();
        });
        encoding = read.encoding;
    }
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
    const std::size_t extra = load.shape.extra_columns.size();
    model_->replace_all(std::move(load.rows), std::move(load.shape));
    if (count == 0) {
        model_->insert_rows(0, {model_->blank_row()}, QStringLiteral("添加行"));
        model_->undo_stack().clear();
    }
    file_path_ = path;
    forget_recovery();
    update_title();
    size_columns();
    table->setCurrentIndex(model_->index(0, 0));
    QString note = QStringLiteral("已打开“%1”：%2，编码 %3")
                       .arg(QFileInfo(path).fileName(), row_count_text(count), encoding);
    if (load.with_reading_notes > 0) {
        note += QStringLiteral("；%1行的读法见备注").arg(load.with_reading_notes);
    }
    if (extra > 0) {
        note += QStringLiteral("；文件中另有%1列，照原样保留在备注之后").arg(extra);
    }
    statusBar()->showMessage(note);
    return true;
}

bool w_worksheet::save_file(const QString& path) {
    QString problem;
    if (is_workbook(path)) {
        const std::string bytes = workbook_bytes(problem);
        if (problem.isEmpty()) {
            problem = runtime::write_file_atomically(path, bytes);
        }
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
    const QString path = runtime::ask_save_file_name(
        this, QStringLiteral("保存计算底稿"),
        file_path_.isEmpty() ? QStringLiteral("计算底稿.csv") : file_path_, file_filter,
        QStringLiteral("csv"));
    return !path.isEmpty() && save_file(path);
}

void w_worksheet::open_with_dialog() {
    if (!ask_save_and_save()) {
        return;
    }
    const QString path = runtime::ask_open_file_name(this, QStringLiteral("打开计算底稿"),
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
    loaded_rows load = load_csv(read.utf8);
    if (!load.ok) {
        tell(this, QStringLiteral("恢复文件无法读取：%1").arg(runtime::qstring(load.problem)));
        return false;
    }
    const std::size_t count = load.rows.size();
    std::vector<row_cells> rows;
    rows.reserve(count);
    for (std::size_t r = 0; r < count; ++r) {
        rows.push_back(load.rows.cells(r));
    }
    forget_recovery();
    recovery_ = std::move(file); // kept, and written on, until this sheet is saved or closed
    model_->replace_all(row_store(load.shape.extra_columns.size()), std::move(load.shape));
    // As one undoable change, so that the sheet counts as unsaved.
    model_->insert_rows(0, std::move(rows), QStringLiteral("恢复"));
    file_path_.clear();
    update_title();
    size_columns();
    statusBar()->showMessage(QStringLiteral("已恢复上次未保存的%1").arg(row_count_text(count)));
    return true;
}

} // namespace orvandel::ui::worksheet
