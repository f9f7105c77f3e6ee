#include "sheet/xlsx/worksheet.h"

#include "sheet/xlsx_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace orvandel::sheet::xlsx {
namespace {

constexpr std::size_t max_rows = 1'048'576; // Excel's own limits
constexpr std::size_t max_columns = 16'384;
constexpr std::size_t max_formula = 256; // formula text kept to recognise a totals row

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A cell's t attribute: how its value is stored.
enum class value_type : unsigned char {
    number,        // n, or none: a number, or a date by its format
    shared,        // s: an index into the shared strings
    inline_string, // inlineStr: the text in <is>
    text,          // str (a formula's text) and e (an error value, "#N/A")
    boolean,       // b
    iso_date,      // d: a date as ISO 8601 text
};

value_type type_of(std::string_view t) {
    if (t == "s") {
        return value_type::shared;
    }
    if (t == "inlineStr") {
        return value_type::inline_string;
    }
    if (t == "str" || t == "e") {
        return value_type::text;
    }
    if (t == "b") {
        return value_type::boolean;
    }
    return t == "d" ? value_type::iso_date : value_type::number;
}

std::string where(std::size_t row, std::size_t column) {
    return column_letters(column) + std::to_string(row + 1);
}

// The shortest decimal text that reads back as `value`, in plain notation.
std::string shortest_decimal(double value) {
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed);
    std::string text(buffer.data(), error == std::errc() ? end : buffer.data());
    return text == "-0" ? "0" : text;
}

// `text` with zeros added to at least `decimals` decimals.
std::string padded(std::string text, int decimals) {
    if (decimals <= 0) {
        return text;
    }
    std::size_t point = text.find('.');
    if (point == std::string::npos) {
        point = text.size();
        text += '.';
    }
    const std::size_t have = text.size() - point - 1;
    if (have < static_cast<std::size_t>(decimals)) {
        text.append(static_cast<std::size_t>(decimals) - have, '0');
    }
    return text;
}

// "B3" as a 0-based row and column, within Excel's sheet.
struct cell_position {
    std::size_t row = 0, column = 0;
};

std::optional<cell_position> cell_reference(std::string_view reference) {
    std::size_t column = 0;
    std::size_t i = 0;
    for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z' && i < 3; ++i) {
        column = column * 26 + static_cast<std::size_t>(reference[i] - 'A' + 1);
    }
    const auto row = whole_number(reference.substr(i));
    if (i == 0 || column > max_columns || !row || *row == 0 || *row > max_rows) {
        return std::nullopt;
    }
    return cell_position{*row - 1, column - 1};
}

// The range of a formula "SUM(X2:Xn)" (with or without "="), as the totals
// row has it; nothing for any other formula.
std::optional<sum_range> sum_formula(std::string_view formula) {
    if (formula.starts_with('=')) {
        formula.remove_prefix(1);
    }
    if (!formula.starts_with("SUM(") || !formula.ends_with(")")) {
        return std::nullopt;
    }
    formula = formula.substr(4, formula.size() - 5);
    const std::size_t colon = formula.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto from = cell_reference(formula.substr(0, colon));
    const auto to = cell_reference(formula.substr(colon + 1));
    if (!from || !to || from->column != to->column) {
        return std::nullopt;
    }
    return sum_range{from->column, from->row, to->row};
}

} // namespace

// Builds each row from its cell elements and pauses the parse at its end.
class worksheet_reader::handler final : public xml_handler {
public:
    handler(const styles& formats, const shared_strings& strings, bool date1904,
            const xlsx_limits& limits)
        : formats_(formats), strings_(strings), date1904_(date1904), limits_(limits) {}

    void start(std::string_view name, const char** attributes) override {
        if (name == "sheetData") {
            in_data_ = true;
        } else if (!in_data_) {
            return;
        } else if (name == "row") {
            start_row(attributes);
        } else if (name == "c") {
            start_cell(attributes);
        } else if (!in_cell_) {
            return;
        } else if (name == "v") {
            in_value_ = true;
        } else if (name == "f") {
            in_formula_ = true;
        } else if (name == "rPh") {
            ++in_phonetic_;
        } else if (name == "t" && in_phonetic_ == 0) {
            in_inline_ = true;
        }
    }

