#pragma once
// Where the program keeps state that is neither settings nor the user's
// documents: the worksheets' recovery files (runtime/recovery_file.h).

#include <QString>

namespace orvandel::runtime {

// $XDG_STATE_HOME/orvandel, or ~/.local/state/orvandel when it is unset or not
// absolute; on Windows the user's local application data folder. Not created.
[[nodiscard]] QString state_directory();

} // namespace orvandel::runtime
