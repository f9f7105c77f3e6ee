// The main window's About and System calculator buttons, in the program as the
// application object opens it: About opens the about window modeless and only
// once, with the picture below the working directory; the calculator button
// starts one more desktop calculator per press, and nothing when there is none.

#include "app/orvandel.h"
#include "runtime/edit_mask.h"
#include "ui/about/w_about.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using orvandel::ui::w_about;

namespace {

constexpr auto fake_calculator = R"(#!/bin/sh
echo "started ${0##*/} $#" >>"$ORVANDEL_FAKE_LOG"
)";

QStringList log_lines(const QString& log) {
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

int about_windows() {
    int count = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        count += (qobject_cast<w_about*>(top) != nullptr && top->isVisible()) ? 1 : 0;
    }
    return count;
}

} // namespace

class main_window_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void about_opens_once_and_leaves_the_main_window_usable();
    void calculator_button_data();
    void calculator_button();

private:
    QTemporaryDir config_home_;
    QTemporaryDir working_directory_;
};

void main_window_test::initTestCase() {
    qputenv("XDG_CONFIG_HOME", config_home_.path().toLocal8Bit());
    // The program is started in a folder holding its own res/about.JPG: a red one.
    QVERIFY(QDir(working_directory_.path()).mkpath(QStringLiteral("res")));
    QImage red(200, 366, QImage::Format_RGB32);
    red.fill(QColor(220, 20, 20));
    QVERIFY(red.save(working_directory_.filePath(QStringLiteral("res/about.JPG")), "JPG"));
    QVERIFY(QDir::setCurrent(working_directory_.path()));
}

void main_window_test::about_opens_once_and_leaves_the_main_window_usable() {
    orvandel::app::orvandel application;
    application.open({});
    orvandel::ui::w_dornik& main = *application.w_dornik;

    QTest::mouseClick(main.cb_2, Qt::LeftButton);
    auto* about = qobject_cast<w_about*>(application.w_about.data());
    QVERIFY(about != nullptr && about->isVisible());
    QCOMPARE(about->windowModality(), Qt::NonModal);
    QCOMPARE(about->picturename(), application.gs_path + QStringLiteral("\\res\\about.JPG"));
    const QColor shown = about->p_1->pixmap().toImage().scaled(1, 1).pixelColor(0, 0);
    QVERIFY2(shown.red() > 180 && shown.green() < 60, qPrintable(shown.name()));

    QTest::mouseClick(main.cb_2, Qt::LeftButton);
    QCOMPARE(application.w_about.data(), static_cast<QWidget*>(about));
    QCOMPARE(about_windows(), 1);

    // The main window takes input meanwhile, and keeps it when OK is pressed.
    main.activateWindow();
    QTRY_VERIFY(main.isActiveWindow());
    main.em_yjsk->setFocus();
    QTest::keyClick(main.em_yjsk, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(main.em_yjsk, QStringLiteral("250"));
    QTest::keyClick(main.em_yjsk, Qt::Key_Tab);
    const QString amount = main.em_yjsk->text();
    QCOMPARE(amount, QStringLiteral("250.00"));
    QTest::mouseClick(about->cb_1, Qt::LeftButton);
    QTRY_VERIFY(application.w_about.isNull());
    QVERIFY(main.isVisible());
    QCOMPARE(main.em_yjsk->text(), amount);
}

void main_window_test::calculator_button_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QStringList>("started");
    QTest::newRow("a calculator: one per press")
        << QStringList{"galculator"} << QStringList{"started galculator 0", "started galculator 0"};
    QTest::newRow("none: nothing, and no message") << QStringList{} << QStringList{};
}

void main_window_test::calculator_button() {
    QFETCH(QStringList, installed);
    QFETCH(QStringList, started);
    QTemporaryDir path;
    for (const QString& name : installed) {
        QFile script(path.filePath(name));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(fake_calculator);
        script.close();
        QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    const QString log = path.filePath(QStringLiteral("started.log"));
    qputenv("ORVANDEL_FAKE_LOG", log.toUtf8());
    const QByteArray saved_path = qgetenv("PATH");
    qputenv("PATH", path.path().toUtf8());

    orvandel::app::orvandel application;
    application.open({});
    QTest::mouseClick(application.w_dornik->cb_4, Qt::LeftButton);
    QTest::mouseClick(application.w_dornik->cb_4, Qt::LeftButton);
    qputenv("PATH", saved_path);

    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    if (started.isEmpty()) {
        QVERIFY(!QFile::exists(log));
    } else {
        QTRY_COMPARE(log_lines(log), started);
    }
}

QTEST_MAIN(main_window_test)
#include "main_window_test.moc"
