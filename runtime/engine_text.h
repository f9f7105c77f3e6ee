#pragma once
// Crossing between the engine's values and texts (UTF-8, std::chrono dates)
// and Qt's strings and dates.

#include "calc/date.h"

#include <QDate>
#include <QString>

#include <string>
#include <string_view>

namespace orvandel::runtime {

[[nodiscard]] inline QString qstring(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

[[nodiscard]] inline std::string utf8(const QString& text) {
    return text.toStdString();
}

[[nodiscard]] inline calc::date to_calc_date(const QDate& day) {
    return calc::date{std::chrono::year{day.year()},
                      std::chrono::month{static_cast<unsigned>(day.month())},
                      std::chrono::day{static_cast<unsigned>(day.day())}};
}

[[nodiscard]] inline QDate to_qdate(const calc::date& day) {
    return QDate(static_cast<int>(day.year()), static_cast<int>(static_cast<unsigned>(day.month())),
                 static_cast<int>(static_cast<unsigned>(day.day())));
}

// "yyyy-mm-dd", as the engine writes dates; empty for a day outside 0001..9999.
[[nodiscard]] inline QString date_text(const QDate& day) {
    return qstring(calc::format_date_text(to_calc_date(day)).value_or(""));
}

} // namespace orvandel::runtime
