// Writing the one settings entry: only its line changes, byte for byte, and a
// place that cannot be written changes nothing.

#include "runtime/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orvandel::runtime;

namespace {

QByteArray read_all(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void write_all(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class settings_file_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void only_the_entry_changes_data();
    void only_the_entry_changes();
    void written_in_place_unless_unwritable();

private:
    QTemporaryDir config_home_;
};

void settings_file_test::initTestCase() {
    QVERIFY(config_home_.isValid());
    qputenv("XDG_CONFIG_HOME", config_home_.path().toLocal8Bit());
    QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
}

void settings_file_test::only_the_entry_changes_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file") << QByteArray() << QByteArray("[grsds]\ndqck=w_dornik\n");
    QTest::newRow("value replaced, CRLF kept")
        << QByteArray("; note\r\n[grsds]\r\ndqck=old\r\nother=1\r\n")
        << QByteArray("; note\r\n[grsds]\r\ndqck=w_dornik\r\nother=1\r\n");
    QTest::newRow("names compare without case or blanks")
        << QByteArray("[ GRSDS ]\nDQCK = old\n") << QByteArray("[ GRSDS ]\ndqck=w_dornik\n");
    QTest::newRow("key added after the section's entries")
        << QByteArray("[grsds]\na=1\n\n[next]\nb=2\n")
        << QByteArray("[grsds]\na=1\ndqck=w_dornik\n\n[next]\nb=2\n");
    QTest::newRow("section added, last line had no ending")
        << QByteArray("[other]\r\nx=1")
        << QByteArray("[other]\r\nx=1\r\n[grsds]\r\ndqck=w_dornik\r\n");
    QTest::newRow("same key in another section untouched")
        << QByteArray("[other]\ndqck=keep\n")
        << QByteArray("[other]\ndqck=keep\n[grsds]\ndqck=w_dornik\n");
    QTest::newRow("commented-out key is not the entry")
        << QByteArray("[grsds]\n;dqck=old\n") << QByteArray("[grsds]\ndqck=w_dornik\n;dqck=old\n");
    QTest::newRow("GBK bytes kept")
        << QByteArray("[\xc5\xe4\xd6\xc3]\nname=\xd6\xd0\xce\xc4\n[grsds]\ndqck=w_dornik\n")
        << QByteArray("[\xc5\xe4\xd6\xc3]\nname=\xd6\xd0\xce\xc4\n[grsds]\ndqck=w_dornik\n");
}

void settings_file_test::only_the_entry_changes() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QCOMPARE(with_setting(before, "grsds", "dqck", "w_dornik"), after);
    // Written twice, the file holds one entry.
    QCOMPARE(with_setting(after, "grsds", "dqck", "w_dornik"), after);
}

void settings_file_test::written_in_place_unless_unwritable() {
    const QString path = config_home_.filePath(QStringLiteral("orvandel/config.ini"));
    QCOMPARE(settings_file_path(QStringLiteral("config.ini")), path);
    QVERIFY(QDir().mkpath(config_home_.filePath(QStringLiteral("orvandel"))));
    write_all(path, "# mine\r\n[grsds]\r\ndqck=x\r\n");
    QVERIFY(write_setting("config.ini", "grsds", "dqck", "w_dornik"));
    QCOMPARE(read_all(path), QByteArray("# mine\r\n[grsds]\r\ndqck=w_dornik\r\n"));

    // A read-only file is left as it is, even for a process that could replace it.
    write_all(path, "[grsds]\ndqck=old\n");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(!write_setting("config.ini", "grsds", "dqck", "w_dornik"));
    QCOMPARE(read_all(path), QByteArray("[grsds]\ndqck=old\n"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));

    // A configuration folder that cannot exist (a file stands in its way).
    const QString blocker = config_home_.filePath(QStringLiteral("blocker"));
    write_all(blocker, "not a folder");
    qputenv("XDG_CONFIG_HOME", blocker.toLocal8Bit());
    QVERIFY(!write_setting("config.ini", "grsds", "dqck", "w_dornik"));
    QCOMPARE(read_all(blocker), QByteArray("not a folder"));
    qputenv("XDG_CONFIG_HOME", config_home_.path().toLocal8Bit());
}

QTEST_GUILESS_MAIN(settings_file_test)
#include "settings_file_test.moc"
