#include "sheet/xlsx/number_format.h"

#include "calc/date.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>
#include <vector>

namespace orvandel::sheet::xlsx {
namespace {

// One section of a format code with its literal parts taken out: quoted
// text, escaped and padding characters, fills and anything not ASCII are
// gone, letters are lower case, and [brackets] leave only what matters: a
// condition ("[>100]") is noted, an elapsed time ("[h]") stays as "h".
struct section {
    std::string bare;
    bool condition = false;
};

std::vector<section> sections_of(std::string_view code) {
    std::vector<section> sections(1);
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char ch = code[i];
        if (ch == '"') {
            const std::size_t close = code.find('"', i + 1);
            i = close == std::string_view::npos ? code.size() : close;
        } else if (ch == '\\' || ch == '_' || ch == '*') {
            ++i;
        } else if (ch == '[') {
            const std::size_t close = code.find(']', i + 1);
            const std::string_view inside =
                code.substr(i + 1, close == std::string_view::npos ? 0 : close - i - 1);
            if (!inside.empty() && (inside[0] == '<' || inside[0] == '>' || inside[0] == '=')) {
                sections.back().condition = true;
            } else if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string::npos) {
                sections.back().bare += 'h';
            }
            i = close == std::string_view::npos ? code.size() : close;
        } else if (ch == ';') {
            sections.emplace_back();
        } else if (static_cast<unsigned char>(ch) < 0x80) {
            sections.back().bare += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        }
    }
    return sections;
}

bool has_any(std::string_view text, std::string_view letters) {
    return text.find_first_of(letters) != std::string_view::npos;
}

// A date has a year or a day; an m is a month unless an hour or a second
// makes it minutes ("h:mm", "mm:ss").
bool is_date(std::string_view bare) {
    const bool time = has_any(bare, "hs");
    return has_any(bare, "yd") || (!time && bare.find('m') != std::string_view::npos);
}

bool is_placeholder(char ch) {
    return ch == '0' || ch == '#' || ch == '?';
}

// The decimals a section shows, or -1.
int section_decimals(std::string_view bare) {
    if (bare.find("general") != std::string_view::npos || has_any(bare, "ymdhs%e/@")) {
        return -1;
    }
    const std::size_t first = bare.find_first_of("0#?");
    if (first == std::string_view::npos) {
        return -1; // no digits at all: a section of text only
    }
    const std::size_t point = bare.find('.', first);
    std::size_t end = point == std::string_view::npos ? bare.size() : point;
    while (end > first && !is_placeholder(bare[end - 1])) {
        --end; // past the last digit of the whole part
    }
    // A comma after the digits divides by a thousand: "#,##0," shows 1234567 as 1235.
    if (end < bare.size() && bare[end] == ',') {
        return -1;
    }
    if (point == std::string_view::npos) {
        return 0;
    }
    int decimals = 0;
    std::size_t at = point + 1;
    for (; at < bare.size() && is_placeholder(bare[at]); ++at) {
        if (bare[at] != '0') {
            return -1; // "0.0#": one decimal or two
        }
        ++decimals;
    }
    if (at < bare.size() && bare[at] == ',') {
        return -1;
    }
    return decimals;
}

} // namespace

int number_format::decimals_for(double value) const {
    return decimals[value > 0 ? 0 : value < 0 ? 1 : 2];
}

// Sections: positive; negative; zero; text. With one section it shows every
// number, with two the second shows negative numbers and the first zero.
// Sections chosen by a condition ("[>=1000]") cannot be told apart by sign:
// then all numbers get the decimals the sections agree on, or -1.
number_format custom_format(std::string_view code) {
    const std::vector<section> sections = sections_of(code);
    if (sections.size() == 1 && sections[0].bare == "general") {
        return {};
    }
    number_format format;
    for (const section& s : sections) {
        format.date = format.date || is_date(s.bare);
    }
    if (format.date) {
        return format;
    }
    const std::size_t numeric = std::min<std::size_t>(sections.size(), 3);
    std::array<int, 3> shown{};
    for (std::size_t i = 0; i < numeric; ++i) {
        shown[i] = section_decimals(sections[i].bare);
    }
    const bool conditional =
        std::any_of(sections.begin(), sections.begin() + static_cast<std::ptrdiff_t>(numeric),
                    [](const section& s) { return s.condition; });
    if (conditional) {
        const bool agree =
            std::all_of(shown.begin(), shown.begin() + static_cast<std::ptrdiff_t>(numeric),
                        [&](int d) { return d == shown[0]; });
        format.decimals.fill(static_cast<std::int8_t>(agree ? shown[0] : -1));
        return format;
    }
    const int positive = shown[0];
    const int negative = numeric >= 2 ? shown[1] : positive;
    const int zero = numeric >= 3 ? shown[2] : positive;
    const auto clamp = [](int d) { return static_cast<std::int8_t>(std::min(d, 127)); };
    format.decimals = {clamp(positive), clamp(negative), clamp(zero)};
    return format;
}

