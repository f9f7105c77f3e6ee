// The workbook's cell styles, as far as reading numbers needs them: the
// number format of each style a cell may name (its s attribute).
#pragma once

#include "sheet/xlsx/archive.h"
#include "sheet/xlsx/number_format.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace orvandel::sheet::xlsx {

class styles {
public:
    // The styles in `part`; General for every style when there is no part.
    [[nodiscard]] static calc::result<styles, problem> read(archive& zip, const std::string& part);

    // The format of cell style `index`; General for a style the part lacks.
    [[nodiscard]] const number_format& format(std::size_t index) const;

private:
    friend class styles_handler;
    std::vector<number_format> cell_formats_;
};

} // namespace orvandel::sheet::xlsx
