#include "sheet/csv.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

namespace orvandel::sheet {
namespace {

using namespace std::string_literals;

// The records as the test writes them: each record's raw cells joined by "|",
// then its line end in braces ("{}" at the end of the input, "{open}" when the
// input ends inside quotes).
std::string read_all(const std::string& input, std::size_t block_size) {
    std::istringstream in(input);
    csv_reader reader(in, block_size);
    csv_record record;
    std::string seen;
    while (reader.next(record)) {
        for (std::size_t i = 0; i < record.cells.size(); ++i) {
            seen.append(i > 0 ? "|" : "").append(record.cells[i].raw);
        }
        seen.append("{").append(record.line_end).append(record.open_quote ? "open}" : "}");
    }
    return seen;
}

// The reading rules restated one byte at a time, without any of the reader's
// shortcuts: a leading byte order mark is skipped; a record ends at LF or CRLF
// outside quotes (a lone CR is data); a quote opens quotes only at the start of
// a cell, elsewhere it is data; "" inside quotes is a quote.
std::string read_byte_by_byte(const std::string& input) {
    std::string seen;
    bool at_cell_start = true, inside = false, in_record = false;
    for (std::size_t i = input.starts_with("\xEF\xBB\xBF") ? 3 : 0; i < input.size(); ++i) {
        const char c = input[i];
        const bool crlf = c == '\r' && i + 1 < input.size() && input[i + 1] == '\n';
        if (inside && c == '"' && i + 1 < input.size() && input[i + 1] == '"') {
            seen += "\"\"";
            ++i;
        } else if (!inside && (c == '\n' || crlf)) {
            seen += crlf ? "{\r\n}" : "{\n}";
            i += crlf ? 1 : 0;
            at_cell_start = true;
            in_record = false;
        } else {
            inside = inside ? c != '"' : c == '"' && at_cell_start;
            seen += c == ',' && !inside ? '|' : c;
            at_cell_start = c == ',' && !inside;
            in_record = true;
        }
    }
    return in_record ? seen + (inside ? "{open}" : "{}") : seen;
}

// Random files of the bytes that matter (bytes of any encoding, byte order
// marks anywhere), of lengths around the reader's sixteen-byte steps, read in
// blocks of every awkward size, so that records, quotes, CRLF pairs and marks
// are split between two reads.
TEST(CsvReader, AgreesWithAByteByByteReadingOfRandomInput) {
    std::mt19937 random(20010501);
    const std::string pieces[] = {"a",  "b",  ",",    ",",   "\"",          "\r",
                                  "\n", "\n", "\xFF", "\0"s, "\xEF\xBB\xBF"};
    for (int n = 0; n < 3000; ++n) {
        std::string input;
        for (std::size_t length = random() % 70; input.size() < length;) {
            input += pieces[random() % std::size(pieces)];
        }
        const std::string expected = read_byte_by_byte(input);
        for (const std::size_t block : {1U, 2U, 15U, 16U, 17U, 31U, 1U << 20}) {
            ASSERT_EQ(read_all(input, block), expected) << testing::PrintToString(input);
        }
    }
}

} // namespace
} // namespace orvandel::sheet
