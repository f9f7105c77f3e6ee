#pragma once
// Asking the user for a file to save to or to open, through one place that
// tests can answer in advance instead of blocking on a dialog.

#include <QString>

class QWidget;

namespace orvandel::runtime {

// Shows the save dialog, starting at `suggested` (a file name or a path);
// returns the chosen path, with `suffix` (e.g. "pdf") added when the name
// has no suffix, or an empty string when the user cancelled.
[[nodiscard]] QString ask_save_file_name(QWidget* parent, const QString& title,
                                         const QString& suggested, const QString& filter,
                                         const QString& suffix);

// Shows the open dialog in `folder`; returns the chosen path, or an empty
// string when the user cancelled.
[[nodiscard]] QString ask_open_file_name(QWidget* parent, const QString& title,
                                         const QString& folder, const QString& filter);

// For tests: the next dialog, to save or to open, is not shown but answered
// at once with `path` (empty: cancelled).
void push_file_name(const QString& path);

} // namespace orvandel::runtime