    void end(std::string_view name) override {
        if (name == "sheetData") {
            in_data_ = false;
        } else if (name == "row" && in_row_) {
            in_row_ = false;
            ready_ = true;
            pause = true;
        } else if (name == "c" && in_cell_) {
            finish_cell();
        } else if (name == "v") {
            in_value_ = false;
        } else if (name == "f") {
            in_formula_ = false;
        } else if (name == "rPh" && in_phonetic_ > 0) {
            --in_phonetic_;
        } else if (name == "t") {
            in_inline_ = false;
        }
    }

    void text(std::string_view text) override {
        if (in_value_) {
            value_.add(text, limits_.row_text_bytes);
        } else if (in_inline_) {
            inline_.add(text, limits_.row_text_bytes);
        } else if (in_formula_) {
            formula_.add(text, max_formula);
        }
    }

    // Hands over the row just finished, if there is one.
    bool take(sheet_row& out) {
        if (!ready_) {
            return false;
        }
        ready_ = false;
        std::swap(out, row_);
        return true;
    }

private:
    void start_row(const char** attributes) {
        std::size_t index = next_row_;
        if (const auto number = attribute(attributes, "r")) {
            const auto parsed = whole_number(*number);
            if (!parsed || *parsed == 0 || *parsed > max_rows) {
                failure = fail(xlsx_read_error::bad_cell, "row number " + std::string(*number));
                return;
            }
            index = *parsed - 1;
        }
        if (index < next_row_ || index >= max_rows) {
            failure =
                fail(xlsx_read_error::bad_cell, "row " + std::to_string(index + 1) + " after row " +
                                                    std::to_string(next_row_));
            return;
        }
        in_row_ = true;
        row_.index = index;
        row_.cells.clear();
        row_.sums.clear();
        row_text_ = 0;
        next_row_ = index + 1;
        next_column_ = 0;
    }

    void start_cell(const char** attributes) {
        in_cell_ = true;
        value_.clear();
        inline_.clear();
        formula_.clear();
        in_phonetic_ = 0;
        column_ = next_column_;
        if (!in_row_) {
            failure = fail(xlsx_read_error::bad_cell, "a cell outside any row");
            return;
        }
        // Read in one pass: a sheet has millions of cells.
        std::optional<std::string_view> ref, type, style;
        for (const char** at = attributes; *at != nullptr; at += 2) {
            const std::string_view name(at[0]);
            if (name == "r") {
                ref = at[1];
            } else if (name == "t") {
                type = at[1];
            } else if (name == "s") {
                style = at[1];
            }
        }
        if (ref) {
            const auto at = cell_reference(*ref);
            if (!at) {
                failure = fail(xlsx_read_error::bad_cell, "cell reference " + std::string(*ref));
                return;
            }
            if (at->row != row_.index) {
                failure = fail(xlsx_read_error::bad_cell, "cell " + std::string(*ref) + " in row " +
                                                              std::to_string(row_.index + 1));
                return;
            }
            column_ = at->column;
        }
        if (column_ >= max_columns) {
            failure = fail(xlsx_read_error::bad_cell, "a cell beyond the sheet's last column");
            return;
        }
        if (column_ >= limits_.columns) {
            failure =
                fail(xlsx_read_error::row_too_wide, where(row_.index, column_), limits_.columns);
            return;
        }
        next_column_ = column_ + 1;
        type_ = type_of(type.value_or("n"));
        style_ = whole_number(style.value_or("0")).value_or(0);
    }

    void finish_cell() {
        in_cell_ = false;
        in_value_ = in_inline_ = in_formula_ = false;
        if (value_.over || inline_.over) {
            too_much_text();
            return;
        }
        std::optional<cell> made = make_cell(value_.value);
        if (failure) {
            return;
        }
        if (const auto range = formula_.over ? std::nullopt : sum_formula(formula_.value)) {
            row_.sums.push_back({column_, *range});
        }
        if (!made && type_ != value_type::shared) {
            return; // no value: no cell
        }
        row_text_ += made ? made->text.size() : 0;
        if (row_text_ > limits_.row_text_bytes) {
            too_much_text();
            return;
        }
        if (column_ >= row_.cells.size()) {
            row_.cells.resize(column_ + 1);
        }
        if (made) {
            row_.cells[column_] = std::move(*made);
        }
    }

    void too_much_text() {
        failure = fail(xlsx_read_error::too_much_text, std::to_string(row_.index + 1),
                       limits_.row_text_bytes);
    }