number_format built_in_format(std::size_t id) {
    // The codes Excel gives its built-in ids (ECMA-376 numFmt), with the
    // Chinese (simplified) locale's dates and times at 27-36 and 50-58.
    static const std::pair<std::size_t, std::string_view> codes[] = {
        {1, "0"},
        {2, "0.00"},
        {3, "#,##0"},
        {4, "#,##0.00"},
        {5, R"("$"#,##0_);("$"#,##0))"},
        {6, R"("$"#,##0_);[Red]("$"#,##0))"},
        {7, R"("$"#,##0.00_);("$"#,##0.00))"},
        {8, R"("$"#,##0.00_);[Red]("$"#,##0.00))"},
        {9, "0%"},
        {10, "0.00%"},
        {11, "0.00E+00"},
        {12, "# ?/?"},
        {13, "# ?\?/??"},
        {14, "mm-dd-yy"},
        {15, "d-mmm-yy"},
        {16, "d-mmm"},
        {17, "mmm-yy"},
        {18, "h:mm AM/PM"},
        {19, "h:mm:ss AM/PM"},
        {20, "h:mm"},
        {21, "h:mm:ss"},
        {22, "m/d/yy h:mm"},
        {27, R"(yyyy"年"m"月")"},
        {28, R"(m"月"d"日")"},
        {29, R"(m"月"d"日")"},
        {30, "m-d-yy"},
        {31, R"(yyyy"年"m"月"d"日")"},
        {32, R"(h"时"mm"分")"},
        {33, R"(h"时"mm"分"ss"秒")"},
        {34, R"(上午/下午h"时"mm"分")"},
        {35, R"(上午/下午h"时"mm"分"ss"秒")"},
        {36, R"(yyyy"年"m"月")"},
        {37, "#,##0 ;(#,##0)"},
        {38, "#,##0 ;[Red](#,##0)"},
        {39, "#,##0.00;(#,##0.00)"},
        {40, "#,##0.00;[Red](#,##0.00)"},
        {41, R"(_(* #,##0_);_(* \(#,##0\);_(* "-"_);_(@_))"},
        {42, R"(_("$"* #,##0_);_("$"* \(#,##0\);_("$"* "-"_);_(@_))"},
        {43, R"(_(* #,##0.00_);_(* \(#,##0.00\);_(* "-"??_);_(@_))"},
        {44, R"(_("$"* #,##0.00_);_("$"* \(#,##0.00\);_("$"* "-"??_);_(@_))"},
        {45, "mm:ss"},
        {46, "[h]:mm:ss"},
        {47, "mmss.0"},
        {48, "##0.0E+0"},
        {49, "@"},
        {50, R"(yyyy"年"m"月")"},
        {51, R"(m"月"d"日")"},
        {52, R"(yyyy"年"m"月")"},
        {53, R"(m"月"d"日")"},
        {54, R"(m"月"d"日")"},
        {55, R"(上午/下午h"时"mm"分")"},
        {56, R"(上午/下午h"时"mm"分"ss"秒")"},
        {57, R"(yyyy"年"m"月")"},
        {58, R"(m"月"d"日")"},
    };
    const auto* found = std::find_if(std::begin(codes), std::end(codes),
                                     [&](const auto& entry) { return entry.first == id; });
    return found == std::end(codes) ? number_format{} : custom_format(found->second);
}

cell serial_date(double serial, bool date1904, const std::string& number_text) {
    using namespace std::chrono;
    const double whole = std::floor(serial);
    if (!(whole >= 0 && whole <= 3'000'000)) {
        return cell::of_number(number_text);
    }
    const auto days = static_cast<int>(whole);
    sys_days day;
    if (date1904) {
        day = sys_days(year{1904} / January / 1) + std::chrono::days(days);
    } else if (days == 60) {
        return cell::of_text("1900-02-29"); // Excel's 1900 counts a 29 February that was not
    } else if (days == 0) {
        return cell::of_text("1900-01-00");
    } else {
        day = sys_days(year{1899} / December / (days < 60 ? 31 : 30)) + std::chrono::days(days);
    }
    const year_month_day ymd(day);
    if (!calc::is_calendar_day(ymd)) {
        return cell::of_number(number_text);
    }
    return cell::of_date(ymd);
}

} // namespace orvandel::sheet::xlsx
