#pragma once
// Where the program keeps state that is neither settings nor the user's
// documents: the worksheet's recovery file.

#include <QString>

namespace orvandel::runtime {

// $XDG_STATE_HOME/orvandel, or ~/.local/state/orvandel when it is unset or not
// absolute; on Windows the user's local application data folder. Not created.
[[nodiscard]] QString state_directory();

// The file that holds the worksheet's unsaved rows until it closes normally.
[[nodiscard]] QString worksheet_recovery_path();

} // namespace orvandel::runtime
