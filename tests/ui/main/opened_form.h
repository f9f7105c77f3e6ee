#pragma once
// The main window opened as the program opens it, on a fixed day and with a
// settings folder of its own; and helpers that act on it as a person would.

#include "runtime/clock.h"
#include "runtime/fonts.h"
#include "runtime/message_box.h"
#include "ui/main/w_dornik.h"

#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace orvandel::test {

inline const QDate fixed_today{2024, 3, 15};

struct opened_form {
    QTemporaryDir config_home;
    QString gs_path;
    std::unique_ptr<ui::w_dornik> window;

    // `before_open` runs once the settings folder is set, before the window opens.
    template <class F = void (*)(const QString&)>
    explicit opened_form(F before_open = [](const QString&) {}) {
        QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
        qputenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit());
        runtime::install_font_substitutes();
        runtime::set_today_for_testing(fixed_today);
        before_open(config_home.path());
        window = std::make_unique<ui::w_dornik>(gs_path);
        window->open();
        window->activateWindow();
    }
    ~opened_form() {
        runtime::set_today_for_testing(std::nullopt);
        (void)runtime::take_recorded_boxes();
    }
    opened_form(const opened_form&) = delete;
    opened_form& operator=(const opened_form&) = delete;

    ui::w_dornik* operator->() const { return window.get(); }
};

// Selects the field's text with the mouse and the keyboard and types over it.
inline void type_into(runtime::edit_mask* field, const QString& keys) {
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, keys);
}

// Saves the window as a PNG in $ORVANDEL_SCREENSHOT_DIR, when that is set,
// for people to look at the form; nothing compares the pictures.
inline void save_screenshot(QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("ORVANDEL_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        window.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }
}

} // namespace orvandel::test
