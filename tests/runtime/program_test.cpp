// Starting programs: the system calculator is the first desktop calculator on
// PATH, started detached as one more process per start; with none, nothing
// starts. Arguments reach the program as given, with no shell in between.
//
// A fake calculator, a shell script that records its name and arguments, is
// put into a folder that is the whole of PATH.

#include "runtime/program.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orvandel;

namespace {

constexpr auto fake_calculator = R"(#!/bin/sh
echo "started ${0##*/} $#" >>"$ORVANDEL_FAKE_LOG"
for argument in "$@"; do echo "argument <$argument>" >>"$ORVANDEL_FAKE_LOG"; done
)";

void install_fake(const QString& folder, const QString& name, bool executable) {
    QFile script(QDir(folder).filePath(name));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(fake_calculator);
    script.close();
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (executable) {
        permissions |= QFileDevice::ExeOwner;
    }
    QVERIFY(script.setPermissions(permissions));
}

QStringList log_lines(const QString& log) {
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class program_test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void calculator_is_the_first_found_data();
    void calculator_is_the_first_found();
    void each_start_starts_one_more();
    void no_calculator_starts_nothing();
    void arguments_arrive_as_given();

private:
    QTemporaryDir folder_; // PATH while a test runs
    QString log_;
    QByteArray saved_path_;
};

void program_test::init() {
    QVERIFY(folder_.isValid());
    for (const QString& old : QDir(folder_.path()).entryList(QDir::Files)) {
        QFile::remove(folder_.filePath(old));
    }
    static QTemporaryDir logs;
    log_ = logs.filePath(QStringLiteral("%1.log").arg(QTest::currentTestFunction()));
    QFile::remove(log_);
    qputenv("ORVANDEL_FAKE_LOG", log_.toUtf8());
    saved_path_ = qgetenv("PATH");
    qputenv("PATH", folder_.path().toUtf8());
}

void program_test::cleanup() {
    qputenv("PATH", saved_path_);
}

void program_test::calculator_is_the_first_found_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QStringList>("not_executable");
    QTest::addColumn<QString>("started");
    QTest::newRow("only the last of the list") << QStringList{"xcalc"} << QStringList{} << "xcalc";
    QTest::newRow("GNOME before the rest") << QStringList{"xcalc", "galculator", "gnome-calculator"}
                                           << QStringList{} << "gnome-calculator";
    QTest::newRow("KDE before MATE")
        << QStringList{"mate-calc", "kcalc"} << QStringList{} << "kcalc";
    QTest::newRow("one that cannot run is passed over")
        << QStringList{"qalculate-gtk"} << QStringList{"gnome-calculator", "kcalc"}
        << "qalculate-gtk";
}

void program_test::calculator_is_the_first_found() {
    QFETCH(QStringList, installed);
    QFETCH(QStringList, not_executable);
    QFETCH(QString, started);
    for (const QString& name : installed) {
        install_fake(folder_.path(), name, true);
    }
    for (const QString& name : not_executable) {
        install_fake(folder_.path(), name, false);
    }

    QCOMPARE(runtime::find_desktop_calculator(), folder_.filePath(started));
    QVERIFY(runtime::start_system_calculator());
    QTRY_COMPARE(log_lines(log_), QStringList{QStringLiteral("started %1 0").arg(started)});
}

void program_test::each_start_starts_one_more() {
    install_fake(folder_.path(), QStringLiteral("mate-calc"), true);
    QVERIFY(runtime::start_system_calculator());
    QVERIFY(runtime::start_system_calculator());
    const QStringList twice{QStringLiteral("started mate-calc 0"),
                            QStringLiteral("started mate-calc 0")};
    QTRY_COMPARE(log_lines(log_), twice);
}

void program_test::no_calculator_starts_nothing() {
    install_fake(folder_.path(), QStringLiteral("not-a-calculator"), true);
    QCOMPARE(runtime::find_desktop_calculator(), QString());
    QVERIFY(!runtime::start_system_calculator());
    QVERIFY(!runtime::run_program(QString()));
    QVERIFY(!runtime::run_program(folder_.filePath(QStringLiteral("missing"))));
    QVERIFY(!QFile::exists(log_));
}

void program_test::arguments_arrive_as_given() {
    install_fake(folder_.path(), QStringLiteral("recorder"), true);
    const QString marker = folder_.filePath(QStringLiteral("touched"));
    const QStringList arguments{
        QStringLiteral("two words"), QStringLiteral("$(touch %1)").arg(marker),
        QStringLiteral("'quoted'"), QStringLiteral("*"), QStringLiteral("税款")};
    QVERIFY(runtime::run_program(QStringLiteral("recorder"), arguments));

    QStringList expected{QStringLiteral("started recorder 5")};
    for (const QString& argument : arguments) {
        expected.append(QStringLiteral("argument <%1>").arg(argument));
    }
    QTRY_COMPARE(log_lines(log_), expected);
    QVERIFY(!QFile::exists(marker));
}

QTEST_MAIN(program_test)
#include "program_test.moc"
