#include "sheet/workbook_sink.h"

namespace orvandel::sheet {

bool workbook_sink::header(const std::vector<std::string>& names) {
    sheet_.header = names;
    return true;
}

bool workbook_sink::row(const std::vector<cell>& cells) {
    sheet_.rows.push_back(cells);
    return true;
}

bool workbook_sink::finish(const std::vector<cell>& totals) {
    sheet_.totals = totals;
    const auto bytes = write_xlsx(sheet_, options_);
    if (!bytes) {
        problem_ = describe(bytes.error(), language::english);
        return false;
    }
    std::ostream* out = open_(problem_);
    if (out == nullptr) {
        return false;
    }
    out->write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    out->flush();
    if (!*out) {
        problem_ = "cannot write the output";
        return false;
    }
    return true;
}

} // namespace orvandel::sheet
