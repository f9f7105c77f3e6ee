// The application object and the program: start, the main window, the exit
// code when the last window closes.

#include "app/orvandel.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class app_test : public QObject {
    Q_OBJECT

private slots:
    void exit_ends_the_application_with_zero() {
        orvandel::app::orvandel application;
        application.open(QCoreApplication::arguments());
        QVERIFY(application.w_dornik && application.w_dornik->isVisible());
        QCOMPARE(application.gs_path, QDir::toNativeSeparators(QDir::currentPath()));
        auto* cb_3 = application.w_dornik->cb_3; // Exit, once the event loop runs
        QTimer::singleShot(0, cb_3, [cb_3] { QTest::mouseClick(cb_3, Qt::LeftButton); });
        QCOMPARE(QApplication::exec(), 0);
    }

    // Whatever the arguments hold, they are not used. The settings entry goes to
    // the user's configuration folder, nothing to the folder the program started in.
    void program_starts_and_paints() {
        QTemporaryDir config_home, started_in;
        qputenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit());
        qputenv("ORVANDEL_EXIT_AFTER_FIRST_PAINT", "1");
        QProcess program;
        program.setWorkingDirectory(started_in.path());
        program.start(QStringLiteral(ORVANDEL_PROGRAM), {"--amount", "1 2", "\"x\"", "$(true)"});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QFile::exists(config_home.filePath(QStringLiteral("orvandel/config.ini"))));
        QVERIFY(QDir(started_in.path()).isEmpty());
    }
};

QTEST_MAIN(app_test)
#include "app_test.moc"
