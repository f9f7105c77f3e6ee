#include "sheet/xlsx_writer.h"

#include "sheet/text_utf8.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>
#include <vector>

namespace orvandel::sheet {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t max_text_units = 32767;
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

// What a column's sum cell shows: the format of the figures it adds up.
enum class sum_shape { none, integers, cents, general };

// A double holds any decimal of at most 15 significant digits so that its
// shortest text gives the decimal back; Excel shows no more digits than that.
// A figure with more is written as its text, never as a number that is not it.
bool fits_a_number(std::string_view decimal) {
    std::string digits;
    for (const char ch : decimal) {
        if (ch >= '0' && ch <= '9') {
            digits += ch;
        }
    }
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return true;
    }
    const std::size_t last = digits.find_last_not_of('0');
    return last - first + 1 <= 15;
}

// Magnitudes as digit strings of the same length, most significant first.
std::string add_digits(const std::string& a, const std::string& b) {
    std::string out(a.size() + 1, '0');
    int carry = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        const int d = (a[i] - '0') + (b[i] - '0') + carry;
        out[i + 1] = static_cast<char>('0' + d % 10);
        carry = d / 10;
    }
    out[0] = static_cast<char>('0' + carry);
    return out;
}

std::string subtract_digits(const std::string& larger, const std::string& smaller) {
    std::string out(larger.size(), '0');
    int borrow = 0;
    for (std::size_t i = larger.size(); i-- > 0;) {
        int d = (larger[i] - '0') - (smaller[i] - '0') - borrow;
        borrow = d < 0 ? 1 : 0;
        out[i] = static_cast<char>('0' + d + 10 * borrow);
    }
    return out;
}

// The exact sum of decimal texts of any length, so that the total a SUM
// formula stores is the sum of the figures shown, to the last digit.
class exact_sum {
public:
    void add(std::string_view decimal) {
        const bool negative = decimal.starts_with('-');
        if (negative) {
            decimal.remove_prefix(1);
        }
        const std::size_t point = decimal.find('.');
        std::string digits(decimal.substr(0, point));
        const std::size_t scale = point == std::string_view::npos ? 0 : decimal.size() - point - 1;
        if (point != std::string_view::npos) {
            digits += decimal.substr(point + 1);
        }
        rescale(scale);
        digits.append(scale_ - scale, '0');
        std::string ours = digits_;
        const std::size_t width = std::max(ours.size(), digits.size());
        ours.insert(0, width - ours.size(), '0');
        digits.insert(0, width - digits.size(), '0');
        if (negative == negative_) {
            digits_ = add_digits(ours, digits);
        } else if (ours >= digits) {
            digits_ = subtract_digits(ours, digits);
        } else {
            digits_ = subtract_digits(digits, ours);
            negative_ = negative;
        }
        trim();
    }

    [[nodiscard]] std::string text() const {
        // Built anew rather than inserted into: MinGW's GCC 12 reports a false
        // -Wrestrict for insert(…) here.
        const std::size_t width = std::max(digits_.size(), scale_ + 1);
        const std::string whole = std::string(width - digits_.size(), '0').append(digits_);
        const bool zero = digits_.find_first_not_of('0') == std::string::npos;
        std::string text = negative_ && !zero ? "-" : "";
        text.append(whole, 0, width - scale_);
        if (scale_ > 0) {
            text.append(".").append(whole, width - scale_, scale_);
        }
        return text;
    }

private:
    void rescale(std::size_t scale) {
        if (scale > scale_) {
            digits_.append(scale - scale_, '0');
            scale_ = scale;
        }
    }
    void trim() {
        const std::size_t first = digits_.find_first_not_of('0');
        digits_.erase(0, first == std::string::npos ? digits_.size() - 1 : first);
    }

    bool negative_ = false;
    std::string digits_ = "0";
    std::size_t scale_ = 0;
};

// What a column's sum cell holds: a live formula with the exact total, or,
// when a figure of the column or the total itself is too wide for a number,
// the exact total as text.
struct column_sum {
    exact_sum total;
    bool too_wide = false;
    sum_shape shape = sum_shape::none;

    void add(const cell& c) {
        if (c.kind == cell_kind::integer) {
            total.add(std::to_string(c.integer));
            shape = std::max(shape, sum_shape::integers);
        } else if (c.kind == cell_kind::number) {
            total.add(c.text);
            too_wide = too_wide || !fits_a_number(c.text);
            shape =
                std::max(shape, decimals_of(c.text) <= 2 ? sum_shape::cents : sum_shape::general);
        }
    }
    [[nodiscard]] bool as_formula() const { return !too_wide && fits_a_number(total.text()); }
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

std::string failure(lxw_error error) {
    return lxw_strerror(error);
}

class workbook_writer {
public:
    workbook_writer(const table& sheet, const std::string& path, const std::string& folder,
                    const xlsx_write_options& options)
        : sheet_(sheet), folder_(folder) {
        lxw_workbook_options settings{};
        settings.constant_memory = LXW_TRUE;
        settings.tmpdir = folder_.data();
        book_ = workbook_new_opt(path.c_str(), &settings);
        if (book_ != nullptr) {
            page_ = workbook_add_worksheet(book_, options.sheet_name.c_str());
        }
    }
    ~workbook_writer() {
        if (book_ != nullptr) {
            workbook_close(book_); // after a failure: only to free it
        }
    }
    workbook_writer(const workbook_writer&) = delete;
    workbook_writer& operator=(const workbook_writer&) = delete;

