#include "published_calendars.h"

#include <algorithm>

namespace orvandel::calc {
namespace {

using std::chrono::year;

// The notices are quoted by their document number; where no number could be
// found, by their title.
constexpr std::array<published_calendar, 8> calendars{{
    {year{2018},
     "《国家税务总局办公厅关于明确2018年度申报纳税期限的通知》",
     {15, 22, 15, 18, 15, 15, 16, 15, 17, 24, 15, 17},
     {}},
    // 税总办函〔2019〕449号 set February to the 17th and April to the 20th. Of
    // the extensions for the epidemic, 税总函〔2020〕27号 moved February's day to
    // the 28th for monthly filers outside Hubei (Hubei's own bureau set its
    // day), and 税总函〔2020〕55号 moved April's to the 24th nationwide. May's
    // separate notice of 2020-04-27 confirmed the 22nd the calendar had set.
    {year{2020},
     "税总办函〔2019〕449号",
     {15, 28, 16, 24, 22, 15, 15, 17, 15, 23, 16, 15},
     {"", "税总函〔2020〕27号（湖北省除外）", "", "税总函〔2020〕55号"}},
    {year{2021}, "税总办函〔2020〕242号", {20, 23, 15, 20, 21, 18, 15, 16, 15, 26, 15, 15}, {}},
    {year{2022}, "税总办征科函〔2021〕201号", {19, 23, 15, 20, 19, 20, 15, 15, 20, 25, 15, 15}, {}},
    {year{2023}, "税总办征科函〔2022〕245号", {16, 15, 15, 17, 18, 15, 17, 15, 15, 23, 15, 15}, {}},
    {year{2024},
     "《国家税务总局办公厅关于明确2024年度申报纳税期限的通知》",
     {15, 23, 15, 18, 22, 19, 15, 15, 18, 24, 15, 16},
     {}},
    {year{2025}, "税总办征科函〔2024〕71号", {15, 20, 17, 18, 22, 16, 15, 15, 15, 27, 17, 15}, {}},
    {year{2026}, "税总办征科函〔2025〕64号", {20, 24, 16, 20, 22, 15, 15, 17, 15, 26, 16, 15}, {}},
}};

} // namespace

std::span<const published_calendar> published_calendars() {
    return calendars;
}

std::optional<published_deadline> published_deadline_in(std::chrono::year_month month) {
    const auto found = std::find_if(calendars.begin(), calendars.end(),
                                    [&month](const auto& c) { return c.year == month.year(); });
    if (found == calendars.end() || !month.ok()) {
        return std::nullopt;
    }
    const auto at = static_cast<unsigned>(month.month()) - 1U;
    const std::string_view moved = found->moved[at];
    return published_deadline{month / std::chrono::day{found->days[at]},
                              moved.empty() ? found->notice : moved};
}

} // namespace orvandel::calc
