// The workbook's table of shared strings, which cells refer to by index. It
// is read whole before the worksheet, since a cell's string may come from
// anywhere in it; its memory (texts and an index of them) is bounded by
// limits.shared_text_bytes.
#pragma once

#include "sheet/xlsx/archive.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet::xlsx {

class shared_strings {
public:
    // The table in `part`; an empty table for no part.
    [[nodiscard]] static calc::result<shared_strings, problem> read(archive& zip,
                                                                    const std::string& part);

    // Whether the workbook has a table at all.
    [[nodiscard]] bool present() const { return present_; }
    [[nodiscard]] std::size_t size() const { return ends_.size(); }
    // Only for index < size().
    [[nodiscard]] std::string_view at(std::size_t index) const;

private:
    friend class shared_strings_handler;
    std::string texts_;             // every string, one after the other
    std::vector<std::size_t> ends_; // where each ends in texts_
    bool present_ = false;
};

} // namespace orvandel::sheet::xlsx
