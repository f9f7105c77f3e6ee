#include "sheet/xlsx_reader.h"

#include "sheet/xlsx/archive.h"
#include "sheet/xlsx/package.h"
#include "sheet/xlsx/problem.h"
#include "sheet/xlsx/shared_strings.h"
#include "sheet/xlsx/styles.h"
#include "sheet/xlsx/worksheet.h"

#include <algorithm>
#include <utility>

namespace orvandel::sheet {
namespace {

bool is_blank(const std::vector<cell>& row) {
    return std::all_of(row.begin(), row.end(),
                       [](const cell& c) { return c.kind == cell_kind::empty; });
}

// The totals row `last` is, or nothing: one with at least one formula
// "SUM(X2:Xn)" over the rows between the header and itself in its own
// column, and no figure that is not such a total. Its labels stay text.
std::optional<std::vector<cell>> totals_of(const xlsx::sheet_row& last, std::size_t header) {
    const auto is_total = [&](std::size_t column) {
        return std::any_of(last.sums.begin(), last.sums.end(), [&](const xlsx::sum_cell& s) {
            return s.column == column && s.range.column == column && s.range.first == header + 1 &&
                   s.range.last + 1 == last.index;
        });
    };
    std::vector<cell> totals = last.cells;
    bool any = false;
    for (std::size_t c = 0; c < totals.size(); ++c) {
        if (totals[c].kind == cell_kind::empty || totals[c].kind == cell_kind::text) {
            continue;
        }
        if (!is_total(c)) {
            return std::nullopt; // a figure that is not a total: an ordinary row
        }
        totals[c] = cell::of_sum();
        any = true;
    }
    return any ? std::optional(std::move(totals)) : std::nullopt;
}

} // namespace

// The rows of the sheet in the order next() gives them. One row is held
// back until the next one shows it is not the last: the last may be the
// totals. Blank rows are counted, not held: those between rows become empty
// rows, those after the last row nothing.
struct xlsx_rows::state {
    xlsx_read_options options;
    std::unique_ptr<xlsx::archive> zip;
    xlsx::styles formats;
    xlsx::shared_strings strings;
    std::unique_ptr<xlsx::worksheet_reader> sheet;

    std::optional<xlsx_read_problem> problem;
    std::optional<std::vector<cell>> totals;

    bool header_given = false;
    std::size_t header_index = 0;
    std::size_t last_index = 0;             // of the last row with a cell so far
    std::optional<xlsx::sheet_row> held;    // that row, when it may be the last
    std::size_t blanks_before_held = 0;     // blank rows between it and the row before
    std::size_t blanks_to_give = 0;         // empty rows next() gives first
    std::optional<std::vector<cell>> ready; // then this row
    bool ended = false;
    xlsx::sheet_row parsed;

