#include "runtime/state_dir.h"

#include <QDir>
#include <QStandardPaths>

namespace orvandel::runtime {

QString state_directory() {
#ifdef _WIN32
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
#else
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg)
                             ? xdg
                             : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/orvandel");
#endif
}

} // namespace orvandel::runtime
