// Records kept in memory and given again: the batch reads a file with 编号
// whole before it writes a row, as the rows of one debt may stand anywhere in
// it. The records are kept as the bytes they were read from, and read again
// by the same CSV rules (the same bytes give the same records), with the
// typed cells of a workbook's records beside them.
#pragma once

#include "sheet/csv.h"
#include "sheet/reader.h"

#include <cstddef>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

namespace orvandel::sheet {

class stored_records final : public record_source {
public:
    stored_records();
    ~stored_records() override;

    // Keeps a record, with the typed cells of a workbook's record (or none).
    // Records are kept until the first call of next().
    void add(const csv_record& record, const std::vector<cell>* typed);
    // The byte order mark of the file the records came from.
    void set_bom(bool bom) { bom_ = bom; }

    [[nodiscard]] std::size_t size() const { return kept_; }
    // The records from the first again, each as it was added.
    bool next(csv_record& record) override;
    [[nodiscard]] const std::vector<cell>* typed_cells() const override;
    [[nodiscard]] bool had_bom() const override { return bom_; }
    [[nodiscard]] std::string problem(language) const override { return {}; }
    // The record next() gave last, from 0.
    [[nodiscard]] std::size_t index() const { return given_ - 1; }

private:
    std::string bytes_;
    std::size_t kept_ = 0;
    std::vector<std::size_t> typed_at_; // the records with typed cells, in order
    std::vector<std::vector<cell>> typed_;
    std::size_t given_ = 0;
    std::size_t next_typed_ = 0;
    const std::vector<cell>* current_typed_ = nullptr;
    std::unique_ptr<std::streambuf> buffer_;
    std::unique_ptr<std::istream> stream_;
    std::unique_ptr<csv_reader> reader_;
    bool bom_ = false;
};

} // namespace orvandel::sheet
