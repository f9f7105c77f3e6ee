// Starting the system calculator starts the first desktop calculator found on
// PATH, one more per call, with no shell in between; with none it starts
// nothing. Fake calculators (scripts that log their start) sit in a folder that
// is the whole of PATH, named so that a shell would split it.

#include "runtime/program.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

class program_test : public QObject {
    Q_OBJECT

private slots:
    void system_calculator_data();
    void system_calculator();
};

void program_test::system_calculator_data() {
    QTest::addColumn<QStringList>("executable");
    QTest::addColumn<QStringList>("not_executable");
    QTest::addColumn<QString>("started"); // empty: none
    QTest::newRow("only the last of the list") << QStringList{"xcalc"} << QStringList{} << "xcalc";
    QTest::newRow("GNOME before the rest") << QStringList{"xcalc", "galculator", "gnome-calculator"}
                                           << QStringList{} << "gnome-calculator";
    QTest::newRow("one that cannot run is passed over")
        << QStringList{"qalculate-gtk"} << QStringList{"gnome-calculator"} << "qalculate-gtk";
    QTest::newRow("none") << QStringList{"calculator"} << QStringList{"xcalc"} << "";
}

void program_test::system_calculator() {
    QFETCH(QStringList, executable);
    QFETCH(QStringList, not_executable);
    QFETCH(QString, started);
    QTemporaryDir path(QDir::tempPath() + "/my calc 'q'-XXXXXX");
    for (const QString& name : executable + not_executable + QStringList{"marker"}) {
        QFile script(path.filePath(name));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"${0##*/} $#\" >>\"$ORVANDEL_FAKE_LOG\"\n");
        QVERIFY(script.setPermissions(!not_executable.contains(name)
                                          ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                          : QFileDevice::ReadOwner));
    }
    const QString log = path.filePath("started.log");
    qputenv("ORVANDEL_FAKE_LOG", log.toUtf8());
    const QByteArray saved_path = qgetenv("PATH");
    qputenv("PATH", path.path().toUtf8());
    const bool first = orvandel::runtime::start_system_calculator();
    const bool second = orvandel::runtime::start_system_calculator();
    qputenv("PATH", saved_path);
    QCOMPARE(first, !started.isEmpty());
    QCOMPARE(second, !started.isEmpty());

    // A marker started last: once it has logged, any calculator started before
    // it has had its turn too (with a grace period), so a wrong or late start
    // shows up in the log instead of being missed by a first, empty look.
    QVERIFY(orvandel::runtime::run_program(path.filePath("marker")));
    const auto logged = [&log] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_VERIFY(logged().contains("marker 0\n"));
    QTest::qWait(200);
    QByteArrayList lines = logged().split('\n');
    lines.removeAll(QByteArray());
    std::sort(lines.begin(), lines.end());
    QByteArrayList expected{"marker 0"};
    if (!started.isEmpty()) {
        expected += {started.toUtf8() + " 0", started.toUtf8() + " 0"};
    }
    std::sort(expected.begin(), expected.end());
    QCOMPARE(lines, expected);
}

QTEST_MAIN(program_test)
#include "program_test.moc"
