#pragma once
// The main window opened as the program opens it, on a fixed day and with a
// settings folder of its own; and helpers that act on it as a person would.

#include "runtime/clock.h"
#include "runtime/fonts.h"
#include "runtime/message_box.h"
#include "runtime/settings_file.h"
#include "ui/main/w_dornik.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace orvandel::test {

inline const QString formula_before =
    QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)");
inline const QString formula_after =
    QStringLiteral("=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)");

struct opened_form {
    QTemporaryDir config_home;
    QString settings_path; // where the form's settings file is written
    QString blocker;       // what stands in its way, when it is blocked
    QString gs_path;       // what the open handler recorded
    std::unique_ptr<ui::w_dornik> window;

    // `block_settings`: an empty file stands where the settings folder should
    // be; on Windows, where the file lies beside the program, an empty folder
    // stands in the file's place.
    explicit opened_form(bool block_settings = false) {
        QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
        qputenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit());
        runtime::install_font_substitutes();
        runtime::set_today_for_testing(QDate(2024, 3, 15));
        settings_path = runtime::settings_file_path(QStringLiteral("config.ini"));
        remove_beside_program();
        if (block_settings) {
#ifdef _WIN32
            blocker = settings_path;
            QDir().mkpath(blocker);
#else
            blocker = config_home.filePath(QStringLiteral("orvandel"));
            QFile(blocker).open(QIODevice::WriteOnly);
#endif
        }
        window = std::make_unique<ui::w_dornik>();
        QObject::connect(window.get(), &ui::w_dornik::working_directory_recorded,
                         [this](const QString& path) { gs_path = path; });
        window->open();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    ~opened_form() {
        (void)runtime::take_recorded_boxes();
        remove_beside_program();
    }
    // Outside the temporary folder (Windows), what a test left is removed.
    void remove_beside_program() const {
        if (!settings_path.startsWith(config_home.path())) {
            QFile::remove(settings_path);
            QDir().rmdir(settings_path);
        }
    }

    ui::w_dornik* operator->() const {
        return window.get();
    }
};

// Acts on the form step by step, as a person would: "em_2=2001-04-21" types over
// a field, "em_yjsk:=12a" gives it a text typing cannot give, a control's name
// clicks it, anything else ("Tab", "Return", "Alt+S", "Up") presses the keys
// where the focus is.
inline void perform(const opened_form& f, const QString& steps) {
    for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
        const auto set = step.indexOf(QLatin1String(":=")), typed = step.indexOf(u'=');
        if (set > 0) {
            f.window->findChild<runtime::edit_mask*>(step.left(set))->set_text(step.mid(set + 2));
        } else if (typed > 0) {
            auto* field = f.window->findChild<QWidget*>(step.left(typed));
            QTest::mouseClick(field, Qt::LeftButton); // and select all, to type over it
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, step.mid(typed + 1));
        } else if (auto* control = f.window->findChild<QWidget*>(step)) {
            QTest::mouseClick(control, Qt::LeftButton);
        } else {
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(step));
        }
    }
}

// name=text of every control, in the order the window holds them.
inline QStringList controls(const QWidget& window) {
    QStringList shown;
    for (const QObject* child : window.children()) {
        if (child->isWidgetType()) {
            shown << child->objectName() + u'=' + child->property("text").toString();
        }
    }
    return shown;
}

// Saves the window as a PNG in $ORVANDEL_SCREENSHOT_DIR, when that is set,
// for people to look at the form; nothing compares the pictures.
inline void save_screenshot(QWidget& window, const QString& name) {
    if (const QString folder = qEnvironmentVariable("ORVANDEL_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        window.grab().save(folder + u'/' + name + QStringLiteral(".png"));
    }
}

} // namespace orvandel::test
