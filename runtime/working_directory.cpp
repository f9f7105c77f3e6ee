#include "runtime/working_directory.h"

#include <QDir>

namespace orvandel::runtime {

QString working_directory() {
    return QDir::toNativeSeparators(QDir::currentPath());
}

} // namespace orvandel::runtime
