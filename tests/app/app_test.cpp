// The application object and the program: start, the main window, the exit
// code when the last window closes.

#include "app/orvandel.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class app_test : public QObject {
    Q_OBJECT

private slots:
    void exit_ends_the_application_with_zero();
    void program_starts_and_paints_data();
    void program_starts_and_paints();
};

void app_test::exit_ends_the_application_with_zero() {
    QTemporaryDir config_home;
    qputenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit());
    orvandel::app::orvandel application;
    QCOMPARE(application.appname, QStringLiteral("orvandel"));
    application.open(QCoreApplication::arguments());
    QVERIFY(application.w_dornik && application.w_dornik->isVisible());
    QCOMPARE(application.gs_path, QDir::toNativeSeparators(QDir::currentPath()));

    QTimer::singleShot(0, application.w_dornik, [&application] {
        QTest::mouseClick(application.w_dornik->cb_3, Qt::LeftButton);
    });
    QCOMPARE(QApplication::exec(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(application.w_dornik.isNull()); // closing released the window
}

void app_test::program_starts_and_paints_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no arguments") << QStringList{};
    QTest::newRow("arguments are not used") << QStringList{"--amount", "1 2", "\"x\"", "$(true)"};
}

void app_test::program_starts_and_paints() {
    QFETCH(QStringList, arguments);
    QTemporaryDir config_home;
    QTemporaryDir started_in;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORVANDEL_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config_home.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(started_in.path());
    program.start(QStringLiteral(ORVANDEL_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // The settings entry went to the user's configuration folder, nothing to
    // the folder the program was started in.
    QVERIFY(QFile::exists(config_home.filePath(QStringLiteral("orvandel/config.ini"))));
    QVERIFY(QDir(started_in.path()).isEmpty());
}

QTEST_MAIN(app_test)
#include "app_test.moc"
