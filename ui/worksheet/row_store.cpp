#include "ui/worksheet/row_store.h"

#include <cstring>

namespace orvandel::ui::worksheet {

namespace {

constexpr std::size_t header_bytes = input_count * sizeof(std::uint16_t);
// Rows with no text at all share no record: they point here.
constexpr std::uint64_t no_record = ~std::uint64_t{0};

std::array<std::uint16_t, input_count> lengths_at(const char* record) {
    std::array<std::uint16_t, input_count> lengths{};
    std::memcpy(lengths.data(), record, header_bytes);
    return lengths;
}

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

std::size_t record_size(const std::array<std::uint16_t, input_count>& lengths) {
    std::size_t size = header_bytes;
    for (const std::uint16_t length : lengths) {
        size += length;
    }
    return size;
}

} // namespace

row_views row_store::views(std::size_t row) const {
    row_views texts{};
    const std::uint64_t at = where_[row];
    if (at == no_record) {
        return texts;
    }
    const char* record = arena_.data() + at;
    const auto lengths = lengths_at(record);
    const char* text = record + header_bytes;
    for (std::size_t i = 0; i < input_count; ++i) {
        texts[i] = std::string_view(text, lengths[i]);
        text += lengths[i];
    }
    return texts;
}

std::string_view row_store::text(std::size_t row, input cell) const {
    return views(row)[static_cast<std::size_t>(cell)];
}

row_cells row_store::cells(std::size_t row) const {
    const row_views texts = views(row);
    row_cells owned;
    for (std::size_t i = 0; i < input_count; ++i) {
        owned[i] = std::string(texts[i]);
    }
    return owned;
}

sheet::row_texts row_store::row_texts(std::size_t row) const {
    const row_views t = views(row);
    sheet::row_texts texts;
    texts.amount = t[static_cast<std::size_t>(input::amount)];
    texts.due_date = t[static_cast<std::size_t>(input::due_date)];
    texts.pay_date = t[static_cast<std::size_t>(input::pay_date)];
    texts.days_before = t[static_cast<std::size_t>(input::days_before)];
    texts.days_after = t[static_cast<std::size_t>(input::days_after)];
    texts.offered =
        static_cast<sheet::pair_set>(sheet::pair_bit(sheet::period_basis::due_and_paid) |
                                     sheet::pair_bit(sheet::period_basis::day_counts));
    return texts;
}

bool row_store::blank(std::size_t row) const {
    return where_[row] == no_record;
}

std::uint64_t row_store::put(const row_views& texts) {
    std::array<std::uint16_t, input_count> lengths{};
    row_views kept{};
    bool any = false;
    for (std::size_t i = 0; i < input_count; ++i) {
        kept[i] = bounded(texts[i]);
        lengths[i] = static_cast<std::uint16_t>(kept[i].size());
        any = any || !kept[i].empty();
    }
    if (!any) {
        return no_record;
    }
    // Built aside first: the texts may lie in the arena, which may move.
    scratch_.assign(reinterpret_cast<const char*>(lengths.data()), header_bytes);
    for (const std::string_view text : kept) {
        scratch_.append(text);
    }
    const std::uint64_t at = arena_.size();
    arena_.append(scratch_);
    return at;
}

void row_store::forget(std::size_t row) {
    const std::uint64_t at = where_[row];
    if (at != no_record) {
        garbage_ += record_size(lengths_at(arena_.data() + at));
    }
}

void row_store::set_text(std::size_t row, input cell, std::string_view text) {
    row_views texts = views(row);
    texts[static_cast<std::size_t>(cell)] = text;
    set_row(row, texts);
}

void row_store::set_row(std::size_t row, const row_views& texts) {
    forget(row);
    where_[row] = put(texts);
    compact_if_wasteful();
}

void row_store::append(const row_views& texts) {
    where_.push_back(put(texts));
}

void row_store::insert(std::size_t at, std::span<const row_cells> rows) {
    std::vector<std::uint64_t> places;
    places.reserve(rows.size());
    for (const row_cells& row : rows) {
        row_views texts;
        for (std::size_t i = 0; i < input_count; ++i) {
            texts[i] = row[i];
        }
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
        const std::size_t size = record_size(lengths_at(arena_.data() + at));
        const std::uint64_t moved = compacted.size();
        compacted.append(arena_, at, size);
        at = moved;
    }
    arena_.swap(compacted);
    garbage_ = 0;
}

} // namespace orvandel::ui::worksheet
