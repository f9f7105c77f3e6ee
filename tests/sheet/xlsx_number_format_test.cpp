// Number formats of workbooks: which are dates, and how many decimals each
// shows of a positive number, a negative one and zero.
#include "sheet/xlsx/number_format.h"

#include <gtest/gtest.h>

#include <array>

namespace orvandel::sheet::xlsx {
namespace {

using shown = std::array<int, 3>; // decimals for a positive number, a negative one, zero

shown decimals_of(const number_format& format) {
    return {format.decimals_for(1.5), format.decimals_for(-1.5), format.decimals_for(0)};
}

constexpr shown none{-1, -1, -1};
constexpr shown cents{2, 2, 2};
constexpr shown whole{0, 0, 0};

struct format_case {
    const char* name;
    const char* code;
    bool date;
    shown decimals;
};

TEST(XlsxNumberFormat, CodesOfTheFilesOwn) {
    const format_case cases[] = {
        {"General", "General", false, none},
        {"general, any case", "GENERAL", false, none},
        {"fixed cents", "0.00", false, cents},
        {"grouped cents", "#,##0.00", false, cents},
        {"yuan, red negatives", "¥#,##0.00;[Red]-¥#,##0.00", false, cents},
        {"yuan in a locale bracket", "[$¥-804]#,##0.00", false, cents},
        {"currency quoted", R"("CNY "#,##0.00)", false, cents},
        {"unit after, quoted", R"(0.00" 元")", false, cents},
        {"padding and fill", "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_)", false, {2, 2, 0}},
        {"whole numbers", "0", false, whole},
        {"grouped whole numbers", "#,##0", false, whole},
        {"one decimal", "0.0", false, {1, 1, 1}},
        {"four decimals", "0.0000", false, {4, 4, 4}},
        {"digits that come and go", "0.0#", false, none},
        {"space-padded digits", "0.0?", false, none},
        {"negatives in brackets, fewer decimals", "0.00;(0.0)", false, {2, 1, 2}},
        {"zero as a dash", R"(0.00;-0.00;"-")", false, {2, 2, -1}},
        {"negatives hidden", "0.00;;0.00", false, {2, -1, 2}},
        {"sections by condition, agreeing", "[<1000]0.00;#,##0.00", false, cents},
        {"sections by condition, differing", "[<1000]0.00;#,##0", false, none},
        {"percent", "0.00%", false, none},
        {"scientific", "0.00E+00", false, none},
        {"fraction", "# ?/?", false, none},
        {"thousands scaling", "#,##0,", false, none},
        {"thousands scaling with decimals", "0.00,", false, none},
        {"text", "@", false, none},
        {"escaped point is no point", R"(0\.00)", false, whole},
        {"quoted digits are no digits", R"("0.000"0.00)", false, cents},
        {"text only", R"("n/a")", false, none},
        {"ISO date", "yyyy-mm-dd", true, none},
        {"LibreOffice's ISO date", R"(YYYY\-MM\-DD)", true, none},
        {"Chinese date", R"(yyyy"年"m"月"d"日")", true, none},
        {"month and year", "mmm-yy", true, none},
        {"date and time", "yyyy-mm-dd hh:mm", true, none},
        {"red date", "[Red]d/m/yyyy", true, none},
        {"time of day", "h:mm", false, none},
        {"minutes and seconds", "mm:ss", false, none},
        {"elapsed hours", "[h]:mm", false, none},
        {"elapsed hours and seconds", "[h]:mm:ss", false, none},
        {"am/pm", "h:mm AM/PM", false, none},
        {"quoted letters are no date", R"(0.00" days")", false, cents},
        {"escaped letters are no date", R"(0.00\d)", false, cents},
        {"empty", "", false, none},
    };
    for (const auto& c : cases) {
        const number_format format = custom_format(c.code);
        EXPECT_EQ(format.date, c.date) << c.name;
        EXPECT_EQ(decimals_of(format), c.decimals) << c.name;
    }
}

TEST(XlsxNumberFormat, BuiltIn) {
    struct built_in_case {
        std::size_t id;
        bool date;
        shown decimals;
    };
    const built_in_case cases[] = {
        {0, false, none},       {1, false, whole},      {2, false, cents},  {3, false, whole},
        {4, false, cents},      {5, false, whole},      {7, false, cents},  {8, false, cents},
        {9, false, none},       {10, false, none},      {11, false, none},  {12, false, none},
        {14, true, none},       {15, true, none},       {17, true, none},   {18, false, none},
        {20, false, none},      {21, false, none},      {22, true, none},   {27, true, none},
        {31, true, none},       {32, false, none},      {34, false, none},  {36, true, none},
        {37, false, whole},     {39, false, cents},     {40, false, cents}, {41, false, {0, 0, -1}},
        {43, false, {2, 2, 0}}, {44, false, {2, 2, 0}}, {46, false, none},  {47, false, none},
        {49, false, none},      {50, true, none},       {55, false, none},  {57, true, none},
        {58, true, none},       {59, false, none},      {164, false, none},
    };
    for (const auto& c : cases) {
        const number_format format = built_in_format(c.id);
        EXPECT_EQ(format.date, c.date) << "id " << c.id;
        EXPECT_EQ(decimals_of(format), c.decimals) << "id " << c.id;
    }
}

} // namespace
} // namespace orvandel::sheet::xlsx
