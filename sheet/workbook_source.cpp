#include "sheet/workbook_source.h"

#include <algorithm>

namespace orvandel::sheet {

workbook_source::workbook_source(table sheet) : sheet_(std::move(sheet)) {
    bom_ = std::any_of(sheet_.header.begin(), sheet_.header.end(), [](const std::string& name) {
        return std::any_of(name.begin(), name.end(),
                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    });
}

calc::result<std::unique_ptr<workbook_source>, xlsx_read_problem>
workbook_source::open(const std::filesystem::path& path, const xlsx_read_options& options) {
    auto read = read_xlsx_file(path, options);
    if (!read) {
        return read.error();
    }
    return std::unique_ptr<workbook_source>(new workbook_source(std::move(read).value()));
}

bool workbook_source::next(csv_record& record) {
    if (next_row_ > sheet_.rows.size()) {
        return false;
    }
    typed_.clear();
    if (next_row_ == 0) {
        for (const std::string& name : sheet_.header) {
            typed_.push_back(cell::of_text(name));
        }
    } else {
        typed_ = sheet_.rows[next_row_ - 1];
        // A row is as wide as the header: a workbook leaves out the empty
        // cells at a row's end, which a CSV file writes.
        if (typed_.size() < sheet_.header.size()) {
            typed_.resize(sheet_.header.size());
        }
    }
    ++next_row_;
    // The record as a CSV line, each cell quoted where it needs it.
    std::size_t room = typed_.size() + 1;
    std::vector<std::string> texts;
    texts.reserve(typed_.size());
    for (const cell& c : typed_) {
        texts.push_back(cell_text(c));
        room += cell_room(texts.back());
    }
    line_.assign(room, '\0');
    record.cells.clear();
    char* at = line_.data();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            *at++ = ',';
        }
        char* const start = at;
        at = write_cell(at, texts[i]);
        record.cells.push_back({std::string_view(start, static_cast<std::size_t>(at - start)),
                                start != at && *start == '"'});
    }
    if (record.cells.empty()) {
        record.cells.push_back({std::string_view(line_.data(), 0), false});
    }
    record.raw = std::string_view(line_.data(), static_cast<std::size_t>(at - line_.data()));
    record.line_end = "\r\n";
    record.open_quote = false;
    return true;
}

std::string workbook_source::problem(language) const {
    return {};
}

} // namespace orvandel::sheet
