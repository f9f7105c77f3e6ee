#include "sheet/tsv.h"

#include <cstddef>

namespace orvandel::sheet {

namespace {

bool is_line_end(char c) {
    return c == '\n' || c == '\r';
}

// Reads a quoted cell starting at `at` (on its opening quote) into `cell`.
// Returns the position after the closing quote, or npos when the quote is
// never closed (the cell is then read unquoted by the caller).
std::size_t read_quoted(std::string_view text, std::size_t at, std::string& cell) {
    std::string value;
    std::size_t i = at + 1;
    while (i < text.size()) {
        if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                value.push_back('"');
                i += 2;
                continue;
            }
            cell = std::move(value);
            return i + 1;
        }
        value.push_back(text[i]);
        ++i;
    }
    return std::string_view::npos;
}

bool needs_quotes(std::string_view cell) {
    return cell.find_first_of("\t\r\n\"") != std::string_view::npos;
}

void append_escaped_html(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                break; // CRLF: one line break, written for the LF
            }
            out += "<br>";
            break;
        case '\n':
            out += "<br>";
            break;
        default:
            out.push_back(c);
        }
    }
}

} // namespace

text_grid parse_tsv(std::string_view text) {
    text_grid rows;
    text_row row;
    std::size_t i = 0;
    bool row_open = false;
    while (i < text.size()) {
        std::string cell;
        std::size_t after = std::string_view::npos;
        if (text[i] == '"') {
            after = read_quoted(text, i, cell);
            if (after != std::string_view::npos) {
                // Text between the closing quote and the next separator
                // belongs to the same cell.
                while (after < text.size() && text[after] != '\t' && !is_line_end(text[after])) {
                    cell.push_back(text[after]);
                    ++after;
                }
            }
        }
        if (after == std::string_view::npos) {
            after = i;
            while (after < text.size() && text[after] != '\t' && !is_line_end(text[after])) {
                ++after;
            }
            cell.assign(text.substr(i, after - i));
        }
        row.push_back(std::move(cell));
        row_open = true;
        i = after;
        if (i >= text.size()) {
            break;
        }
        if (text[i] == '\t') {
            ++i;
            if (i == text.size()) {
                row.emplace_back(); // a last empty cell after the tab
            }
            continue;
        }
        // A line ending: CRLF, LF or a lone CR.
        i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2U : 1U;
        rows.push_back(std::move(row));
        row = text_row{};
        row_open = false;
    }
    if (row_open) {
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string write_tsv(const text_grid& rows) {
    std::string out;
    for (const text_row& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) {
                out.push_back('\t');
            }
            const std::string& cell = row[c];
            if (!needs_quotes(cell)) {
                out += cell;
                continue;
            }
            out.push_back('"');
            for (const char ch : cell) {
                if (ch == '"') {
                    out.push_back('"');
                }
                out.push_back(ch);
            }
            out.push_back('"');
        }
        out += "\r\n";
    }
    return out;
}

std::string write_html_table(const text_grid& rows, const std::vector<bool>& right_aligned) {
    std::string out = "<html><head><meta charset=\"utf-8\"></head><body><table border=\"1\" "
                      "cellspacing=\"0\">\n";
    for (const text_row& row : rows) {
        out += "<tr>";
        for (std::size_t c = 0; c < row.size(); ++c) {
            const bool right = c < right_aligned.size() && right_aligned[c];
            out += right ? "<td align=\"right\">" : "<td>";
            append_escaped_html(out, row[c]);
            out += "</td>";
        }
        out += "</tr>\n";
    }
    out += "</table></body></html>\n";
    return out;
}

} // namespace orvandel::sheet
