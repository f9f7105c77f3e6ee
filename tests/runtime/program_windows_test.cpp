// On Windows: the Windows directory read into a buffer of a given size, as the
// system call does, and the system calculator started from "system32\calc.exe"
// below it, one per call, or nothing when it is not there. A fake calculator
// (fake_calc.exe, which logs its start) takes calc.exe's place; that needs a
// system folder without one, as Wine's is (on a real Windows the case is skipped).

#include "runtime/program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace orvandel::runtime;

class program_windows_test : public QObject {
    Q_OBJECT

private slots:
    void windows_directory_data();
    void windows_directory();
    void system_calculator();
};

namespace {

// The Windows directory as the environment names it, with "\" separators.
QString system_root() {
    return QDir::toNativeSeparators(qEnvironmentVariable("SystemRoot"));
}

} // namespace

void program_windows_test::windows_directory_data() {
    QTest::addColumn<int>("extra"); // the buffer's size less the path's length
    QTest::addColumn<bool>("fits");
    QTest::newRow("room to spare") << 50 << true;
    QTest::newRow("room for the path and its terminator") << 1 << true;
    QTest::newRow("no room for the terminator") << 0 << false;
    QTest::newRow("far too small") << -5 << false;
}

void program_windows_test::windows_directory() {
    QFETCH(int, extra);
    QFETCH(bool, fits);
    const QString root = system_root();
    QVERIFY2(!root.isEmpty(), "SystemRoot is not set");
    const auto size = static_cast<std::int32_t>(root.size() + extra);
    const QString before(std::max(size, 0), QChar(u'#'));
    QString buffer = before;
    const std::int32_t length = getwindowsdirectory(buffer, size);
    if (fits) {
        QCOMPARE(length, root.size());
        QCOMPARE(buffer.left(length).toLower(), root.toLower());
    } else {
        // The size needed, terminator included; the buffer as it was.
        QCOMPARE(length, root.size() + 1);
        QCOMPARE(buffer, before);
    }
}

void program_windows_test::system_calculator() {
    const QString calc = system_root() + QStringLiteral("\\system32\\calc.exe");
    if (QFile::exists(calc)) {
        QSKIP("Windows' own calculator is installed here; the fake cannot take its place");
    }
    const QString fake = QCoreApplication::applicationDirPath() + QStringLiteral("/fake_calc.exe");
    if (!QFile::copy(fake, calc)) {
        QSKIP("the system folder is not writable here");
    }
    auto remove_fake = qScopeGuard([&calc] { QFile::remove(calc); });
    QTemporaryDir logs;
    const QString log = logs.filePath(QStringLiteral("started.log"));
    qputenv("ORVANDEL_FAKE_LOG", QDir::toNativeSeparators(log).toLocal8Bit());
    const auto logged = [&log] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    QVERIFY(start_system_calculator());
    QVERIFY(start_system_calculator());
    QTRY_COMPARE(logged(), QByteArray("calc 0\ncalc 0\n"));

    // Without calc.exe nothing starts, and the call says so.
    remove_fake.dismiss();
    QVERIFY(QFile::remove(calc));
    QVERIFY(!start_system_calculator());
    QTest::qWait(200);
    QCOMPARE(logged(), QByteArray("calc 0\ncalc 0\n"));
}

QTEST_MAIN(program_windows_test)
#include "program_windows_test.moc"
