#include "sheet/xlsx_writer.h"

#include "sheet/text_utf8.h"
#include "sheet/xlsx/exact_sum.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

namespace orvandel::sheet {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t max_text_units = 32767;
constexpr std::size_t max_rows = 1'048'576; // Excel's sheet
constexpr std::size_t max_columns = 16'384;
constexpr double min_width = 8.0;
constexpr double max_width = 60.0;

// A folder of our own under the system's temporary folder, made so that no
// one else can have put anything in it, and removed with all it holds.
class private_folder {
public:
    private_folder() {
        std::error_code error;
        const fs::path base = fs::temp_directory_path(error);
        if (error) {
            return;
        }
        std::random_device random;
        for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
            const fs::path candidate =
                base / ("orvandel-xlsx-" + std::to_string(random()) + std::to_string(random()));
            if (fs::create_directory(candidate, error) && !error) {
                path_ = candidate;
            }
        }
    }
    ~private_folder() {
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
        }
    }
    private_folder(const private_folder&) = delete;
    private_folder& operator=(const private_folder&) = delete;

    [[nodiscard]] const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string utf8_path(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

double to_double(std::string_view decimal) {
    double value = 0;
    std::from_chars(decimal.data(), decimal.data() + decimal.size(), value);
    return value;
}

int decimals_of(std::string_view decimal) {
    const std::size_t point = decimal.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(decimal.size() - point - 1);
}

// A double holds any decimal of at most 15 significant digits so that its
// shortest text gives the decimal back; Excel shows no more digits than that.
// A figure with more is written as its text, never as a number that is not it.
bool fits_a_number(std::string_view decimal) {
    std::size_t first = std::string_view::npos;
    std::size_t last = 0;
    std::size_t digits = 0;
    for (const char ch : decimal) {
        if (ch >= '0' && ch <= '9') {
            if (ch != '0') {
                first = first == std::string_view::npos ? digits : first;
                last = digits;
            }
            ++digits;
        }
    }
    return first == std::string_view::npos || last - first + 1 <= 15;
}

// What a column's sum cell shows: the format of the figures it adds up.
enum class sum_shape { none, integers, cents, general };

// What a column's sum cell holds: a live formula with the exact total, or,
// when a figure of the column or the total itself is too wide for a number,
// the exact total as text.
struct column_sum {
    std::string total = "0";
    bool too_wide = false;
    sum_shape shape = sum_shape::none;

    void add(const cell& c) {
        if (c.kind == cell_kind::integer) {
            std::array<char, 24> digits{};
            const auto end =
                std::to_chars(digits.data(), digits.data() + digits.size(), c.integer).ptr;
            total = xlsx::exact_sum(
                total,
                std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
            shape = std::max(shape, sum_shape::integers);
        } else if (c.kind == cell_kind::number) {
            total = xlsx::exact_sum(total, c.text);
            too_wide = too_wide || !fits_a_number(c.text);
            shape =
                std::max(shape, decimals_of(c.text) <= 2 ? sum_shape::cents : sum_shape::general);
        }
    }
    [[nodiscard]] bool as_formula() const { return !too_wide && fits_a_number(total); }
};

// Texts that read back as something else in a workbook are escaped the way
// Excel does: a CR as "_x000D_" (XML readers turn a bare CR into LF) and the
// "_" of a literal "_xHHHH_" as "_x005F_". Other control characters are
// escaped by the library.
std::string escaped_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const auto is_hex = [](char ch) {
        return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "_x000D_";
        } else if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' &&
                   std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i) + 2,
                               text.begin() + static_cast<std::ptrdiff_t>(i) + 6, is_hex) &&
                   text[i + 6] == '_') {
            out += "_x005F_";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::size_t cell_width(const cell& c) {
    switch (c.kind) {
    case cell_kind::text:
        return display_width(c.text);
    case cell_kind::number:
        return c.text.size() + (decimals_of(c.text) == 0 ? 3 : 0);
    case cell_kind::integer:
        return std::to_string(c.integer).size();
    case cell_kind::date:
        return 10;
    case cell_kind::empty:
    case cell_kind::sum:
        break;
    }
    return 0;
}

xlsx_write_problem problem_at(xlsx_write_error what, std::size_t row, std::size_t column,
                              std::string detail = {}) {
    return {what, row, column, std::move(detail)};
}

std::optional<xlsx_write_problem> checked_text(std::size_t row, std::size_t column,
                                               std::string_view text) {
    const auto units = utf16_length(text);
    if (!units) {
        return problem_at(xlsx_write_error::not_utf8, row, column);
    }
    if (*units > max_text_units) {
        return problem_at(xlsx_write_error::text_too_long, row, column);
    }
    return std::nullopt;
}

} // namespace

