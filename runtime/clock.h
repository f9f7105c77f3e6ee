#pragma once
// Today's date for the program. The engine never reads the clock itself; the form
// asks here, and tests can fix the day.

#include <QDate>

#include <optional>

namespace orvandel::runtime {

// The machine's local date unless a test set one.
QDate today();

// nullopt = back to the real clock.
void set_today_for_testing(std::optional<QDate> day);

} // namespace orvandel::runtime
