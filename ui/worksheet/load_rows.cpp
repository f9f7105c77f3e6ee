#include "ui/worksheet/load_rows.h"

namespace orvandel::ui::worksheet {

loaded_rows load_rows(sheet::record_source& source, const load_progress& progress,
                      std::size_t size_hint) {
    loaded_rows load;
    sheet::sheet_reader reader(source, {.evaluate = false,
                                        .payment_date = std::nullopt,
                                        .note_language = sheet::language::chinese});
    if (!reader.read_header()) {
        load.problem = sheet::describe(*reader.problem(), sheet::language::chinese);
        return load;
    }
    const sheet::sheet_layout& layout = reader.layout();
    for (const std::size_t at : layout.unknown()) {
        load.shape.extra_columns.push_back(layout.names()[at]);
    }
    load.shape.offered = layout.offered();
    load.rows = row_store(load.shape.extra_columns.size());
    // A row of a CSV file takes 40 bytes or more; kept, its texts take no
    // more than that, beside two bytes of length a slot.
    const std::size_t rows = size_hint / 40 + 16;
    load.rows.reserve(rows, size_hint + rows * load.rows.slot_count() * 2);
    sheet::sheet_row row;
    row_views texts(load.rows.slot_count());
    const auto item_at = layout.position(sheet::column::item);
    while (reader.next(row)) {
        if (progress && (load.rows.size() & 0x3fffU) == 0 && !progress()) {
            load = loaded_rows{};
            load.cancelled = true;
            return load;
        }
        std::fill(texts.begin(), texts.end(), std::string_view());
        if (!row.blank) {
            for (const sheet::column c : sheet::input_columns) {
                if (const auto member = sheet::text_of(c)) {
                    texts[slot_of(c)] = row.texts.*member;
                }
            }
            if (item_at && *item_at < row.cells.size()) {
                texts[slot_of(sheet::column::item)] = row.cells[*item_at];
            }
            texts[note_slot] = row.note_text;
            texts[note_blocks_slot] = row.note.blocks() ? "1" : "";
            for (std::size_t k = 0; k < layout.unknown().size(); ++k) {
                const std::size_t at = layout.unknown()[k];
                texts[fixed_slots + k] = at < row.cells.size() ? row.cells[at] : "";
            }
            load.with_reading_notes += row.note_text.empty() ? 0U : 1U;
        }
        load.rows.append(texts);
    }
    if (reader.problem()) {
        load = loaded_rows{};
        load.problem = sheet::describe(*reader.problem(), sheet::language::chinese);
        return load;
    }
    load.ok = true;
    return load;
}

} // namespace orvandel::ui::worksheet
