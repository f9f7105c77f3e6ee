// The batch's files with 编号: the whole input read and kept first, each
// debt computed once, and what each of its rows shows kept for when the rows
// are written (debts.h).
#include "sheet/batch.h"

#include <string>
#include <unordered_map>

namespace orvandel::sheet {

bool batch_job::gather() {
    stored_.set_bom(source_->had_bom());
    std::unordered_map<std::size_t, std::string> reading_notes;
    csv_record record;
    while (source_->next(record)) {
        const std::size_t index = stored_.size();
        stored_.add(record, source_->typed_cells());
        debt_row row;
        if (!is_blank(record)) {
            read_record(record);
            row_texts_.reading_note_blocks = note_.blocks();
            if (debts_.add(row_texts_, index) != debt_book::no_debt) {
                row.state = in_debt::computed;
                if (note_.kind != reading_note_kind::none) {
                    reading_notes.emplace(index, describe(note_, lang_));
                }
            }
        }
        debt_rows_.push_back(row);
    }
    if (!finish_reading()) {
        return false;
    }
    debts_.finish();
    compute_debts(reading_notes);
    source_ = &stored_;
    return true;
}

void batch_job::compute_debts(const std::unordered_map<std::size_t, std::string>& reading_notes) {
    for (std::size_t d = 0; d < debts_.size(); ++d) {
        const debt_outcome debt = debts_.evaluate(d, as_of_);
        const std::span<const debt_member> members = debts_.members(d);
        for (std::size_t m = 0; m < members.size(); ++m) {
            const std::size_t index = members[m].row;
            debt_row& row = debt_rows_[index];
            row.state = debt.ok() ? in_debt::computed : in_debt::failed;
            row.first_value = debt_values_.size();
            // Every figure of a debt is at two places: its cents are its coefficient.
            for_each_debt_figure(debt, m, [&](column shown, const debt_value& value) {
                row.columns |= std::uint32_t{1} << static_cast<unsigned>(shown);
                debt_values_.push_back(value.is_count ? value.days : value.amount.coefficient);
            });
            const auto reading = reading_notes.find(index);
            const std::string_view note =
                reading == reading_notes.end() ? std::string_view() : reading->second;
            if (!debt.ok() || !note.empty()) {
                std::string text;
                append_debt_note(text, debt, members, m, debts_.id(d), note, lang_);
                row.noted = !text.empty();
                if (row.noted) {
                    debt_notes_.emplace(index, std::move(text));
                }
            }
        }
    }
}

} // namespace orvandel::sheet
