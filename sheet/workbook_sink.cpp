#include "sheet/workbook_sink.h"

namespace orvandel::sheet {

bool workbook_sink::failed(const xlsx_write_problem& problem) {
    problem_ = describe(problem, language::english);
    return false;
}

bool workbook_sink::header(const std::vector<std::string>& names) {
    auto started = xlsx_sheet_writer::start(names, options_);
    if (!started) {
        return failed(started.error());
    }
    writer_.emplace(std::move(started).value());
    return true;
}

bool workbook_sink::row(const std::vector<cell>& cells) {
    const auto problem = writer_->add_row(cells);
    return !problem || failed(*problem);
}

bool workbook_sink::finish(const std::vector<cell>& totals) {
    if (const auto problem = writer_->build(totals)) {
        return failed(*problem);
    }
    std::ostream* out = open_(problem_);
    if (out == nullptr) {
        return false;
    }
    if (const auto problem = writer_->write_to(*out)) {
        return failed(*problem);
    }
    out->flush();
    if (!*out) {
        problem_ = "cannot write the output";
        return false;
    }
    return true;
}

} // namespace orvandel::sheet
