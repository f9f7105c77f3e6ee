#include "sheet/tsv.h"

#include <gtest/gtest.h>

#include <string>

namespace orvandel::sheet {
namespace {

// Clipboard payloads as the spreadsheets put them there: Excel and WPS on
// Windows end every row with CRLF, the last one included; LibreOffice on
// Linux with LF. A cell with a tab, a line break (Alt+Enter, stored as LF) or
// a quote comes quoted, each quote inside doubled.
TEST(ParseTsv, ReadsWhatSpreadsheetsPutOnTheClipboard) {
    struct payload_case {
        const char* name;
        std::string bytes;
        text_grid rows;
    };
    const payload_case cases[] = {
        {"excel_block_trailing_crlf",
         "增值税 2024年3月\t12,345.67\t2024/3/15\t2024/4/20\r\n"
         "附加税\t¥1234.50\t2024年3月15日\t\r\n",
         {{"增值税 2024年3月", "12,345.67", "2024/3/15", "2024/4/20"},
          {"附加税", "¥1234.50", "2024年3月15日", ""}}},
        {"excel_one_cell", "12345.67\r\n", {{"12345.67"}}},
        {"excel_quoted_line_break_and_quotes",
         "\"第一行\n第二行\"\t\"说\"\"明\"\"\"\t100\r\n",
         {{"第一行\n第二行", "说\"明\"", "100"}}},
        {"excel_quoted_tab", "\"a\tb\"\t1\r\n", {{"a\tb", "1"}}},
        {"wps_empty_cells_at_both_ends", "\t100\t\r\n\t\t\r\n", {{"", "100", ""}, {"", "", ""}}},
        {"libreoffice_lf",
         "项目\t金额\n所得税\t20240301\n",
         {{"项目", "金额"}, {"所得税", "20240301"}}},
        {"no_trailing_line_end", "a\tb\r\nc\td", {{"a", "b"}, {"c", "d"}}},
        {"blank_row_inside", "a\r\n\r\nb\r\n", {{"a"}, {""}, {"b"}}},
        {"quote_inside_unquoted_cell_is_data", "5\"\tx\"y\r\n", {{"5\"", "x\"y"}}},
        {"unclosed_quote_read_as_it_stands", "\"abc\tdef\r\n", {{"\"abc", "def"}}},
        {"text_after_closing_quote_kept", "\"ab\"cd\tx\r\n", {{"abcd", "x"}}},
        {"empty", "", {}},
        {"only_line_end", "\r\n", {{""}}},
    };
    for (const payload_case& c : cases) {
        EXPECT_EQ(parse_tsv(c.bytes), c.rows) << c.name;
    }
}

TEST(WriteTsv, QuotesWhatNeedsItAndReadsBack) {
    const text_grid rows{
        {"项目", "12,345.67", ""}, {"a\tb", "line\nbreak", "say \"hi\""}, {"cr\r", "", "end"}};
    const std::string written = write_tsv(rows);
    EXPECT_EQ(written, "项目\t12,345.67\t\r\n"
                       "\"a\tb\"\t\"line\nbreak\"\t\"say \"\"hi\"\"\"\r\n"
                       "\"cr\r\"\t\tend\r\n");
    EXPECT_EQ(parse_tsv(written), rows);
}

TEST(WriteHtmlTable, EscapesTextAndAlignsFigures) {
    const std::string html =
        write_html_table({{"<b>&\"", "1,234.50"}, {"a\r\nb", ""}}, {false, true});
    EXPECT_NE(html.find("<td>&lt;b&gt;&amp;&quot;</td><td align=\"right\">1,234.50</td>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<td>a<br>b</td>"), std::string::npos) << html;
    EXPECT_NE(html.find("charset=\"utf-8\""), std::string::npos);
}

} // namespace
} // namespace orvandel::sheet
