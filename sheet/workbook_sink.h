// The batch's typed rows written as an Excel workbook (xlsx_writer.h), a row
// at a time, so that memory does not grow with the sheet.
#pragma once

#include "sheet/batch.h"
#include "sheet/xlsx_writer.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orvandel::sheet {

class workbook_sink final : public typed_sink {
public:
    // Once the totals row is written, `open` gives the stream the
    // workbook's bytes go to (nullptr, with `why` set, when it cannot), so
    // that an output is not touched before the whole sheet is there.
    using opener = std::function<std::ostream*(std::string& why)>;
    explicit workbook_sink(opener open, xlsx_write_options options = {})
        : open_(std::move(open)), options_(std::move(options)) {}

    bool header(const std::vector<std::string>& names) override;
    bool row(const std::vector<cell>& cells) override;
    bool finish(const std::vector<cell>& totals) override;
    [[nodiscard]] std::string problem() const override { return problem_; }

private:
    bool failed(const xlsx_write_problem& problem);

    opener open_;
    xlsx_write_options options_;
    std::optional<xlsx_sheet_writer> writer_;
    std::string problem_;
};

} // namespace orvandel::sheet
