// Writing the one settings entry: only its line changes, byte for byte, and a
// file that cannot be written is left as it was. (A folder that cannot be made:
// tests/ui/main/form_test.cpp.)

#include "runtime/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

using namespace orvandel::runtime;

namespace {

bool put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray got(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class settings_file_test : public QObject {
    Q_OBJECT

private slots:
    void only_the_entry_changes();
    void written_in_place_unless_unwritable();
};

void settings_file_test::only_the_entry_changes() {
    // clang-format off
    const std::pair<const char*, const char*> before_after[] = {
        {"", "[grsds]\ndqck=w_dornik\n"},
        // the value replaced, CRLF kept
        {"; note\r\n[grsds]\r\ndqck=old\r\nother=1\r\n", "; note\r\n[grsds]\r\ndqck=w_dornik\r\nother=1\r\n"},
        // names compare without case or blanks
        {"[ GRSDS ]\nDQCK = old\n", "[ GRSDS ]\ndqck=w_dornik\n"},
        // the key added after the section's entries
        {"[grsds]\na=1\n\n[next]\nb=2\n", "[grsds]\na=1\ndqck=w_dornik\n\n[next]\nb=2\n"},
        // the section added; the last line had no ending
        {"[other]\r\nx=1", "[other]\r\nx=1\r\n[grsds]\r\ndqck=w_dornik\r\n"},
        // the same key in another section, and a commented-out one, are not the entry
        {"[other]\ndqck=keep\n", "[other]\ndqck=keep\n[grsds]\ndqck=w_dornik\n"},
        {"[grsds]\n;dqck=old\n", "[grsds]\ndqck=w_dornik\n;dqck=old\n"},
    };
    // clang-format on
    for (const auto& [before, after] : before_after) {
        QCOMPARE(with_setting(before, "grsds", "dqck", "w_dornik"), QByteArray(after));
        // Written twice, the file holds one entry.
        QCOMPARE(with_setting(after, "grsds", "dqck", "w_dornik"), QByteArray(after));
    }
}

void settings_file_test::written_in_place_unless_unwritable() {
    QTemporaryDir config_home;
    qputenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit());
    QCoreApplication::setApplicationName("orvandel");
    const QString path = config_home.filePath("orvandel/config.ini");
    QCOMPARE(settings_file_path("config.ini"), path);
    QVERIFY(QDir().mkpath(config_home.filePath("orvandel")));
    // A comment, CRLF and GBK bytes go through the file untouched.
    const QByteArray mine = "# mine\r\n[\xc5\xe4\xd6\xc3]\r\nname=\xd6\xd0\xce\xc4\r\n[grsds]\r\n";
    QVERIFY(put(path, mine + "dqck=x\r\n"));
    QVERIFY(write_setting("config.ini", "grsds", "dqck", "w_dornik"));
    QCOMPARE(got(path), mine + "dqck=w_dornik\r\n");

    // A read-only file is left as it is, even for a process that could replace it.
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(!write_setting("config.ini", "grsds", "dqck", "other"));
    QCOMPARE(got(path), mine + "dqck=w_dornik\r\n");
}

QTEST_GUILESS_MAIN(settings_file_test)
#include "settings_file_test.moc"