    std::optional<xlsx_write_problem> write() {
        if (book_ == nullptr || page_ == nullptr) {
            return xlsx_write_problem{xlsx_write_error::failed, 0, 0, "cannot start a workbook"};
        }
        make_formats();
        if (auto problem = check_texts()) {
            return problem;
        }
        sums_.resize(width());
        for (const auto& row : sheet_.rows) {
            for (std::size_t c = 0; c < row.size() && c < sums_.size(); ++c) {
                sums_[c].add(row[c]);
            }
        }
        set_widths();
        worksheet_freeze_panes(page_, 1, 0);
        for (std::size_t c = 0; c < sheet_.header.size(); ++c) {
            if (auto problem = put_text(0, c, sheet_.header[c], bold_)) {
                return problem;
            }
        }
        for (std::size_t r = 0; r < sheet_.rows.size(); ++r) {
            const auto& row = sheet_.rows[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (auto problem = put_cell(r + 1, c, row[c], false)) {
                    return problem;
                }
            }
        }
        if (sheet_.totals && !sheet_.rows.empty()) {
            const auto& row = *sheet_.totals;
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (auto problem = put_cell(sheet_.rows.size() + 1, c, row[c], true)) {
                    return problem;
                }
            }
        }
        lxw_workbook* const book = std::exchange(book_, nullptr);
        if (const lxw_error error = workbook_close(book); error != LXW_NO_ERROR) {
            return xlsx_write_problem{xlsx_write_error::failed, 0, 0, failure(error)};
        }
        return std::nullopt;
    }

private:
    [[nodiscard]] std::size_t width() const {
        std::size_t columns = sheet_.header.size();
        for (const auto& row : sheet_.rows) {
            columns = std::max(columns, row.size());
        }
        if (sheet_.totals) {
            columns = std::max(columns, sheet_.totals->size());
        }
        return columns;
    }

    lxw_format* format(bool bold, const char* number_format) {
        lxw_format* f = workbook_add_format(book_);
        if (bold) {
            format_set_bold(f);
        }
        if (number_format != nullptr) {
            format_set_num_format(f, number_format);
        }
        return f;
    }

    void make_formats() {
        bold_ = format(true, nullptr);
        for (const bool bold : {false, true}) {
            cents_[bold] = format(bold, "0.00");
            integer_[bold] = format(bold, "0");
            date_[bold] = format(bold, "yyyy-mm-dd");
            general_[bold] = bold ? bold_ : nullptr;
        }
    }

    std::optional<xlsx_write_problem> check_text(std::size_t row, std::size_t column,
                                                 std::string_view text) const {
        const auto units = utf16_length(text);
        if (!units) {
            return xlsx_write_problem{xlsx_write_error::not_utf8, row, column, {}};
        }
        if (*units > max_text_units) {
            return xlsx_write_problem{xlsx_write_error::text_too_long, row, column, {}};
        }
        return std::nullopt;
    }

    // Checked before anything is written, so that a bad text is reported as
    // such and not as whatever the library makes of it.
    std::optional<xlsx_write_problem> check_texts() const {
        for (std::size_t c = 0; c < sheet_.header.size(); ++c) {
            if (auto problem = check_text(0, c, sheet_.header[c])) {
                return problem;
            }
        }
        const auto check_row = [&](std::size_t r, const std::vector<cell>& row) {
            std::optional<xlsx_write_problem> problem;
            for (std::size_t c = 0; c < row.size() && !problem; ++c) {
                if (row[c].kind == cell_kind::text) {
                    problem = check_text(r, c, row[c].text);
                }
            }
            return problem;
        };
        for (std::size_t r = 0; r < sheet_.rows.size(); ++r) {
            if (auto problem = check_row(r + 1, sheet_.rows[r])) {
                return problem;
            }
        }
        if (sheet_.totals) {
            return check_row(sheet_.rows.size() + 1, *sheet_.totals);
        }
        return std::nullopt;
    }

