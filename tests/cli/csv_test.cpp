#include "csv.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace orvandel::cli {
namespace {

using namespace std::string_literals;

// A record as the test expects it: raw cells joined by "|", then the line end.
struct expected_record {
    std::string cells;
    std::string line_end;
    bool open_quote = false;
};

struct reader_case {
    const char* name;
    std::string input;
    std::vector<expected_record> records;
};

// Test names and failure messages show the case by its name.
void PrintTo(const reader_case& c, std::ostream* os) {
    *os << c.name;
}

std::vector<expected_record> read_all(const std::string& input, std::size_t block_size,
                                      bool* had_bom = nullptr) {
    std::istringstream in(input);
    csv_reader reader(in, block_size);
    csv_record record;
    std::vector<expected_record> seen;
    while (reader.next(record)) {
        std::string cells;
        for (std::size_t i = 0; i < record.cells.size(); ++i) {
            cells.append(i > 0 ? "|" : "").append(record.cells[i].raw);
        }
        seen.push_back({cells, std::string(record.line_end), record.open_quote});
    }
    if (had_bom != nullptr) {
        *had_bom = reader.had_bom();
    }
    return seen;
}

class CsvReader : public testing::TestWithParam<reader_case> {};

// Every case is read with blocks of many sizes, so that records, quotes and
// CRLF pairs split between two reads are covered.
TEST_P(CsvReader, FindsTheSameRecordsWhateverTheBlockSize) {
    const reader_case& c = GetParam();
    const std::size_t blocks[] = {1, 2, 3, 5, 16, std::size_t{1} << 20};
    for (const std::size_t block : blocks) {
        const auto seen = read_all(c.input, block);
        ASSERT_EQ(seen.size(), c.records.size()) << "block " << block;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].cells, c.records[i].cells) << "block " << block << " record " << i;
            EXPECT_EQ(seen[i].line_end, c.records[i].line_end) << "block " << block;
            EXPECT_EQ(seen[i].open_quote, c.records[i].open_quote) << "block " << block;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Records, CsvReader,
    testing::Values(
        reader_case{"lf", "a,b\nc,d\n", {{"a|b", "\n"}, {"c|d", "\n"}}},
        reader_case{"crlf", "a,b\r\nc\r\n", {{"a|b", "\r\n"}, {"c", "\r\n"}}},
        reader_case{"no_final_line_end", "a\nb,c", {{"a", "\n"}, {"b|c", ""}}},
        reader_case{"empty_input", "", {}},
        reader_case{"empty_cells", ",,\n,", {{"||", "\n"}, {"|", ""}}},
        reader_case{"blank_lines_are_records",
                    "a\n\n\r\nb\n",
                    {{"a", "\n"}, {"", "\n"}, {"", "\r\n"}, {"b", "\n"}}},
        reader_case{"quoted_separators",
                    "\"x,y\",\"1\r\n2\",\"q\"\"q\"\n",
                    {{"\"x,y\"|\"1\r\n2\"|\"q\"\"q\"", "\n"}}},
        reader_case{
            "quoted_empty_and_doubled_at_end", "\"\",\"\"\"\"\n", {{"\"\"|\"\"\"\"", "\n"}}},
        reader_case{"lone_cr_is_data", "a\rb,c\r", {{"a\rb|c\r", ""}}},
        reader_case{"quote_inside_unquoted_cell_is_data", "a\"b,c\n", {{"a\"b|c", "\n"}}},
        reader_case{"text_after_closing_quote_stays_in_cell", "\"a\"b,c\n", {{"\"a\"b|c", "\n"}}},
        reader_case{"unclosed_quote_runs_to_the_end", "a,\"b\nc,d", {{"a|\"b\nc,d", "", true}}},
        reader_case{
            "bytes_of_any_encoding", "\xD6\xD0,\xFF\x00z\n"s, {{"\xD6\xD0|\xFF\x00z"s, "\n"}}}),
    [](const testing::TestParamInfo<reader_case>& p) { return std::string(p.param.name); });

