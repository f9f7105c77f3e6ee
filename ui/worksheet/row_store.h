// The worksheet's rows, held compactly: the texts of every row packed into
// one arena, and nothing else per row but where its texts start. A million
// rows of typical texts take about 60 MB. Figures are not stored: they are
// computed from the texts when shown (see sheet_totals.h for the totals,
// which are kept up to date as rows change).
//
// A row keeps one text per slot: first one per input column of the sheet
// (sheet::input_columns: 项目, the amount, the four dates and the two day
// counts), then the note reading its file gave it and whether that note
// blocks the row (reader.h), then the cells of the file's unknown columns,
// so that saving the sheet loses none of them.
#pragma once

#include "sheet/columns.h"
#include "sheet/row.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::ui::worksheet {

inline constexpr std::size_t note_slot = sheet::input_columns.size();
inline constexpr std::size_t note_blocks_slot = note_slot + 1;
inline constexpr std::size_t fixed_slots = note_blocks_slot + 1;

// The slot of an input column.
[[nodiscard]] constexpr std::size_t slot_of(sheet::column c) {
    return *sheet::input_slot(c);
}

// What a sheet is beyond its rows: the columns of its file that it does not
// know, and the pairs the file offered (named when a row gives none).
struct sheet_shape {
    std::vector<std::string> extra_columns;
    sheet::pair_set offered =
        static_cast<sheet::pair_set>(sheet::pair_bit(sheet::period_basis::due_and_paid) |
                                     sheet::pair_bit(sheet::period_basis::day_counts));
};

using row_cells = std::vector<std::string>;
using row_views = std::vector<std::string_view>;

// The most bytes a cell keeps; longer texts are cut at a character boundary.
inline constexpr std::size_t max_cell_bytes = 0xffff;

class row_store {
public:
    row_store() = default;
    // Rows of fixed_slots texts plus one for each of `extra` unknown columns.
    explicit row_store(std::size_t extra) : slots_(fixed_slots + extra) {}

    [[nodiscard]] std::size_t size() const { return where_.size(); }
    [[nodiscard]] bool empty() const { return where_.empty(); }
    [[nodiscard]] std::size_t slot_count() const { return slots_; }

    // Valid until the next change to the store.
    [[nodiscard]] std::string_view text(std::size_t row, std::size_t slot) const;
    [[nodiscard]] std::string_view text(std::size_t row, sheet::column c) const {
        return text(row, slot_of(c));
    }
    void views(std::size_t row, row_views& texts) const;
    [[nodiscard]] row_cells cells(std::size_t row) const;
    // The texts as the row rules read them, offering `offered` pairs.
    [[nodiscard]] sheet::row_texts row_texts(std::size_t row, sheet::pair_set offered) const;
    // True when every cell of the row is empty.
    [[nodiscard]] bool blank(std::size_t row) const;

    void set_text(std::size_t row, std::size_t slot, std::string_view text);
    void set_row(std::size_t row, std::span<const std::string_view> texts);
    void append(std::span<const std::string_view> texts);
    void insert(std::size_t at, std::span<const row_cells> rows);
    // Removes `count` rows from `at` and returns their texts.
    std::vector<row_cells> erase(std::size_t at, std::size_t count);
    // Puts the rows in a new order: row i becomes the row that was order[i].
    // `order` is a permutation of 0..size()-1.
    void reorder(std::span<const std::uint32_t> order);
    void clear();
    void reserve(std::size_t rows, std::size_t bytes);

private:
    // Writes a record (one 16-bit length a slot, then the texts) at the
    // arena's end and returns where it starts.
    std::uint64_t put(std::span<const std::string_view> texts);
    [[nodiscard]] std::size_t record_size(std::uint64_t at) const;
    [[nodiscard]] std::uint16_t length(std::uint64_t at, std::size_t slot) const;
    void forget(std::size_t row);
    // Rewrites the arena without the records no row uses any more, once they
    // take more than half of it.
    void compact_if_wasteful();

    std::size_t slots_ = fixed_slots;
    std::string arena_;
    std::vector<std::uint64_t> where_;
    std::size_t garbage_ = 0;
    std::string scratch_;
    std::vector<std::uint16_t> lengths_;
    mutable row_views views_;
};

} // namespace orvandel::ui::worksheet
