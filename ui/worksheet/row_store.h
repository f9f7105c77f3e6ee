// The worksheet's rows, held compactly: the six input texts of every row
// packed into one arena, and nothing else per row but where its texts start.
// A million rows of typical texts take about 60 MB. Figures are not stored:
// they are computed from the texts when shown (see sheet_totals.h for the
// totals, which are kept up to date as rows change).
#pragma once

#include "sheet/row.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::ui::worksheet {

// The cells a user types, in the worksheet's column order.
enum class input : unsigned char { item, amount, due_date, pay_date, days_before, days_after };
inline constexpr std::size_t input_count = 6;

using row_cells = std::array<std::string, input_count>;
using row_views = std::array<std::string_view, input_count>;

// The most bytes a cell keeps; longer texts are cut at a character boundary.
inline constexpr std::size_t max_cell_bytes = 0xffff;

class row_store {
public:
    [[nodiscard]] std::size_t size() const { return where_.size(); }
    [[nodiscard]] bool empty() const { return where_.empty(); }

    // Valid until the next change to the store.
    [[nodiscard]] std::string_view text(std::size_t row, input cell) const;
    [[nodiscard]] row_views views(std::size_t row) const;
    [[nodiscard]] row_cells cells(std::size_t row) const;
    // The texts as the row rules read them (no start or end dates: a file
    // that has them is opened as due and paid dates).
    [[nodiscard]] sheet::row_texts row_texts(std::size_t row) const;
    // True when every cell of the row is empty.
    [[nodiscard]] bool blank(std::size_t row) const;

    void set_text(std::size_t row, input cell, std::string_view text);
    void set_row(std::size_t row, const row_views& texts);
    void append(const row_views& texts);
    void insert(std::size_t at, std::span<const row_cells> rows);
    // Removes `count` rows from `at` and returns their texts.
    std::vector<row_cells> erase(std::size_t at, std::size_t count);
    // Puts the rows in a new order: row i becomes the row that was order[i].
    // `order` is a permutation of 0..size()-1.
    void reorder(std::span<const std::uint32_t> order);
    void clear();
    void reserve(std::size_t rows, std::size_t bytes);

    // Bytes held, for the benchmark.
    [[nodiscard]] std::size_t memory_bytes() const {
        return arena_.capacity() + where_.capacity() * sizeof(std::uint64_t);
    }

private:
    // Writes a record (six 16-bit lengths, then the texts) at the arena's end
    // and returns where it starts.
    std::uint64_t put(const row_views& texts);
    void forget(std::size_t row);
    // Rewrites the arena without the records no row uses any more, once they
    // take more than half of it.
    void compact_if_wasteful();

    std::string arena_;
    std::vector<std::uint64_t> where_;
    std::size_t garbage_ = 0;
    std::string scratch_;
};

} // namespace orvandel::ui::worksheet
