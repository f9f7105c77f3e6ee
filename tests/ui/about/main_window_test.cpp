// The main window's About and System calculator buttons in the program: About
// opens the about window modeless and only once, with the picture below the
// working directory; the calculator button starts one more desktop calculator
// per press, and nothing, with no message, when there is none.

#include "app/orvandel.h"
#include "runtime/edit_mask.h"
#include "ui/about/w_about.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

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
    // The program starts in a folder that holds a red res/about.JPG of its own.
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
    auto* about = qobject_cast<orvandel::ui::w_about*>(application.w_about.data());
    QVERIFY(about != nullptr && about->isVisible());
    QCOMPARE(about->windowModality(), Qt::NonModal);
    QCOMPARE(about->picturename(), application.gs_path + QStringLiteral("\\res\\about.JPG"));
    const QColor shown = about->p_1->pixmap().toImage().scaled(1, 1).pixelColor(0, 0);
    QVERIFY2(shown.red() > 180 && shown.green() < 60, qPrintable(shown.name()));
    QTest::mouseClick(main.cb_2, Qt::LeftButton);
    QCOMPARE(application.w_about.data(), static_cast<QWidget*>(about)); // no second window

    // The main window takes input meanwhile and keeps it when OK is pressed.
    main.activateWindow();
    QTRY_VERIFY(main.isActiveWindow());
    main.em_yjsk->setFocus();
    QTest::keyClick(main.em_yjsk, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(main.em_yjsk, QStringLiteral("250"));
    QTest::keyClick(main.em_yjsk, Qt::Key_Tab);
    QCOMPARE(main.em_yjsk->text(), QStringLiteral("250.00"));
    QTest::mouseClick(about->cb_1, Qt::LeftButton);
    QTRY_VERIFY(application.w_about.isNull());
    QVERIFY(main.isVisible());
    QCOMPARE(main.em_yjsk->text(), QStringLiteral("250.00"));
}

void main_window_test::calculator_button_data() {
    QTest::addColumn<bool>("installed");
    QTest::newRow("a calculator: one per press") << true;
    QTest::newRow("none: nothing, and no message") << false;
}

void main_window_test::calculator_button() {
    QFETCH(bool, installed);
    QTemporaryDir path;
    if (installed) {
        QFile script(path.filePath(QStringLiteral("galculator")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho started >>\"$ORVANDEL_FAKE_LOG\"\n");
        script.close();
        QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    QFile log(path.filePath(QStringLiteral("started.log")));
    qputenv("ORVANDEL_FAKE_LOG", log.fileName().toUtf8());
    const QByteArray saved_path = qgetenv("PATH");
    qputenv("PATH", path.path().toUtf8());
    orvandel::app::orvandel application;
    application.open({});
    QTest::mouseClick(application.w_dornik->cb_4, Qt::LeftButton);
    QTest::mouseClick(application.w_dornik->cb_4, Qt::LeftButton);
    qputenv("PATH", saved_path);

    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    if (installed) {
        QTRY_COMPARE(log.size(), qint64(sizeof("started\nstarted\n") - 1));
    } else {
        QVERIFY(!log.exists());
    }
}

QTEST_MAIN(main_window_test)
#include "main_window_test.moc"