    // The cell a value makes; nothing for an empty one (and for a shared
    // string that is empty, whose place in the row is still kept).
    std::optional<cell> make_cell(std::string_view value) {
        switch (type_) {
        case value_type::shared:
            return shared_string(trimmed(value));
        case value_type::inline_string:
            return inline_.value.empty() ? std::nullopt
                                         : std::optional(cell::of_text(unescape(inline_.value)));
        case value_type::text:
            return value.empty() ? std::nullopt : std::optional(cell::of_text(unescape(value)));
        case value_type::boolean:
            return cell::of_text(trimmed(value) == "1" ? "TRUE" : "FALSE");
        case value_type::iso_date: {
            const auto day = calc::parse_date_text(trimmed(value).substr(0, 10));
            return day ? cell::of_date(*day) : cell::of_text(std::string(value));
        }
        case value_type::number:
            break;
        }
        return number(trimmed(value));
    }

    std::optional<cell> shared_string(std::string_view value) {
        const auto index = whole_number(value);
        if (!index) {
            failure =
                fail(xlsx_read_error::bad_cell, where(row_.index, column_) + ": shared string " +
                                                    std::string(value.substr(0, 20)));
            return std::nullopt;
        }
        if (!strings_.present()) {
            failure = fail(xlsx_read_error::missing_part, "the shared strings");
            return std::nullopt;
        }
        if (*index >= strings_.size()) {
            failure = fail(xlsx_read_error::bad_cell,
                           "shared string " + std::to_string(*index) + " does not exist");
            return std::nullopt;
        }
        const std::string_view text = strings_.at(*index);
        return text.empty() ? std::nullopt : std::optional(cell::of_text(std::string(text)));
    }

    std::optional<cell> number(std::string_view value) {
        if (value.empty()) {
            return std::nullopt;
        }
        double number = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        if (error != std::errc() || end != value.data() + value.size() || !std::isfinite(number)) {
            failure = fail(xlsx_read_error::bad_cell,
                           where(row_.index, column_) +
                               ": not a number: " + std::string(value.substr(0, 20)));
            return std::nullopt;
        }
        const number_format& format = formats_.format(style_);
        std::string text = shortest_decimal(number);
        if (format.date) {
            return serial_date(number, date1904_, text);
        }
        const int decimals = format.decimals_for(number);
        cell made = cell::of_number(padded(std::move(text), decimals));
        made.format_decimals = static_cast<std::int8_t>(decimals);
        return made;
    }

    const styles& formats_;
    const shared_strings& strings_;
    bool date1904_;
    const xlsx_limits& limits_;
    bool in_data_ = false, in_row_ = false, in_cell_ = false, in_value_ = false, in_inline_ = false,
         in_formula_ = false, ready_ = false;
    int in_phonetic_ = 0;
    std::size_t next_row_ = 0, column_ = 0, next_column_ = 0, style_ = 0, row_text_ = 0;
    value_type type_ = value_type::number;
    bounded_text value_, inline_, formula_;
    sheet_row row_;
};

worksheet_reader::worksheet_reader(part_reader part, const styles& formats,
                                   const shared_strings& strings, bool date1904,
                                   const xlsx_limits& limits)
    : part_(std::move(part)),
      handler_(std::make_unique<handler>(formats, strings, date1904, limits)),
      parser_(*handler_, part_.name(), limits.xml_bytes) {}

worksheet_reader::~worksheet_reader() = default;

bool worksheet_reader::next(sheet_row& row) {
    for (;;) {
        if (handler_->take(row)) {
            return true;
        }
        if (problem_ || finished_) {
            return false;
        }
        xml_parser::status status = xml_parser::status::more;
        if (paused_) {
            status = parser_.resume();
        } else if (read_all_) {
            finished_ = true;
            continue;
        } else {
            char* buffer = parser_.buffer(chunk_size);
            if (buffer == nullptr) {
                problem_ = parser_.problem();
                return false;
            }
            const auto got = part_.read(buffer, chunk_size);
            if (!got) {
                problem_ = got.error();
                return false;
            }
            read_all_ = *got == 0;
            status = parser_.parse(*got, read_all_);
        }
        paused_ = status == xml_parser::status::paused;
        if (status == xml_parser::status::failed) {
            problem_ = parser_.problem();
            return false;
        }
    }
}

} // namespace orvandel::sheet::xlsx