// The workbook being built: libxlsxwriter writes each row to a file in the
// private folder as the next row begins, and the whole package at finish().
struct xlsx_sheet_writer::state {
    private_folder folder; // declared first: removed last, after the workbook is gone
    fs::path file;
    lxw_workbook* book = nullptr;
    lxw_worksheet* page = nullptr;
    lxw_format* bold = nullptr;
    std::array<lxw_format*, 2> cents{}, integer{}, date{}, general{};
    std::vector<column_sum> sums;
    std::vector<std::size_t> widths;
    std::size_t rows = 0;
    bool built = false;
    std::optional<xlsx_write_problem> failure;

    state() = default;
    state(const state&) = delete;
    state& operator=(const state&) = delete;
    ~state() { abandon(); }

    // Frees a workbook that will not be finished without writing it out:
    // closing it would build the whole package first. The library leaves
    // the file of its rows open when it frees a workbook, so it is closed here.
    void abandon() {
        if (book == nullptr) {
            return;
        }
        if (page != nullptr && page->optimize_tmpfile != nullptr) {
            std::fclose(page->optimize_tmpfile);
            page->optimize_tmpfile = nullptr;
            page->file = nullptr;
        }
        lxw_workbook_free(std::exchange(book, nullptr));
    }

    std::optional<xlsx_write_problem> fail(xlsx_write_problem problem) {
        failure = std::move(problem);
        abandon();
        return failure;
    }

    std::optional<xlsx_write_problem> checked(lxw_error error, std::size_t row,
                                              std::size_t column) {
        if (error == LXW_NO_ERROR) {
            return std::nullopt;
        }
        return fail(problem_at(xlsx_write_error::failed, row, column, lxw_strerror(error)));
    }

    lxw_format* format(bool bolded, const char* number_format) {
        lxw_format* f = workbook_add_format(book);
        if (bolded) {
            format_set_bold(f);
        }
        if (number_format != nullptr) {
            format_set_num_format(f, number_format);
        }
        return f;
    }

    void make_formats() {
        bold = format(true, nullptr);
        for (const bool bolded : {false, true}) {
            cents[bolded] = format(bolded, "0.00");
            integer[bolded] = format(bolded, "0");
            date[bolded] = format(bolded, "yyyy-mm-dd");
            general[bolded] = bolded ? bold : nullptr;
        }
    }

    void note_width(std::size_t column, std::size_t width) {
        if (column >= widths.size()) {
            widths.resize(column + 1);
        }
        widths[column] = std::max(widths[column], width);
    }