    // Opens the worksheet asked for in the archive.
    std::optional<xlsx_read_problem> start();
    bool next(std::vector<cell>& row);
    void end_of_sheet();
};

std::optional<xlsx_read_problem> xlsx_rows::state::start() {
    auto book = xlsx::read_package(*zip);
    if (!book) {
        return book.error();
    }
    const auto part = xlsx::worksheet_part(*book, options.sheet);
    if (!part) {
        return part.error();
    }
    auto read_formats = xlsx::styles::read(*zip, book->styles.value_or(""));
    if (!read_formats) {
        return read_formats.error();
    }
    formats = std::move(read_formats).value();
    auto read_strings = xlsx::shared_strings::read(*zip, book->shared_strings.value_or(""));
    if (!read_strings) {
        return read_strings.error();
    }
    strings = std::move(read_strings).value();
    auto opened = zip->open_part(*part);
    if (!opened) {
        return opened.error();
    }
    sheet = std::make_unique<xlsx::worksheet_reader>(std::move(opened).value(), formats, strings,
                                                     book->date1904, options.limits);
    return std::nullopt;
}

bool xlsx_rows::state::next(std::vector<cell>& row) {
    row.clear();
    for (;;) {
        if (blanks_to_give > 0) {
            --blanks_to_give;
            return true;
        }
        if (ready) {
            std::swap(row, *ready);
            ready.reset();
            return true;
        }
        if (problem || ended) {
            return false;
        }
        if (!sheet->next(parsed)) {
            if (sheet->problem()) {
                problem = sheet->problem();
                return false;
            }
            end_of_sheet();
            continue;
        }
        if (is_blank(parsed.cells)) {
            continue;
        }
        if (!header_given) {
            header_given = true;
            header_index = last_index = parsed.index;
            std::swap(row, parsed.cells);
            return true;
        }
        if (held) {
            blanks_to_give = blanks_before_held;
            ready = std::move(held->cells);
        }
        blanks_before_held = parsed.index - last_index - 1;
        last_index = parsed.index;
        if (!held) {
            held.emplace();
        }
        std::swap(*held, parsed);
    }
}

void xlsx_rows::state::end_of_sheet() {
    ended = true;
    if (!header_given) {
        problem = xlsx::fail(xlsx_read_error::no_header);
        return;
    }
    if (!held) {
        return;
    }
    blanks_to_give = blanks_before_held;
    totals = totals_of(*held, header_index);
    if (!totals) {
        ready = std::move(held->cells);
    }
    held.reset();
}

xlsx_rows::xlsx_rows(std::unique_ptr<state> s) : state_(std::move(s)) {}
xlsx_rows::xlsx_rows(xlsx_rows&&) noexcept = default;
xlsx_rows& xlsx_rows::operator=(xlsx_rows&&) noexcept = default;
xlsx_rows::~xlsx_rows() = default;

template <typename OpenArchive>
calc::result<xlsx_rows, xlsx_read_problem> xlsx_rows::open_with(const xlsx_read_options& options,
                                                                const OpenArchive& open_archive) {
    auto s = std::make_unique<state>();
    s->options = options;
    auto zip = open_archive(s->options.limits);
    if (!zip) {
        return zip.error();
    }
    s->zip = std::move(zip).value();
    if (auto bad = s->start()) {
        return std::move(*bad);
    }
    return xlsx_rows(std::move(s));
}

calc::result<xlsx_rows, xlsx_read_problem> xlsx_rows::open(const std::filesystem::path& path,
                                                           const xlsx_read_options& options) {
    return open_with(
        options, [&](const xlsx_limits& limits) { return xlsx::archive::open_file(path, limits); });
}

calc::result<xlsx_rows, xlsx_read_problem> xlsx_rows::open_bytes(std::string_view file,
                                                                 const xlsx_read_options& options) {
    return open_with(options, [&](const xlsx_limits& limits) {
        return xlsx::archive::open_bytes(file, limits);
    });
}

bool xlsx_rows::next(std::vector<cell>& row) {
    return state_->next(row);
}

const std::optional<xlsx_read_problem>& xlsx_rows::problem() const {
    return state_->problem;
}

const std::optional<std::vector<cell>>& xlsx_rows::totals() const {
    return state_->totals;
}

std::uint64_t xlsx_rows::done() const {
    return state_->sheet->done();
}

std::uint64_t xlsx_rows::total() const {
    return state_->sheet->total();
}

namespace {

calc::result<table, xlsx_read_problem>
whole_table(calc::result<xlsx_rows, xlsx_read_problem> opened) {
    if (!opened) {
        return opened.error();
    }
    xlsx_rows rows = std::move(opened).value();
    table out;
    std::vector<cell> row;
    if (rows.next(row)) {
        for (const cell& c : row) {
            out.header.push_back(cell_text(c));
        }
        while (rows.next(row)) {
            out.rows.push_back(std::move(row));
        }
    }
    if (rows.problem()) {
        return *rows.problem();
    }
    out.totals = rows.totals();
    return out;
}

} // namespace

calc::result<table, xlsx_read_problem> read_xlsx(std::string_view file,
                                                 const xlsx_read_options& options) {
    return whole_table(xlsx_rows::open_bytes(file, options));
}

calc::result<table, xlsx_read_problem> read_xlsx_file(const std::filesystem::path& path,
                                                      const xlsx_read_options& options) {
    return whole_table(xlsx_rows::open(path, options));
}

calc::result<std::vector<std::string>, xlsx_read_problem>
xlsx_sheet_names(std::string_view file, const xlsx_limits& limits) {
    auto zip = xlsx::archive::open_bytes(file, limits);
    if (!zip) {
        return zip.error();
    }
    const auto book = xlsx::read_package(**zip);
    if (!book) {
        return book.error();
    }
    std::vector<std::string> names;
    for (const auto& entry : book->sheets) {
        names.push_back(entry.name);
    }
    return names;
}

std::string describe(const xlsx_read_problem& problem, language lang) {
    const bool zh = lang == language::chinese;
    const std::string& d = problem.detail;
    const auto with = [&](std::string text) {
        return d.empty() ? text : text + (zh ? "：" : ": ") + d;
    };
    // The limit passed; a problem made without one names the default.
    const auto limit_or = [&](std::uint64_t fallback) {
        return problem.limit != 0 ? problem.limit : fallback;
    };
    const xlsx_limits defaults;
    const auto size = [&](std::uint64_t fallback) {
        return xlsx::size_text(limit_or(fallback), lang);
    };
    switch (problem.what) {
    case xlsx_read_error::file_too_large:
        return zh ? "文件太大（工作簿最大" + size(defaults.file_bytes) + "）"
                  : "the file is too large (at most " + size(defaults.file_bytes) + ")";
    case xlsx_read_error::not_a_workbook:
        return with(zh ? "不是Excel工作簿(.xlsx)，或文件已损坏"
                       : "not an Excel workbook (.xlsx), or a damaged one");
    case xlsx_read_error::directory_too_large:
        return zh ? "工作簿的部件目录超过" + size(defaults.directory_bytes) + "的限制"
                  : "the workbook's list of parts is larger than the " +
                        size(defaults.directory_bytes) + " allowed";
    case xlsx_read_error::missing_part:
        return with(zh ? "工作簿不完整，缺少部件" : "the workbook is incomplete; missing part");
    case xlsx_read_error::damaged_part:
        return with(zh ? "工作簿已损坏" : "the workbook is damaged");
    case xlsx_read_error::part_too_large:
        if (d.empty()) {
            return zh ? "工作簿解压后超过限制：各部件合计超过" + size(defaults.total_bytes)
                      : "the workbook expands past the limit: its parts take more than " +
                            size(defaults.total_bytes) + " in all";
        }
        return zh ? "工作簿解压后超过限制：" + d + "超过" + size(defaults.part_bytes)
                  : "the workbook expands past the limit: " + d + " takes more than " +
                        size(defaults.part_bytes);
    case xlsx_read_error::expands_too_much: {
        const std::string times = xlsx::grouped(limit_or(defaults.expansion));
        return zh ? "工作簿解压后超过限制：" + d + "解压后超过压缩大小的" + times + "倍"
                  : "the workbook expands past the limit: " + d + " expands more than " + times +
                        " times";
    }
    case xlsx_read_error::bad_xml:
        return with(zh ? "工作簿内容格式错误" : "the workbook's XML is malformed");
    case xlsx_read_error::no_worksheet:
        return zh ? "工作簿中没有工作表" : "the workbook has no worksheet";
    case xlsx_read_error::no_such_sheet:
        return with(zh ? "没有该名称的工作表，现有工作表"
                       : "no worksheet has that name; the worksheets are");
    case xlsx_read_error::bad_cell:
        return with(zh ? "单元格无法读取" : "a cell cannot be read");
    case xlsx_read_error::row_too_wide: {
        const std::string columns = xlsx::grouped(limit_or(defaults.columns));
        return zh ? "单元格" + d + "超出每行" + columns + "列的限制"
                  : "cell " + d + " is past the " + columns + " columns a row may have";
    }
    case xlsx_read_error::too_much_text:
        if (d.empty()) {
            return zh ? "工作簿的共享字符串超过" + size(defaults.shared_text_bytes) + "的限制"
                      : "the workbook's shared strings take more than the " +
                            size(defaults.shared_text_bytes) + " allowed";
        }
        return zh ? "第" + d + "行的文字超过每行" + size(defaults.row_text_bytes) + "的限制"
                  : "row " + d + " holds more than the " + size(defaults.row_text_bytes) +
                        " of text a row may hold";
    case xlsx_read_error::cannot_open:
        return with(zh ? "无法打开文件" : "cannot open the file");
    case xlsx_read_error::no_header:
        return zh ? "工作表是空的，没有标题行" : "the worksheet is empty; a header row is required";
    }
    return {};
}

std::string limits_text(const xlsx_limits& limits, language lang) {
    using xlsx::grouped;
    const auto size = [&](std::uint64_t bytes) { return xlsx::size_text(bytes, lang); };
    if (lang == language::chinese) {
        return "工作簿逐行读取，只受以下限制：工作表最多1,048,576行、" + grouped(limits.columns) +
               "列；每个部件解压后最大" + size(limits.part_bytes) + "（各部件合计" +
               size(limits.total_bytes) + "），且不超过压缩大小的" + grouped(limits.expansion) +
               "倍；共享字符串最大" + size(limits.shared_text_bytes) + "；每行文字最大" +
               size(limits.row_text_bytes) + "；部件目录最大" + size(limits.directory_bytes) +
               "；每个部件的XML解析最多占用" + size(limits.xml_bytes) +
               "内存。从标准输入读取的工作簿整个放在内存中，最大" + size(limits.file_bytes) + "。";
    }
    return "Workbooks are read a row at a time, within these limits: a worksheet of up to "
           "1,048,576 rows and " +
           grouped(limits.columns) + " columns; each part of the workbook expanding to at most " +
           size(limits.part_bytes) + " (" + size(limits.total_bytes) +
           " for all parts together) and to at most " + grouped(limits.expansion) +
           " times its compressed size; shared strings of up to " + size(limits.shared_text_bytes) +
           "; up to " + size(limits.row_text_bytes) +
           " of text in one row; a list of parts of up to " + size(limits.directory_bytes) +
           "; and " + size(limits.xml_bytes) +
           " for the XML parser of each part. A workbook read from standard input is held in "
           "memory whole, up to " +
           size(limits.file_bytes) + ".";
}

} // namespace orvandel::sheet
