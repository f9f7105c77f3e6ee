// The one reader of sheets: which header text names which column, blank rows,
// day counts beside a dated row's results, amounts a formula computed, rows
// of the wrong width; and the column table's own promises.
#include "sheet/reader.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace orvandel::sheet {
namespace {

std::vector<std::string_view> split(std::string_view line) {
    std::vector<std::string_view> cells;
    for (std::size_t at = 0;;) {
        const std::size_t comma = line.find(',', at);
        cells.push_back(line.substr(at, comma - at));
        if (comma == std::string_view::npos) {
            return cells;
        }
        at = comma + 1;
    }
}

TEST(SheetLayout, ReadsTheHeader) {
    struct case_ {
        const char* name;
        const char* header;
        std::string problem; // empty: read
    };
    const case_ cases[] = {
        {"english", "item,amount,due_date,pay_date,x", ""},
        {"chinese_any_order", "实际缴款日期,缴款期限,应缴税款金额", ""},
        {"no_amount", "item,due_date", "the header has no amount column"},
        {"named_twice", "amount,due_date,due_date", "the header names the column due_date twice"},
        // A name in the other language is an unknown column, so it is no second amount.
        {"other_language_is_unknown", "amount,应缴税款金额,缴款期限", ""},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.name);
        const auto layout = sheet_layout::read(split(c.header));
        EXPECT_EQ(layout.ok(), c.problem.empty());
        if (!layout) {
            EXPECT_EQ(describe(layout.error(), language::english), c.problem);
        }
    }
    const auto mixed = sheet_layout::read(split("amount,应缴税款金额,缴款期限,start_date"));
    ASSERT_TRUE(mixed.ok());
    EXPECT_EQ(mixed->lang(), language::english);
    EXPECT_EQ(mixed->unknown(), (std::vector<std::size_t>{1, 2}));
    EXPECT_FALSE(mixed->has(column::due_date));
    EXPECT_EQ(mixed->offered(), pair_bit(period_basis::start_and_end));
}

// One row of the header below, its cells as given: what the rules read.
TEST(ReadRow, ReadsTheInputsByTheRules) {
    const std::string header = "amount,due_date,pay_date,days_before,days_after,total_days";
    const auto layout = sheet_layout::read(split(header));
    ASSERT_TRUE(layout.ok());
    struct case_ {
        const char* name;
        const char* row;
        std::vector<std::int8_t> shown; // the decimals each cell's format shows
        const char* amount;
        const char* days_before;
        const char* note; // in Chinese
        bool blocks;
    };
    const case_ cases[] = {
        {"typed_days", "100,,,3,4,", {}, "100", "3", "", false},
        // Written with its results by the batch or the worksheet.
        {"results_beside_dates", "100,2024-03-01,2024-03-02,0,1,1", {}, "100", "", "", false},
        // No 合计滞纳天数: the day counts were given, a second pair.
        {"two_pairs_given", "100,2024-03-01,2024-03-02,0,1,", {}, "100", "0", "", false},
        {"amount_as_the_cell_shows_it",
         "864.1969,2024-03-01,2024-03-02,,,",
         {2, -1, -1, -1, -1, -1},
         "864.20",
         "",
         "按单元格显示值864.20计算（存储值864.1969）",
         false},
        {"half_a_cent_up",
         "0.005,,,1,1,",
         {2},
         "0.01",
         "1",
         "按单元格显示值0.01计算（存储值0.005）",
         false},
        // Only a format of two decimals shows the amount: others are refused as typed.
        {"general_format_refused", "864.1969,,,1,1,", {-1}, "864.1969", "1", "", false},
        {"no_decimals_format_refused", "864.1969,,,1,1,", {0}, "864.1969", "1", "", false},
        {"two_decimals_kept", "864.19,,,1,1,", {2}, "864.19", "1", "", false},
        {"short_row", "100,,", {}, "100", "", "行：有3格，表头有6格", true},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string_view> cells = split(c.row);
        row_texts texts;
        reading_note note;
        std::string scratch;
        read_row(*layout, {cells, c.shown, false}, texts, note, scratch);
        EXPECT_EQ(texts.amount, c.amount);
        EXPECT_EQ(texts.days_before, c.days_before);
        EXPECT_EQ(describe(note, language::chinese), c.note);
        EXPECT_EQ(note.blocks(), c.blocks);
    }
}

// Blank rows between rows are rows (blank); blank rows at the end are none.
TEST(SheetReader, BlankRowsAndTheEnd) {
    std::istringstream in(
        "amount,days_before,days_after\r\n1,1,1\r\n\r\n,,\r\n2,x,1\r\n,,\r\n\r\n");
    csv_source source(in);
    sheet_reader reader(source);
    ASSERT_TRUE(reader.read_header());
    std::vector<std::string> seen;
    sheet_row row;
    while (reader.next(row)) {
        seen.push_back(row.blank ? "blank"
                                 : describe(row.outcome, language::english) + "|" +
                                       std::string(row.texts.amount));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"|1", "blank", "blank",
                                              "days_before: not a whole number|2"}));
    EXPECT_FALSE(reader.problem());
}

// Every column has its facts, and every name reads back as its own column
// and language, so no two columns share a name in either language.
TEST(Columns, EveryNameReadsBackAsItsColumn) {
    std::set<std::string> seen;
    for (std::size_t i = 0; i < column_count; ++i) {
        const auto c = static_cast<column>(i);
        EXPECT_FALSE(column_rule(c).empty());
        for (const language lang : {language::english, language::chinese}) {
            const std::string_view name = column_name(c, lang);
            ASSERT_FALSE(name.empty());
            EXPECT_TRUE(seen.insert(std::string(name)).second) << name;
            const auto named = column_named(name);
            ASSERT_TRUE(named) << name;
            EXPECT_EQ(named->role, c) << name;
            EXPECT_EQ(named->lang, lang) << name;
        }
        // What a row is read from is exactly what the worksheet keeps a text of.
        EXPECT_EQ(input_slot(c).has_value(), facts(c).use != column_use::result) << i;
    }
    for (const char* header : {"", "Amount", " amount", "amount ",
                               "\xEF\xBB\xBF"
                               "amount",
                               "\"amount\"", "金额", "备注 ", "days", "note"}) {
        EXPECT_FALSE(column_named(header)) << header;
    }
}

} // namespace
} // namespace orvandel::sheet
