#include "sheet/columns.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
