// Starting programs: the system calculator is the first desktop calculator on
// PATH, or nothing when there is none; arguments reach a program as given, with
// no shell in between. Fake calculators (shell scripts that record how they
// were started) sit in a folder that is the whole of PATH.

#include "runtime/program.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace orvandel;

class program_test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { qputenv("PATH", saved_path_); }
    void calculator_is_the_first_found_data();
    void calculator_is_the_first_found();
    void arguments_arrive_as_given();

private:
    void install(const QString& name, bool executable = true);
    [[nodiscard]] QStringList started() const;

    std::unique_ptr<QTemporaryDir> path_;
    QByteArray saved_path_;
};

void program_test::init() {
    path_ = std::make_unique<QTemporaryDir>();
    qputenv("ORVANDEL_FAKE_LOG", path_->filePath(QStringLiteral("started.log")).toUtf8());
    saved_path_ = qgetenv("PATH");
    qputenv("PATH", path_->path().toUtf8());
}

void program_test::install(const QString& name, bool executable) {
    QFile script(path_->filePath(name));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"started ${0##*/} $#\" >>\"$ORVANDEL_FAKE_LOG\"\n"
                 "for a in \"$@\"; do echo \"argument <$a>\" >>\"$ORVANDEL_FAKE_LOG\"; done\n");
    script.close();
    QVERIFY(script.setPermissions(executable ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                             : QFileDevice::ReadOwner));
}

QStringList program_test::started() const {
    QFile log(path_->filePath(QStringLiteral("started.log")));
    return log.open(QIODevice::ReadOnly)
               ? QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts)
               : QStringList();
}

void program_test::calculator_is_the_first_found_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QStringList>("not_executable");
    QTest::addColumn<QString>("expected"); // empty: none starts
    QTest::newRow("only the last of the list") << QStringList{"xcalc"} << QStringList{} << "xcalc";
    QTest::newRow("GNOME before the rest") << QStringList{"xcalc", "galculator", "gnome-calculator"}
                                           << QStringList{} << "gnome-calculator";
    QTest::newRow("KDE before MATE")
        << QStringList{"mate-calc", "kcalc"} << QStringList{} << "kcalc";
    QTest::newRow("one that cannot run is passed over")
        << QStringList{"qalculate-gtk"} << QStringList{"gnome-calculator"} << "qalculate-gtk";
    QTest::newRow("none") << QStringList{"calculator"} << QStringList{"xcalc"} << "";
}

void program_test::calculator_is_the_first_found() {
    QFETCH(QStringList, installed);
    QFETCH(QStringList, not_executable);
    QFETCH(QString, expected);
    for (const QString& name : installed) {
        install(name);
    }
    for (const QString& name : not_executable) {
        install(name, false);
    }
    QCOMPARE(runtime::start_system_calculator(), !expected.isEmpty());
    if (expected.isEmpty()) {
        QCOMPARE(started(), QStringList());
    } else {
        QTRY_COMPARE(started(), QStringList{QStringLiteral("started %1 0").arg(expected)});
    }
}

void program_test::arguments_arrive_as_given() {
    install(QStringLiteral("recorder"));
    const QString marker = path_->filePath(QStringLiteral("touched"));
    const QStringList arguments{"two words", QStringLiteral("$(touch %1)").arg(marker), "'q'", "*",
                                "税款"};
    QVERIFY(runtime::run_program(QStringLiteral("recorder"), arguments));
    QVERIFY(!runtime::run_program(path_->filePath(QStringLiteral("missing"))));

    QStringList expected{QStringLiteral("started recorder 5")};
    for (const QString& argument : arguments) {
        expected.append(QStringLiteral("argument <%1>").arg(argument));
    }
    QTRY_COMPARE(started(), expected);
    QVERIFY(!QFile::exists(marker));
}

QTEST_MAIN(program_test)
#include "program_test.moc"