    static std::size_t cell_width(const cell& c) {
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

    void set_widths() {
        std::vector<std::size_t> widths(sums_.size());
        for (std::size_t c = 0; c < sheet_.header.size(); ++c) {
            widths[c] = display_width(sheet_.header[c]);
        }
        for (const auto& row : sheet_.rows) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                widths[c] = std::max(widths[c], cell_width(row[c]));
            }
        }
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const double wanted = static_cast<double>(widths[c]) + 2.0;
            const auto at = static_cast<lxw_col_t>(c);
            worksheet_set_column(page_, at, at, std::clamp(wanted, min_width, max_width), nullptr);
        }
    }

    std::optional<xlsx_write_problem> checked(lxw_error error, std::size_t row,
                                              std::size_t column) const {
        if (error == LXW_NO_ERROR) {
            return std::nullopt;
        }
        return xlsx_write_problem{xlsx_write_error::failed, row, column, failure(error)};
    }

    std::optional<xlsx_write_problem> put_text(std::size_t row, std::size_t column,
                                               std::string_view text, lxw_format* f) {
        if (text.empty()) {
            return std::nullopt;
        }
        const std::string escaped = escaped_text(text);
        return checked(worksheet_write_string(page_, static_cast<lxw_row_t>(row),
                                              static_cast<lxw_col_t>(column), escaped.c_str(), f),
                       row, column);
    }

    std::optional<xlsx_write_problem> put_cell(std::size_t row, std::size_t column, const cell& c,
                                               bool bold) {
        const auto r = static_cast<lxw_row_t>(row);
        const auto at = static_cast<lxw_col_t>(column);
        switch (c.kind) {
        case cell_kind::empty:
            return std::nullopt;
        case cell_kind::text:
            return put_text(row, column, c.text, bold ? bold_ : nullptr);
        case cell_kind::number: {
            if (!fits_a_number(c.text)) {
                return put_text(row, column, c.text, bold ? bold_ : nullptr);
            }
            lxw_format* f = decimals_of(c.text) <= 2 ? cents_[bold] : general_[bold];
            return checked(worksheet_write_number(page_, r, at, to_double(c.text), f), row, column);
        }
        case cell_kind::integer:
            return checked(worksheet_write_number(page_, r, at, static_cast<double>(c.integer),
                                                  integer_[bold]),
                           row, column);
        case cell_kind::date:
            return put_date(row, column, c.day, bold);
        case cell_kind::sum:
            return put_sum(row, column, bold);
        }
        return std::nullopt;
    }

    std::optional<xlsx_write_problem> put_date(std::size_t row, std::size_t column,
                                               const calc::date& day, bool bold) {
        const int year = static_cast<int>(day.year());
        if (year < 1900 || !calc::is_calendar_day(day)) {
            return put_text(row, column, cell_text(cell::of_date(day)), bold ? bold_ : nullptr);
        }
        lxw_datetime when{};
        when.year = year;
        when.month = static_cast<int>(static_cast<unsigned>(day.month()));
        when.day = static_cast<int>(static_cast<unsigned>(day.day()));
        return checked(worksheet_write_datetime(page_, static_cast<lxw_row_t>(row),
                                                static_cast<lxw_col_t>(column), &when, date_[bold]),
                       row, column);
    }

    std::optional<xlsx_write_problem> put_sum(std::size_t row, std::size_t column, bool bold) {
        const std::string letters = column_letters(column);
        const std::string formula =
            "=SUM(" + letters + "2:" + letters + std::to_string(sheet_.rows.size() + 1) + ")";
        const column_sum& sum = sums_[column];
        if (!sum.as_formula()) {
            return put_text(row, column, sum.total.text(), bold ? bold_ : nullptr);
        }
        lxw_format* f = sum.shape == sum_shape::integers  ? integer_[bold]
                        : sum.shape == sum_shape::general ? general_[bold]
                                                          : cents_[bold];
        return checked(worksheet_write_formula_num(page_, static_cast<lxw_row_t>(row),
                                                   static_cast<lxw_col_t>(column), formula.c_str(),
                                                   f, to_double(sum.total.text())),
                       row, column);
    }

    const table& sheet_;
    std::string folder_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* page_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* cents_[2]{};
    lxw_format* integer_[2]{};
    lxw_format* date_[2]{};
    lxw_format* general_[2]{};
    std::vector<column_sum> sums_;
};

} // namespace

std::string column_letters(std::size_t column) {
    std::string letters;
    for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters;
}

calc::result<std::string, xlsx_write_problem> write_xlsx(const table& sheet,
                                                         const xlsx_write_options& options) {
    const private_folder folder;
    if (folder.path().empty()) {
        return xlsx_write_problem{xlsx_write_error::no_temporary, 0, 0, {}};
    }
    const fs::path file = folder.path() / "book.xlsx";
    {
        workbook_writer writer(sheet, utf8_path(file), utf8_path(folder.path()), options);
        if (auto problem = writer.write()) {
            return std::move(*problem);
        }
    }
    std::ifstream in(file, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        return xlsx_write_problem{xlsx_write_error::failed, 0, 0, "cannot read the built file"};
    }
    return bytes;
}

std::string describe(const xlsx_write_problem& problem, language lang) {
    const bool zh = lang == language::chinese;
    std::string where;
    if (problem.what == xlsx_write_error::not_utf8 ||
        problem.what == xlsx_write_error::text_too_long) {
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
    case xlsx_write_error::no_temporary:
        return zh ? "无法建立临时文件夹来生成工作簿"
                  : "cannot make a temporary folder to build the workbook in";
    case xlsx_write_error::failed:
        break;
    }
    return (zh ? "无法生成工作簿：" : "cannot build the workbook: ") + problem.detail;
}

} // namespace orvandel::sheet
