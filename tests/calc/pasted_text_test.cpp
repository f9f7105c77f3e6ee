#include "calc/pasted_text.h"

#include "calc/date.h"
#include "calc/number_text.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace orvandel::calc {
namespace {

using namespace std::string_view_literals;

struct accepted_case {
    const char* name;
    std::string_view text;
    const char* field_text;
};

struct refused_case {
    const char* name;
    std::string_view text;
    paste_error error;
};

using normaliser = result<std::string, paste_error> (*)(std::string_view);

void check_table(normaliser normalise, const auto& accepted, const auto& refused) {
    for (const accepted_case& c : accepted) {
        const auto r = normalise(c.text);
        ASSERT_TRUE(r.ok()) << c.name << ": " << paste_error_text(r.error());
        EXPECT_EQ(*r, c.field_text) << c.name;
    }
    for (const refused_case& c : refused) {
        const auto r = normalise(c.text);
        ASSERT_FALSE(r.ok()) << c.name << ": " << *r;
        EXPECT_EQ(r.error(), c.error) << c.name << ": " << paste_error_text(r.error());
    }
}

TEST(NormalisePastedAmount, TakesFiguresAsCopiedAndRefusesWhatItWouldHaveToGuess) {
    const accepted_case accepted[] = {
        {"plain", "12345.67", "12345.67"},
        {"grouped", "12,345.67", "12345.67"},
        {"grouped whole number", "1,234", "1234.00"},
        {"one decimal padded", "1,234.5", "1234.50"},
        {"whole number", "100", "100.00"},
        {"blanks around", " 12345.67 ", "12345.67"},
        {"spreadsheet cell", "12,345.67\r\n", "12345.67"},
        {"tabs around", "\t12345.67\t", "12345.67"},
        {"ideographic spaces", "\u300012345.67\u3000", "12345.67"},
        {"no-break spaces", "\u00a012345.67\u00a0", "12345.67"},
        {"yen sign", "¥12,345.67", "12345.67"},
        {"full-width yen sign", "￥12,345.67", "12345.67"},
        {"yen sign and blank", "¥ 12,345.67", "12345.67"},
        {"yuan", "12345.67元", "12345.67"},
        {"blank and yuan", "12345.67 元", "12345.67"},
        {"full-width", "１２３４５．６７", "12345.67"},
        {"full-width grouped", "１２，３４５．６７", "12345.67"},
        {"full-width comma in ASCII digits", "12，345.67", "12345.67"},
        {"everything at once", " ￥ １２，３４５．６７ 元\r\n", "12345.67"},
        {"leading zeros", "0012.00", "12.00"},
        {"zero", "0", ".00"},
        {"below one", "0.5", ".50"},
        {"point without decimals", "5.", "5.00"},
        {"the field's zero", ".00", ".00"},
        {"widest", "999,999,999,999.99", "999999999999.99"},
        {"twelve digits behind zeros", "0000123456789012", "123456789012.00"},
    };
    using enum paste_error;
    const refused_case refused[] = {
        {"nothing", "", empty},
        {"blanks only", " \t\r\n\u3000\u00a0", empty},
        {"thirteen integer digits", "1234567890123", amount_too_many_integer_digits},
        {"three decimals", "1.005", amount_too_many_decimals},
        {"trailing zero decimal", "1.500", amount_too_many_decimals},
        {"minus", "-12.00", amount_negative},
        {"minus sign", "−12", amount_negative},
        {"brackets", "(12.00)", amount_negative},
        {"full-width brackets", "（12.00）", amount_negative},
        {"minus after yen", "¥-12.00", amount_negative},
        {"trailing minus", "12.00-", amount_negative},
        {"minus zero", "-0.00", amount_negative},
        {"group of four", "1,2345.67", amount_bad_grouping},
        {"first group of four", "1234,567", amount_bad_grouping},
        {"decimal comma", "0,123", amount_bad_grouping},
        {"comma first", ",123", amount_bad_grouping},
        {"seven digits after a comma", "1,2345678", amount_bad_grouping},
        {"letters after", "12abc", amount_unrecognised},
        {"exponent", "1e5", amount_unrecognised},
        {"two points", "12.34.56", amount_unrecognised},
        {"plus", "+12", amount_unrecognised},
        {"two minus signs", "--12", amount_unrecognised},
        {"bracket not closed", "(12.00", amount_unrecognised},
        {"sign only", "¥", amount_unrecognised},
        {"point only", ".", amount_unrecognised},
        {"blank inside", "12 345.67", amount_unrecognised},
        {"two cells of a column", "12.00\r\n34.00", amount_unrecognised},
        {"two cells of a row", "12\t34", amount_unrecognised},
        {"yen sign after", "12¥", amount_unrecognised},
        {"yuan before", "元12", amount_unrecognised},
        {"comma in decimals", "1.234,56", amount_unrecognised},
        {"ideographic full stop", "12。34", amount_unrecognised},
        {"control character before",
         "\x02"
         "12",
         amount_unrecognised},
        {"invalid byte", "12\xff", amount_unrecognised},
        {"cut-off sequence", "12\xe5", amount_unrecognised},
        {"overlong digit", "\xc0\xb1", amount_unrecognised},
        {"overlong digit in three bytes", "\xe0\x80\xb1", amount_unrecognised},
    };
    check_table(normalise_pasted_amount, accepted, refused);
}

TEST(NormalisePastedDate, TakesYearFirstDatesAndRefusesEveryOtherOrder) {
    const accepted_case accepted[] = {
        {"field form", "2024-03-01", "2024-03-01"},
        {"short month and day", "2024-3-1", "2024-03-01"},
        {"slashes", "2024/3/1", "2024-03-01"},
        {"points", "2024.3.1", "2024-03-01"},
        {"Chinese", "2024年3月1日", "2024-03-01"},
        {"eight digits", "20240301", "2024-03-01"},
        {"full-width", "２０２４－０３－０１", "2024-03-01"},
        {"full-width Chinese", "２０２４年３月１日", "2024-03-01"},
        {"one hyphen full-width", "2024－3-1", "2024-03-01"},
        {"spreadsheet cell", "2024/3/1\r\n", "2024-03-01"},
        {"blanks and tabs", " \t2024.3.1\t ", "2024-03-01"},
        {"leap day", "2024-02-29", "2024-02-29"},
        {"first day", "0001-01-01", "0001-01-01"},
        {"last day", "9999-12-31", "9999-12-31"},
    };
    using enum paste_error;
    const refused_case refused[] = {
        {"nothing", "", empty},
        {"blanks only", "\r\n", empty},
        {"month first", "3/1/2024", date_not_year_first},
        {"day first", "01.03.2024", date_not_year_first},
        {"day 30 of February", "2024-02-30", date_no_such_day},
        {"leap day of a common year", "2023-02-29", date_no_such_day},
        {"month 13", "2024-13-01", date_no_such_day},
        {"month 0", "2024-0-10", date_no_such_day},
        {"day 31 of April", "2024年4月31日", date_no_such_day},
        {"eight digits, no such day", "20230229", date_no_such_day},
        {"eight digits, day first", "01032024", date_no_such_day},
        {"year 0", "0000-01-01", date_year_out_of_range},
        {"five-digit year", "10000-1-1", date_year_out_of_range},
        {"slash then hyphen", "2024/3-1", date_mixed_separators},
        {"words", "today", date_unrecognised},
        {"no day", "2024-3", date_unrecognised},
        {"two-digit year", "24-3-1", date_unrecognised},
        {"three-digit month", "2024-003-01", date_unrecognised},
        {"time of day", "2024-3-1 0:00", date_unrecognised},
        {"spreadsheet serial number", "45352", date_unrecognised},
        {"Chinese without day mark", "2024年3月1", date_unrecognised},
        {"day mark after hyphens", "2024-3-1日", date_unrecognised},
        {"doubled separator", "2024--3-1", date_unrecognised},
        {"blanks inside", "2024 - 3 - 1", date_unrecognised},
        {"separator after", "2024-03-01-", date_unrecognised},
        {"invalid byte", "2024-3-1\xff", date_unrecognised},
    };
    check_table(normalise_pasted_date, accepted, refused);
}

TEST(NormalisePastedDayCount, KeepsUpToSixDigitsAsGiven) {
    const accepted_case accepted[] = {
        {"digits", "30", "30"},
        {"leading zero kept", "030", "030"},
        {"widest", "999999", "999999"},
        {"spreadsheet cell", "30\r\n", "30"},
        {"tabs and blanks", "\t 15 \t", "15"},
        {"full-width", "\u3000３０\u3000", "30"},
    };
    using enum paste_error;
    const refused_case refused[] = {
        {"nothing", "", empty},
        {"blanks only", " \t", empty},
        {"seven digits", "1000000", day_count_too_many_digits},
        {"seven with a leading zero", "0999999", day_count_too_many_digits},
        {"minus", "-5", day_count_unrecognised},
        {"point", "5.", day_count_unrecognised},
        {"grouped", "1,000", day_count_unrecognised},
        {"unit", "30天", day_count_unrecognised},
        {"blank inside", "3 0", day_count_unrecognised},
        {"invalid byte", "\xff", day_count_unrecognised},
    };
    check_table(normalise_pasted_day_count, accepted, refused);
}

// Texts made of runs of digits (in both widths) and the other characters
// pastes are made of; a third of them shaped like a date so that dates come
// up often enough.
std::string random_text(std::mt19937& rng) {
    static constexpr std::string_view digits[] = {"0", "1", "2", "5", "9", "０", "１", "９"};
    static constexpr std::string_view others[] = {
        ",",  "，", ".",  "．",   "-",      "－",     "−",    "/",    "／",  "(",
        ")",  "（", "）", "+",    "e",      "¥",      "￥",   "元",   "年",  "月",
        "日", " ",  "\t", "\r\n", "\u3000", "\u00a0", "\xff", "\xe5", "\x01"};
    static constexpr std::string_view separators[] = {"-", "/", ".", "－", "年", "月", "日"};
    const auto pick = [&rng](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    std::string text;
    const auto add_digits = [&](std::size_t n) {
        for (; n > 0; --n) {
            text += digits[pick(std::size(digits))];
        }
    };
    if (pick(3) == 0) {
        add_digits(3 + pick(3));
        text += separators[pick(std::size(separators))];
        add_digits(1 + pick(2));
        text += separators[pick(std::size(separators))];
        add_digits(1 + pick(2));
        text += pick(2) == 0 ? "日" : "\r\n";
        return text;
    }
    for (std::size_t runs = pick(7); runs > 0; --runs) {
        if (pick(3) != 0) {
            add_digits(1 + pick(5));
        }
        text += others[pick(std::size(others))];
    }
    if (pick(2) != 0) {
        add_digits(1);
    }
    return text;
}

// What a normaliser accepts, the engine reads; normalising it again changes nothing.
TEST(PastedText, EveryAcceptedTextIsReadByTheEngineAndStaysAsItIs) {
    struct kind {
        const char* name;
        normaliser normalise;
        bool (*engine_reads)(std::string_view);
        int accepted = 0;
    } kinds[] = {
        {"amount", normalise_pasted_amount,
         [](std::string_view t) {
             const auto r = parse_amount_text(t);
             return r.ok() && r->scale == amount_decimals;
         }},
        {"date", normalise_pasted_date, [](std::string_view t) { return parse_date_text(t).ok(); }},
        {"day count", normalise_pasted_day_count,
         [](std::string_view t) { return parse_day_count_text(t).ok(); }},
    };
    std::mt19937 rng(20240301);
    for (int i = 0; i < 200000; ++i) {
        const std::string text = random_text(rng);
        for (kind& k : kinds) {
            const auto r = k.normalise(text);
            if (!r) {
                continue;
            }
            ++k.accepted;
            ASSERT_TRUE(k.engine_reads(*r)) << k.name << ": " << text << " -> " << *r;
            const auto again = k.normalise(*r);
            ASSERT_TRUE(again.ok() && *again == *r) << k.name << ": " << text << " -> " << *r;
        }
    }
    for (const kind& k : kinds) {
        EXPECT_GT(k.accepted, 100) << k.name << ": the texts should make up some of these";
    }
}

} // namespace
} // namespace orvandel::calc
