// The System calculator button starts the first desktop calculator found on
// PATH, one more per press, with no shell in between; with none it does nothing
// and says nothing. Fake calculators (scripts that log their start) sit in a
// folder that is the whole of PATH, named so that a shell would split it.

#include "runtime/message_box.h"
#include "ui/main/w_dornik.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class program_test : public QObject {
    Q_OBJECT

private slots:
    void calculator_button_data();
    void calculator_button();
};

void program_test::calculator_button_data() {
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

void program_test::calculator_button() {
    QFETCH(QStringList, executable);
    QFETCH(QStringList, not_executable);
    QFETCH(QString, started);
    QTemporaryDir path(QDir::tempPath() + "/my calc 'q'-XXXXXX");
    for (const QString& name : executable + not_executable) {
        QFile script(path.filePath(name));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"${0##*/} $#\" >>\"$ORVANDEL_FAKE_LOG\"\n");
        QVERIFY(script.setPermissions(executable.contains(name)
                                          ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                          : QFileDevice::ReadOwner));
    }
    const QString log = path.filePath("started.log");
    qputenv("ORVANDEL_FAKE_LOG", log.toUtf8());
    const QByteArray saved_path = qgetenv("PATH");
    qputenv("PATH", path.path().toUtf8());
    QString gs_path;
    orvandel::ui::w_dornik window(gs_path);
    QTest::mouseClick(window.cb_4, Qt::LeftButton);
    QTest::mouseClick(window.cb_4, Qt::LeftButton);
    qputenv("PATH", saved_path);

    QVERIFY(orvandel::runtime::take_recorded_boxes().empty()); // nothing is reported
    const auto logged = [&log] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QString per_press = started.isEmpty() ? QString() : started + " 0\n";
    QTRY_COMPARE(logged(), (per_press + per_press).toUtf8());
}

QTEST_MAIN(program_test)
#include "program_test.moc"
