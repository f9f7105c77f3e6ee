#include "sheet/workbook_source.h"

#include <algorithm>

namespace orvandel::sheet {

calc::result<std::unique_ptr<workbook_source>, xlsx_read_problem>
workbook_source::open(const std::filesystem::path& path, const xlsx_read_options& options) {
    auto rows = xlsx_rows::open(path, options);
    if (!rows) {
        return rows.error();
    }
    return std::unique_ptr<workbook_source>(new workbook_source(std::move(rows).value()));
}

bool workbook_source::next(csv_record& record) {
    if (!rows_.next(typed_)) {
        return false;
    }
    if (width_ == 0) {
        // The header: its texts tell whether a CSV file written from the
        // sheet starts with a byte order mark.
        width_ = std::max<std::size_t>(typed_.size(), 1);
        bom_ = std::any_of(typed_.begin(), typed_.end(), [](const cell& c) {
            return std::any_of(c.text.begin(), c.text.end(),
                               [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; });
        });
    } else if (typed_.size() < width_) {
        // A row is as wide as the header: a workbook leaves out the empty
        // cells at a row's end, which a CSV file writes.
        typed_.resize(width_);
    }
    // The record as a CSV line, each cell quoted where it needs it.
    std::size_t room = typed_.size() + 1;
    texts_.resize(typed_.size());
    for (std::size_t i = 0; i < typed_.size(); ++i) {
        texts_[i] = cell_text(typed_[i]);
        room += cell_room(texts_[i]);
    }
    line_.assign(room, '\0');
    record.cells.clear();
    char* at = line_.data();
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        if (i > 0) {
            *at++ = ',';
        }
        char* const start = at;
        at = write_cell(at, texts_[i]);
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

std::string workbook_source::problem(language lang) const {
    return rows_.problem() ? describe(*rows_.problem(), lang) : std::string();
}

} // namespace orvandel::sheet
