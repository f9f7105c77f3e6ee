#include "sheet/columns.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace orvandel::sheet {
namespace {

// Every name reads back as its own column and language, so no two columns
// share a name in either language.
TEST(Columns, EveryNameReadsBackAsItsColumn) {
    std::set<std::string> seen;
    for (std::size_t i = 0; i < column_count; ++i) {
        const auto c = static_cast<column>(i);
        for (const language lang : {language::english, language::chinese}) {
            const std::string_view name = column_name(c, lang);
            ASSERT_FALSE(name.empty());
            EXPECT_TRUE(seen.insert(std::string(name)).second) << name;
            const auto named = column_named(name);
            ASSERT_TRUE(named) << name;
            EXPECT_EQ(named->role, c) << name;
            EXPECT_EQ(named->lang, lang) << name;
        }
    }
}

TEST(Columns, NamesAreTheBatchsAndTheWorksheets) {
    const std::tuple<column, const char*, const char*> cases[] = {
        {column::amount, "amount", "应缴税款金额"},
        {column::due_date, "due_date", "缴款期限"},
        {column::pay_date, "pay_date", "实际缴款日期"},
        {column::start_date, "start_date", "起始日期"},
        {column::end_date, "end_date", "终止日期"},
        {column::days_before, "days_before", "2001年04月30日前滞纳天数"},
        {column::days_after, "days_after", "2001年05月01日后滞纳天数"},
        {column::tax_and_fee_total, "tax_and_fee_total", "税款与滞纳金合计"},
        {column::note, "error", "备注"},
    };
    for (const auto& [c, english, chinese] : cases) {
        EXPECT_EQ(column_name(c, language::english), english);
        EXPECT_EQ(column_name(c, language::chinese), chinese);
    }
}

// Only the exact name is a column; anything else is passed through.
TEST(Columns, NearNamesAreNoColumn) {
    for (const char* header : {"", "Amount", " amount", "amount ",
                               "\xEF\xBB\xBF"
                               "amount",
                               "\"amount\"", "金额", "备注 ", "days"}) {
        EXPECT_FALSE(column_named(header)) << header;
    }
}

} // namespace
} // namespace orvandel::sheet
