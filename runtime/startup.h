#pragma once
// Start-up services of the desktop program.

class QCoreApplication;
class QWidget;

namespace orvandel::runtime {

// Loads Qt's own Simplified Chinese texts (standard buttons read 是/否/确定),
// whatever the user's locale: the whole form is in Chinese. Returns false
// when the translation is not installed; the buttons then stay in English.
bool install_qt_translation(QCoreApplication& application);

// Chooses Qt's offscreen platform when there is no display to show windows on
// (neither DISPLAY nor WAYLAND_DISPLAY is set) and no platform was chosen
// (QT_QPA_PLATFORM), so that a run that only writes files needs no display.
// Call before the application object is made. Does nothing on Windows and
// macOS, which always have their platform.
void use_offscreen_platform_without_display();

// Makes standard output and standard error reach the console the program was
// started from, where the platform starts a windowed program without them
// (Windows), so that --help is seen. Output already redirected to a file or a
// pipe is left alone; elsewhere this does nothing.
void attach_to_console();

// Set by ORVANDEL_EXIT_AFTER_FIRST_PAINT=1: the program ends with exit code 0
// as soon as its main window has been painted once (start-up measurements and
// packaging checks).
[[nodiscard]] bool exit_after_first_paint_requested();
// Ends the application's event loop with 0 right after `window`'s first paint.
void quit_after_first_paint(QWidget& window);

} // namespace orvandel::runtime