    // Checked before the row is written, so that a bad text is reported as
    // such and not as whatever the library makes of it.
    std::optional<xlsx_write_problem> check_row(std::size_t row, const std::vector<cell>& cells) {
        if (row >= max_rows) {
            return fail(problem_at(xlsx_write_error::past_the_sheet, row, 0));
        }
        if (cells.size() > max_columns) {
            return fail(problem_at(xlsx_write_error::past_the_sheet, row, max_columns));
        }
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].kind == cell_kind::text) {
                if (auto bad = checked_text(row, c, cells[c].text)) {
                    return fail(std::move(*bad));
                }
            }
        }
        return std::nullopt;
    }

    std::optional<xlsx_write_problem> put_text(std::size_t row, std::size_t column,
                                               std::string_view text, lxw_format* f) {
        if (text.empty()) {
            return std::nullopt;
        }
        const std::string escaped = escaped_text(text);
        return checked(worksheet_write_string(page, static_cast<lxw_row_t>(row),
                                              static_cast<lxw_col_t>(column), escaped.c_str(), f),
                       row, column);
    }

    std::optional<xlsx_write_problem> put_cell(std::size_t row, std::size_t column, const cell& c,
                                               bool bolded) {
        const auto r = static_cast<lxw_row_t>(row);
        const auto at = static_cast<lxw_col_t>(column);
        switch (c.kind) {
        case cell_kind::empty:
            return std::nullopt;
        case cell_kind::text:
            return put_text(row, column, c.text, bolded ? bold : nullptr);
        case cell_kind::number: {
            if (!fits_a_number(c.text)) {
                return put_text(row, column, c.text, bolded ? bold : nullptr);
            }
            lxw_format* f = decimals_of(c.text) <= 2 ? cents[bolded] : general[bolded];
            return checked(worksheet_write_number(page, r, at, to_double(c.text), f), row, column);
        }
        case cell_kind::integer:
            return checked(worksheet_write_number(page, r, at, static_cast<double>(c.integer),
                                                  integer[bolded]),
                           row, column);
        case cell_kind::date:
            return put_date(row, column, c.day, bolded);
        case cell_kind::sum:
            return put_sum(row, column, bolded);
        }
        return std::nullopt;
    }

    std::optional<xlsx_write_problem> put_date(std::size_t row, std::size_t column,
                                               const calc::date& day, bool bolded) {
        const int year = static_cast<int>(day.year());
        if (year < 1900 || !calc::is_calendar_day(day)) {
            return put_text(row, column, cell_text(cell::of_date(day)), bolded ? bold : nullptr);
        }
        lxw_datetime when{};
        when.year = year;
        when.month = static_cast<int>(static_cast<unsigned>(day.month()));
        when.day = static_cast<int>(static_cast<unsigned>(day.day()));
        return checked(worksheet_write_datetime(page, static_cast<lxw_row_t>(row),
                                                static_cast<lxw_col_t>(column), &when,
                                                date[bolded]),
                       row, column);
    }

    std::optional<xlsx_write_problem> put_sum(std::size_t row, std::size_t column, bool bolded) {
        const std::string letters = column_letters(column);
        const std::string formula =
            "=SUM(" + letters + "2:" + letters + std::to_string(rows + 1) + ")";
        const column_sum none;
        const column_sum& sum = column < sums.size() ? sums[column] : none;
        if (!sum.as_formula()) {
            return put_text(row, column, sum.total, bolded ? bold : nullptr);
        }
        lxw_format* f = sum.shape == sum_shape::integers  ? integer[bolded]
                        : sum.shape == sum_shape::general ? general[bolded]
                                                          : cents[bolded];
        return checked(worksheet_write_formula_num(page, static_cast<lxw_row_t>(row),
                                                   static_cast<lxw_col_t>(column), formula.c_str(),
                                                   f, to_double(sum.total)),
                       row, column);
    }

    std::optional<xlsx_write_problem> put_row(std::size_t row, const std::vector<cell>& cells,
                                              bool bolded) {
        if (auto bad = check_row(row, cells)) {
            return bad;
        }
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (auto bad = put_cell(row, c, cells[c], bolded)) {
                return bad;
            }
            note_width(c, cell_width(cells[c]));
        }
        return std::nullopt;
    }

    void set_widths() {
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const double wanted = static_cast<double>(widths[c]) + 2.0;
            const auto at = static_cast<lxw_col_t>(c);
            worksheet_set_column(page, at, at, std::clamp(wanted, min_width, max_width), nullptr);
        }
    }

    // Closes the workbook, which writes the package in the private folder.
    std::optional<xlsx_write_problem> build() {
        set_widths();
        const lxw_error error = workbook_close(std::exchange(book, nullptr));
        if (error != LXW_NO_ERROR) {
            return fail(problem_at(xlsx_write_error::failed, 0, 0, lxw_strerror(error)));
        }
        built = true;
        return std::nullopt;
    }

    std::optional<xlsx_write_problem> copy_to(std::ostream& out) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            return fail(problem_at(xlsx_write_error::failed, 0, 0, "cannot read the built file"));
        }
        std::array<char, 1 << 16> chunk{};
        while (in) {
            in.read(chunk.data(), chunk.size());
            out.write(chunk.data(), in.gcount());
        }
        if (in.bad()) {
            return fail(problem_at(xlsx_write_error::failed, 0, 0, "cannot read the built file"));
        }
        if (!out) {
            return fail(problem_at(xlsx_write_error::cannot_write, 0, 0));
        }
        return std::nullopt;
    }
};

xlsx_sheet_writer::xlsx_sheet_writer(std::unique_ptr<state> s) : state_(std::move(s)) {}
xlsx_sheet_writer::xlsx_sheet_writer(xlsx_sheet_writer&&) noexcept = default;
xlsx_sheet_writer& xlsx_sheet_writer::operator=(xlsx_sheet_writer&&) noexcept = default;
xlsx_sheet_writer::~xlsx_sheet_writer() = default;

calc::result<xlsx_sheet_writer, xlsx_write_problem>
xlsx_sheet_writer::start(const std::vector<std::string>& header,
                         const xlsx_write_options& options) {
    auto s = std::make_unique<state>();
    if (s->folder.path().empty()) {
        return problem_at(xlsx_write_error::no_temporary, 0, 0);
    }
    s->file = s->folder.path() / "book.xlsx";
    std::string folder = utf8_path(s->folder.path());
    lxw_workbook_options settings{};
    settings.constant_memory = LXW_TRUE;
    settings.tmpdir = folder.data();
    s->book = workbook_new_opt(utf8_path(s->file).c_str(), &settings);
    if (s->book != nullptr) {
        s->page = workbook_add_worksheet(s->book, options.sheet_name.c_str());
    }
    if (s->book == nullptr || s->page == nullptr) {
        return problem_at(xlsx_write_error::failed, 0, 0, "cannot start a workbook");
    }
    s->make_formats();
    worksheet_freeze_panes(s->page, 1, 0);
    std::vector<cell> titles;
    titles.reserve(header.size());
    for (const std::string& title : header) {
        titles.push_back(cell::of_text(title));
    }
    if (auto bad = s->put_row(0, titles, true)) {
        return std::move(*bad);
    }
    return xlsx_sheet_writer(std::move(s));
}

