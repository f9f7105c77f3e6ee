#pragma once
// Asking the user for a file name to save to, through one place that tests
// can answer in advance instead of blocking on a dialog.

#include <QString>

class QWidget;

namespace orvandel::runtime {

// Shows the save dialog, starting at `suggested` (a file name or a path);
// returns the chosen path, with `suffix` (e.g. "pdf") added when the name
// has no suffix, or an empty string when the user cancelled.
[[nodiscard]] QString ask_save_file_name(QWidget* parent, const QString& title,
                                         const QString& suggested, const QString& filter,
                                         const QString& suffix);

// For tests: the next dialog is not shown but answered at once with `path`
// (empty: cancelled).
void push_save_file_name(const QString& path);

} // namespace orvandel::runtime
