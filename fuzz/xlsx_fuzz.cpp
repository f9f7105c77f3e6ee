// A workbook of arbitrary bytes: never a crash, a hang or a read out of
// bounds, always either rows or an error with words, and never more memory
// than the limits allow (here set low, so the fuzzer's own memory limit
// catches any allocation that escapes them).
#include "check.h"

#include "sheet/xlsx_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace orvandel::sheet;

void check_described(const xlsx_read_problem& problem) {
    FUZZ_CHECK(!describe(problem, language::english).empty());
    FUZZ_CHECK(!describe(problem, language::chinese).empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    xlsx_read_options options;
    options.limits.directory_bytes = std::uint64_t{64} << 10;
    options.limits.part_bytes = std::uint64_t{8} << 20;
    options.limits.total_bytes = std::uint64_t{16} << 20;
    options.limits.shared_text_bytes = std::size_t{1} << 20;
    options.limits.row_text_bytes = std::size_t{1} << 20;
    options.limits.xml_bytes = std::size_t{4} << 20;
    options.limits.columns = 1024;
    auto opened = xlsx_rows::open_bytes(file, options);
    if (!opened) {
        check_described(opened.error());
        return 0;
    }
    xlsx_rows rows = std::move(opened).value();
    std::vector<cell> row;
    std::size_t count = 0;
    while (rows.next(row)) {
        FUZZ_CHECK(row.size() <= options.limits.columns);
        for (const cell& c : row) {
            FUZZ_CHECK(c.kind != cell_kind::sum);
            FUZZ_CHECK(c.kind != cell_kind::number || is_decimal_text(c.text));
            FUZZ_CHECK(c.format_decimals >= -1);
        }
        FUZZ_CHECK(rows.done() <= rows.total());
        ++count;
    }
    if (rows.problem()) {
        check_described(*rows.problem());
        FUZZ_CHECK(!rows.totals().has_value());
    } else {
        FUZZ_CHECK(count > 0); // a header at least
        FUZZ_CHECK(rows.done() == rows.total());
    }
    const auto names = xlsx_sheet_names(file, options.limits);
    FUZZ_CHECK(names.ok() && !names->empty());
    return 0;
}
