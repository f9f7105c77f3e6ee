// A workbook of arbitrary bytes: never a crash, a hang or a read out of
// bounds, always either a table or an error with words, and never more
// memory than the limits allow (here set low, so the fuzzer's own memory
// limit catches any allocation that escapes them).
#include "check.h"

#include "sheet/xlsx_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvandel::sheet;
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    xlsx_read_options options;
    options.limits.part_bytes = std::size_t{8} << 20;
    options.limits.total_bytes = std::size_t{16} << 20;
    options.limits.cells = 100'000;
    options.limits.text_bytes = std::size_t{4} << 20;
    const auto read = read_xlsx(file, options);
    if (!read) {
        FUZZ_CHECK(!describe(read.error(), language::english).empty());
        FUZZ_CHECK(!describe(read.error(), language::chinese).empty());
        return 0;
    }
    FUZZ_CHECK(!read->header.empty());
    std::size_t cells = 0;
    for (const auto& row : read->rows) {
        cells += row.size();
        for (const cell& c : row) {
            FUZZ_CHECK(c.kind != cell_kind::sum);
            FUZZ_CHECK(c.kind != cell_kind::number || is_decimal_text(c.text));
        }
    }
    FUZZ_CHECK(cells <= options.limits.cells);
    const auto names = xlsx_sheet_names(file, options.limits);
    FUZZ_CHECK(names.ok() && !names->empty());
    return 0;
}
