// A batch file of arbitrary bytes: never a crash or a hang, never a read or
// write failure in memory, and the same output whether the input is read in
// one block or in tiny ones.
#include "check.h"

#include "sheet/batch.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

using orvandel::sheet::batch_job;
using orvandel::sheet::batch_status;

struct outcome {
    bool header_ok = false;
    batch_status status = batch_status::unusable;
    std::string output;
    std::size_t rows = 0;
    std::size_t failed_rows = 0;
};

outcome run(const std::string& input, std::size_t block_size) {
    std::istringstream in(input);
    std::ostringstream out;
    batch_job job(in, block_size);
    outcome o;
    o.header_ok = job.read_header();
    if (o.header_ok) {
        o.status = job.run(out);
    }
    o.output = out.str();
    o.rows = job.rows();
    o.failed_rows = job.failed_rows();
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const outcome whole = run(input, std::size_t{1} << 12);
    const outcome pieces = run(input, 1 + size % 7);
    FUZZ_CHECK(whole.header_ok == pieces.header_ok);
    FUZZ_CHECK(whole.status == pieces.status);
    FUZZ_CHECK(whole.output == pieces.output);
    FUZZ_CHECK(whole.rows == pieces.rows && whole.failed_rows == pieces.failed_rows);
    if (!whole.header_ok) {
        FUZZ_CHECK(whole.output.empty());
        return 0;
    }
    FUZZ_CHECK(whole.status != batch_status::unusable);
    FUZZ_CHECK(whole.failed_rows <= whole.rows);
    FUZZ_CHECK((whole.status == batch_status::all_rows_ok) == (whole.failed_rows == 0));
    // Every byte of the input's header comes first in the output.
    std::size_t header_end = input.find('\n');
    if (input.find('"') == std::string::npos && header_end != std::string::npos) {
        if (header_end > 0 && input[header_end - 1] == '\r') {
            --header_end;
        }
        FUZZ_CHECK(whole.output.compare(0, header_end, input, 0, header_end) == 0);
    }
    return 0;
}
