#include "runtime/program.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>

#include <string>
#endif

namespace orvandel::runtime {

bool run_program(const QString& program, const QStringList& arguments) {
    if (program.isEmpty()) {
        return false;
    }
    return QProcess::startDetached(program, arguments);
}

const QStringList& desktop_calculators() {
    // GNOME, KDE and MATE first, then the small stand-alone ones.
    static const QStringList names{
        QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
        QStringLiteral("mate-calc"),        QStringLiteral("galculator"),
        QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc"),
    };
    return names;
}

QString find_desktop_calculator() {
    for (const QString& name : desktop_calculators()) {
        QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) {
            return path;
        }
    }
    return {};
}

#ifdef Q_OS_WIN

std::int32_t getwindowsdirectory(QString& lpbuffer, std::int32_t nsize) {
    std::wstring buffer(static_cast<std::size_t>(nsize > 0 ? nsize : 0), L' ');
    const UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length > 0 && length < buffer.size()) {
        lpbuffer = QString::fromWCharArray(buffer.data(), static_cast<qsizetype>(length));
    }
    return static_cast<std::int32_t>(length);
}

bool start_system_calculator() {
    // The directory is asked for at every start. When it cannot be had (0) or
    // does not fit the buffer, nothing is started: "\system32\calc.exe" on
    // its own would name a program on the current drive.
    constexpr std::int32_t buffer_size = 200;
    QString stmp(buffer_size, QChar(u' '));
    const std::int32_t length = getwindowsdirectory(stmp, buffer_size);
    if (length <= 0 || length >= buffer_size) {
        return false;
    }
    const QString ls_path = stmp.left(length);
    const QString ls_xtjsq = ls_path + QStringLiteral("\\system32\\calc.exe");
    return run_program(ls_xtjsq);
}

#else

bool start_system_calculator() {
    return run_program(find_desktop_calculator());
}

#endif

bool open_in_browser(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace orvandel::runtime
