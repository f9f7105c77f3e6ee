// The workbook reader and writer as a program, for the tests against openpyxl.
//
//   xlsx_tool write OUT < cells.tsv   writes the rows of typed cells on standard input
//   xlsx_tool read IN > cells.tsv     prints the rows it reads, the same way
//
// A line is a row of tab-separated cells: "t:" text, "n:" a decimal, "i:" a
// whole number, "d:" a date (yyyy-mm-dd), "s" a sum, nothing an empty cell;
// a number read with a format of fixed decimals ends "@2". The first line is
// the header (plain texts); a last line "totals<TAB>..." is the totals row.
// Text holds no tab or line end here.
#include "sheet/xlsx_reader.h"
#include "sheet/xlsx_writer.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orvandel::sheet;

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == '\t') {
        fields.emplace_back();
    }
    return fields;
}

cell parse_cell(const std::string& field) {
    const std::string value = field.size() > 2 ? field.substr(2) : "";
    switch (field.empty() ? ' ' : field[0]) {
    case 't':
        return cell::of_text(value);
    case 'n':
        return cell::of_number(value);
    case 'i':
        return cell::of_integer(std::stoll(value));
    case 'd':
        return cell::of_date(*orvandel::calc::parse_date_text(value));
    case 's':
        return cell::of_sum();
    default:
        return {};
    }
}

// "t:" + text, built by appending: MinGW's GCC 12 reports a false -Wrestrict
// for "literal" + string.
std::string tagged(std::string_view tag, std::string_view text) {
    return std::string(tag).append(text);
}

std::string cell_field(const cell& c) {
    switch (c.kind) {
    case cell_kind::text:
        return tagged("t:", c.text);
    case cell_kind::number:
        return tagged("n:", c.text)
            .append(c.format_decimals >= 0 ? tagged("@", std::to_string(c.format_decimals)) : "");
    case cell_kind::integer:
        return tagged("i:", cell_text(c));
    case cell_kind::date:
        return tagged("d:", cell_text(c));
    case cell_kind::sum:
        return "s";
    case cell_kind::empty:
        break;
    }
    return {};
}

void print_row(const std::vector<cell>& row) {
    for (std::size_t i = 0; i < row.size(); ++i) {
        std::cout << (i ? "\t" : "") << cell_field(row[i]);
    }
    std::cout << "\n";
}

int write(const char* path) {
    std::string line;
    std::getline(std::cin, line);
    auto started = xlsx_sheet_writer::start(split(line));
    if (!started) {
        std::cerr << describe(started.error(), language::english) << "\n";
        return 1;
    }
    xlsx_sheet_writer writer = std::move(started).value();
    std::optional<std::vector<cell>> totals;
    while (std::getline(std::cin, line)) {
        std::vector<cell> row;
        const bool is_totals = line.starts_with("totals\t");
        for (const auto& field : split(is_totals ? line.substr(7) : line)) {
            row.push_back(parse_cell(field));
        }
        if (is_totals) {
            totals = std::move(row);
        } else if (auto bad = writer.add_row(row)) {
            std::cerr << describe(*bad, language::english) << "\n";
            return 1;
        }
    }
    std::ofstream out(path, std::ios::binary);
    if (auto bad = writer.finish(totals, out)) {
        std::cerr << describe(*bad, language::english) << "\n";
        return 1;
    }
    return 0;
}

int read(const char* path) {
    auto opened = xlsx_rows::open(path);
    if (!opened) {
        std::cerr << describe(opened.error(), language::english) << "\n";
        return 1;
    }
    xlsx_rows rows = std::move(opened).value();
    std::vector<cell> row;
    while (rows.next(row)) {
        print_row(row);
    }
    if (rows.problem()) {
        std::cerr << describe(*rows.problem(), language::english) << "\n";
        return 1;
    }
    if (rows.totals()) {
        std::cout << "totals\t";
        print_row(*rows.totals());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string what = argc == 3 ? argv[1] : "";
    if (what == "write") {
        return write(argv[2]);
    }
    if (what == "read") {
        return read(argv[2]);
    }
    std::cerr << "usage: xlsx_tool write OUT < cells.tsv | xlsx_tool read IN\n";
    return 2;
}
