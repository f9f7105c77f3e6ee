#pragma once

#include <QString>

namespace orvandel::runtime {

// The process's current working directory in the platform's own notation
// ("/home/user/work", "C:\Users\user\work").
[[nodiscard]] QString working_directory();

} // namespace orvandel::runtime