std::optional<xlsx_write_problem> xlsx_sheet_writer::add_row(const std::vector<cell>& row) {
    state& s = *state_;
    if (s.failure) {
        return s.failure;
    }
    if (s.book == nullptr) {
        return problem_at(xlsx_write_error::failed, s.rows + 1, 0, "the workbook is built");
    }
    if (auto bad = s.put_row(s.rows + 1, row, false)) {
        return bad;
    }
    if (row.size() > s.sums.size()) {
        s.sums.resize(row.size());
    }
    for (std::size_t c = 0; c < row.size(); ++c) {
        s.sums[c].add(row[c]);
    }
    ++s.rows;
    return std::nullopt;
}

std::optional<xlsx_write_problem>
xlsx_sheet_writer::build(const std::optional<std::vector<cell>>& totals) {
    state& s = *state_;
    if (s.failure) {
        return s.failure;
    }
    if (s.book == nullptr) {
        return problem_at(xlsx_write_error::failed, s.rows + 1, 0, "the workbook is built");
    }
    if (totals && s.rows > 0) {
        if (auto bad = s.put_row(s.rows + 1, *totals, true)) {
            return bad;
        }
    }
    return s.build();
}

std::optional<xlsx_write_problem> xlsx_sheet_writer::write_to(std::ostream& out) {
    state& s = *state_;
    if (s.failure) {
        return s.failure;
    }
    if (!s.built) {
        return problem_at(xlsx_write_error::failed, s.rows + 1, 0, "the workbook is not built");
    }
    return s.copy_to(out);
}

std::optional<xlsx_write_problem>
xlsx_sheet_writer::finish(const std::optional<std::vector<cell>>& totals, std::ostream& out) {
    if (auto bad = build(totals)) {
        return bad;
    }
    return write_to(out);
}

std::string column_letters(std::size_t column) {
    std::string letters;
    for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

calc::result<std::string, xlsx_write_problem> write_xlsx(const table& sheet,
                                                         const xlsx_write_options& options) {
    auto started = xlsx_sheet_writer::start(sheet.header, options);
    if (!started) {
        return started.error();
    }
    xlsx_sheet_writer writer = std::move(started).value();
    for (const auto& row : sheet.rows) {
        if (auto bad = writer.add_row(row)) {
            return std::move(*bad);
        }
    }
    std::ostringstream out;
    if (auto bad = writer.finish(sheet.totals, out)) {
        return std::move(*bad);
    }
    return std::move(out).str();
}

std::string describe(const xlsx_write_problem& problem, language lang) {
    const bool zh = lang == language::chinese;
    std::string where;
    if (problem.what == xlsx_write_error::not_utf8 ||
        problem.what == xlsx_write_error::text_too_long ||
        problem.what == xlsx_write_error::past_the_sheet) {
        where = zh ? "第" + std::to_string(problem.row + 1) + "行" +
                         column_letters(problem.column) + "列："
                   : "row " + std::to_string(problem.row + 1) + ", column " +
                         column_letters(problem.column) + ": ";
    }
    switch (problem.what) {
    case xlsx_write_error::not_utf8:
        return where + (zh ? "文字不是UTF-8编码，无法写入Excel工作簿"
                           : "the text is not UTF-8, which an Excel workbook needs");
    case xlsx_write_error::text_too_long:
        return where + (zh ? "文字超过32767个字符，Excel单元格容纳不下"
                           : "the text is longer than the 32,767 characters an Excel cell holds");
    case xlsx_write_error::past_the_sheet:
        return where + (zh ? "超出Excel工作表的范围（1,048,576行、16,384列）"
                           : "past the 1,048,576 rows and 16,384 columns of an Excel sheet");
    case xlsx_write_error::no_temporary:
        return zh ? "无法建立临时文件夹来生成工作簿"
                  : "cannot make a temporary folder to build the workbook in";
    case xlsx_write_error::cannot_write:
        return zh ? "无法写出工作簿" : "cannot write the workbook out";
    case xlsx_write_error::failed:
        break;
    }
    return (zh ? "无法生成工作簿：" : "cannot build the workbook: ") + problem.detail;
}

} // namespace orvandel::sheet
