#pragma once
// Starting other programs: the system calculator and the desktop's browser.

#include <QString>
#include <QStringList>

#include <cstdint>

class QUrl;

namespace orvandel::runtime {

// Starts `program` as a separate process, with no shell in between, and does
// not wait for it. A bare name is looked up on PATH. False when it could not
// be started (missing, not executable).
bool run_program(const QString& program, const QStringList& arguments = {});

// The desktop calculators that stand for the system calculator where there is
// no Windows directory, in the order they are tried.
const QStringList& desktop_calculators();

// The full path of the first desktop calculator found on PATH; empty if none is.
QString find_desktop_calculator();

// Starts the operating system's calculator: on Windows "system32\calc.exe"
// below the Windows directory, elsewhere the first desktop calculator found.
// Each call starts one more. False when none could be started; callers report
// nothing either way.
bool start_system_calculator();

// Opens `url` in the desktop's browser (or mail program, for mailto:).
bool open_in_browser(const QUrl& url);

#ifdef Q_OS_WIN
// The Windows directory written into the first characters of `lpbuffer`, which
// holds `nsize` characters; returns the length of the path, or the size needed
// when the buffer is too small, or 0 on failure (the buffer is then unchanged).
std::int32_t getwindowsdirectory(QString& lpbuffer, std::int32_t nsize);
#endif

} // namespace orvandel::runtime