// The reading rules restated one byte at a time, without any of the reader's
// shortcuts: a record ends at LF or CRLF outside quotes, a quote opens quotes
// only at the start of a cell, "" inside quotes is a quote.
std::vector<expected_record> read_byte_by_byte(const std::string& input) {
    std::vector<expected_record> records;
    std::size_t i = 0;
    while (i < input.size()) {
        expected_record record;
        bool at_cell_start = true;
        bool inside = false;
        for (;;) {
            if (i == input.size()) {
                record.open_quote = inside;
                break;
            }
            const char c = input[i];
            if (inside) {
                if (c == '"' && i + 1 < input.size() && input[i + 1] == '"') {
                    record.cells += "\"\"";
                    i += 2;
                    continue;
                }
                inside = c != '"';
            } else if (c == '\n' || (c == '\r' && i + 1 < input.size() && input[i + 1] == '\n')) {
                record.line_end = c == '\n' ? "\n" : "\r\n";
                i += record.line_end.size();
                break;
            } else if (c == '"' && at_cell_start) {
                inside = true;
            }
            record.cells += c == ',' && !inside ? '|' : c;
            at_cell_start = c == ',' && !inside;
            ++i;
        }
        records.push_back(record);
    }
    return records;
}

// Random files of the bytes that matter, of lengths around the reader's
// sixteen-byte steps, read in blocks of every awkward size.
TEST(CsvReader, AgreesWithAByteByByteReadingOfRandomInput) {
    std::mt19937 random(20010501);
    const char alphabet[] = {'a', 'b', ',', ',', '"', '\r', '\n', '\n'};
    const std::size_t blocks[] = {1, 2, 15, 16, 17, 31, std::size_t{1} << 20};
    for (int n = 0; n < 3000; ++n) {
        std::string input(random() % 70, 'a');
        for (char& c : input) {
            c = alphabet[random() % sizeof alphabet];
        }
        const auto expected = read_byte_by_byte(input);
        for (const std::size_t block : blocks) {
            const auto seen = read_all(input, block);
            ASSERT_EQ(seen.size(), expected.size()) << testing::PrintToString(input);
            for (std::size_t k = 0; k < seen.size(); ++k) {
                ASSERT_EQ(seen[k].cells, expected[k].cells) << testing::PrintToString(input);
                ASSERT_EQ(seen[k].line_end, expected[k].line_end) << testing::PrintToString(input);
                ASSERT_EQ(seen[k].open_quote, expected[k].open_quote)
                    << testing::PrintToString(input);
            }
        }
    }
}

TEST(CsvReader, SkipsOnlyALeadingByteOrderMark) {
    bool bom = false;
    auto seen = read_all("\xEF\xBB\xBF"
                         "amount\n\xEF\xBB\xBF\n",
                         2, &bom);
    EXPECT_TRUE(bom);
    ASSERT_EQ(seen.size(), 2U);
    EXPECT_EQ(seen[0].cells, "amount");
    EXPECT_EQ(seen[1].cells, "\xEF\xBB\xBF");
    seen = read_all("amount\n", 2, &bom);
    EXPECT_FALSE(bom);
}

struct text_case {
    const char* raw;
    bool quoted;
    const char* text;
};

TEST(CsvCell, TextUndoesTheQuoting) {
    const text_case cases[] = {
        {"plain", false, "plain"},    {"a\"b", false, "a\"b"},  {"\"x,y\"", true, "x,y"},
        {"\"q\"\"q\"", true, "q\"q"}, {"\"\"", true, ""},       {"\"\"\"\"", true, "\""},
        {"\"a\"b", true, "ab"},       {"\"open", true, "open"}, {"\"a\"\"b\"c\"", true, "a\"bc\""},
    };
    for (const text_case& c : cases) {
        std::string scratch;
        EXPECT_EQ(cell_text({c.raw, c.quoted}, scratch), c.text) << c.raw;
    }
}

TEST(CsvCell, AppendQuotesOnlyWhenNeeded) {
    const std::pair<const char*, const char*> cases[] = {
        {"amount: not a number", "amount: not a number"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto& [text, written] : cases) {
        std::string out;
        append_cell(out, text);
        EXPECT_EQ(out, written);
    }
}

} // namespace
} // namespace orvandel::cli
