// Writing the one settings entry: only its line changes, byte for byte, and a
// file that cannot be written is left as it was. (A folder that cannot be made:
// tests/ui/main/form_test.cpp.)

#include "runtime/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
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

// The text as Notepad saves "Unicode": UTF-16LE after its byte order mark.
QByteArray utf16le(const char16_t* text) {
    const QString s = QString::fromUtf16(text);
    return QByteArray("\xff\xfe") +
           QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
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
        // a UTF-8 byte order mark stays in front of the first section
        {"\xef\xbb\xbf[grsds]\r\ndqck=old\r\n", "\xef\xbb\xbf[grsds]\r\ndqck=w_dornik\r\n"},
        {"\xef\xbb\xbf", "\xef\xbb\xbf[grsds]\ndqck=w_dornik\n"},
    };
    // clang-format on
    for (const auto& [before, after] : before_after) {
        QCOMPARE(with_setting(before, "grsds", "dqck", "w_dornik"), QByteArray(after));
        // Written twice, the file holds one entry.
        QCOMPARE(with_setting(after, "grsds", "dqck", "w_dornik"), QByteArray(after));
    }

    // A UTF-16 file stays UTF-16, Chinese text and all.
    const std::pair<QByteArray, QByteArray> utf16[] = {
        {utf16le(u"; 设置\r\n[grsds]\r\ndqck=旧\r\n"),
         utf16le(u"; 设置\r\n[grsds]\r\ndqck=w_dornik\r\n")},
        {utf16le(u"[其他]\r\n名=值\r\n"),
         utf16le(u"[其他]\r\n名=值\r\n[grsds]\r\ndqck=w_dornik\r\n")},
        {QByteArray("\xfe\xff\0[\0g\0r\0s\0d\0s\0]\0\n", 18),
         QByteArray("\xfe\xff\0[\0g\0r\0s\0d\0s\0]\0\n\0d\0q\0c\0k\0=\0w\0_\0d\0o\0r\0n\0i\0k\0\n",
                    46)},
    };
    for (const auto& [before, after] : utf16) {
        QCOMPARE(with_setting(before, "grsds", "dqck", "w_dornik"), after);
    }
}

void settings_file_test::written_in_place_unless_unwritable() {
    QTemporaryDir config_home;
    qputenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit());
    QCoreApplication::setApplicationName("orvandel");
#ifdef _WIN32
    // Beside the program (this test's own), whatever the configuration folder.
    const QString path = QCoreApplication::applicationDirPath() + "/config.ini";
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(path);
    const auto cleanup = qScopeGuard([&path] {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(path);
    });
#else
    const QString path = config_home.filePath("orvandel/config.ini");
#endif
    QCOMPARE(settings_file_path("config.ini"), path);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
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
