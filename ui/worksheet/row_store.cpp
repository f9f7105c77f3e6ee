#include "ui/worksheet/row_store.h"

#include <algorithm>
#include <cstring>

namespace orvandel::ui::worksheet {

namespace {

// Rows with no text at all share no record: they point here.
constexpr std::uint64_t no_record = ~std::uint64_t{0};

// `text` cut to max_cell_bytes, not inside a UTF-8 sequence.
std::string_view bounded(std::string_view text) {
    if (text.size() <= max_cell_bytes) {
        return text;
    }
    std::size_t end = max_cell_bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0U) == 0x80U) {
        --end;
    }
    return text.substr(0, end);
}

} // namespace

std::uint16_t row_store::length(std::uint64_t at, std::size_t slot) const {
    std::uint16_t value = 0;
    std::memcpy(&value, arena_.data() + at + slot * sizeof(std::uint16_t), sizeof value);
    return value;
}

std::size_t row_store::record_size(std::uint64_t at) const {
    std::size_t size = slots_ * sizeof(std::uint16_t);
    for (std::size_t i = 0; i < slots_; ++i) {
        size += length(at, i);
    }
    return size;
}

void row_store::views(std::size_t row, row_views& texts) const {
    texts.assign(slots_, std::string_view());
    const std::uint64_t at = where_[row];
    if (at == no_record) {
        return;
    }
    const char* text = arena_.data() + at + slots_ * sizeof(std::uint16_t);
    for (std::size_t i = 0; i < slots_; ++i) {
        const std::uint16_t size = length(at, i);
        texts[i] = std::string_view(text, size);
        text += size;
    }
}

std::string_view row_store::text(std::size_t row, std::size_t slot) const {
    const std::uint64_t at = where_[row];
    if (at == no_record || slot >= slots_) {
        return {};
    }
    const char* text = arena_.data() + at + slots_ * sizeof(std::uint16_t);
    for (std::size_t i = 0; i < slot; ++i) {
        text += length(at, i);
    }
    return {text, length(at, slot)};
}

row_cells row_store::cells(std::size_t row) const {
    views(row, views_);
    return {views_.begin(), views_.end()};
}

sheet::row_texts row_store::row_texts(std::size_t row, sheet::pair_set offered) const {
    views(row, views_);
    sheet::row_texts texts;
    for (const sheet::column c : sheet::input_columns) {
        if (const auto member = sheet::text_of(c)) {
            texts.*member = views_[slot_of(c)];
        }
    }
    texts.offered = offered;
    texts.reading_note = views_[note_slot];
    texts.reading_note_blocks = !views_[note_blocks_slot].empty();
    return texts;
}

bool row_store::blank(std::size_t row) const {
    return where_[row] == no_record;
}

std::uint64_t row_store::put(std::span<const std::string_view> texts) {
    std::vector<std::uint16_t>& lengths = lengths_;
    lengths.assign(slots_, 0);
    bool any = false;
    for (std::size_t i = 0; i < slots_ && i < texts.size(); ++i) {
        lengths[i] = static_cast<std::uint16_t>(bounded(texts[i]).size());
        any = any || lengths[i] != 0;
    }
    if (!any) {
        return no_record;
    }
    // Built aside first: the texts may lie in the arena, which may move.
    scratch_.assign(reinterpret_cast<const char*>(lengths.data()), slots_ * sizeof(std::uint16_t));
    for (std::size_t i = 0; i < slots_ && i < texts.size(); ++i) {
        scratch_.append(texts[i].substr(0, lengths[i]));
    }
    const std::uint64_t at = arena_.size();
    arena_.append(scratch_);
    return at;
}

void row_store::forget(std::size_t row) {
    const std::uint64_t at = where_[row];
    if (at != no_record) {
        garbage_ += record_size(at);
    }
}

void row_store::set_text(std::size_t row, std::size_t slot, std::string_view text) {
    row_views texts;
    views(row, texts);
    texts[slot] = text;
    set_row(row, texts);
}

void row_store::set_row(std::size_t row, std::span<const std::string_view> texts) {
    forget(row);
    where_[row] = put(texts);
    compact_if_wasteful();
}

void row_store::append(std::span<const std::string_view> texts) {
    where_.push_back(put(texts));
}

void row_store::insert(std::size_t at, std::span<const row_cells> rows) {
    std::vector<std::uint64_t> places;
    places.reserve(rows.size());
    row_views texts;
    for (const row_cells& row : rows) {
        texts.assign(row.begin(), row.end());
        places.push_back(put(texts));
    }
    where_.insert(where_.begin() + static_cast<std::ptrdiff_t>(at), places.begin(), places.end());
}

std::vector<row_cells> row_store::erase(std::size_t at, std::size_t count) {
    std::vector<row_cells> removed;
    removed.reserve(count);
    for (std::size_t row = at; row < at + count; ++row) {
        removed.push_back(cells(row));
        forget(row);
    }
    const auto first = where_.begin() + static_cast<std::ptrdiff_t>(at);
    where_.erase(first, first + static_cast<std::ptrdiff_t>(count));
    compact_if_wasteful();
    return removed;
}

void row_store::reorder(std::span<const std::uint32_t> order) {
    std::vector<std::uint64_t> reordered(where_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        reordered[i] = where_[order[i]];
    }
    where_.swap(reordered);
}

void row_store::clear() {
    arena_.clear();
    where_.clear();
    garbage_ = 0;
}

void row_store::reserve(std::size_t rows, std::size_t bytes) {
    where_.reserve(rows);
    arena_.reserve(bytes);
}

void row_store::compact_if_wasteful() {
    if (garbage_ < (std::size_t{1} << 20) || garbage_ * 2 < arena_.size()) {
        return;
    }
    std::string compacted;
    compacted.reserve(arena_.size() - garbage_);
    for (std::uint64_t& at : where_) {
        if (at == no_record) {
            continue;
        }
        const std::size_t size = record_size(at);
        const std::uint64_t moved = compacted.size();
        compacted.append(arena_, at, size);
        at = moved;
    }
    arena_.swap(compacted);
    garbage_ = 0;
}

} // namespace orvandel::ui::worksheet
