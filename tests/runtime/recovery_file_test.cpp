// Each sheet's recovery file: private to the user, and held by a lock for as
// long as its owner lives, in this process or another; claimed only once the
// owner is gone, the most recent first.

#include "runtime/recovery_file.h"
#include "runtime/state_dir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace orvandel::runtime;

namespace {

constexpr QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;

QStringList paths_of(const std::vector<std::unique_ptr<recovery_file>>& files) {
    QStringList paths;
    for (const auto& file : files) {
        paths << file->path();
    }
    return paths;
}

std::unique_ptr<recovery_file> written(const char* rows) {
    QString problem;
    auto file = recovery_file::create(problem);
    if (file && file->write(rows).isEmpty()) {
        return file;
    }
    qWarning() << problem;
    return nullptr;
}

bool set_age(const QString& path, int seconds) {
#ifdef _WIN32
    // A living owner holds its lock file open and lets nobody else write to
    // it, nor remove it, whatever its age: there is no age to set.
    if (path.endsWith(QStringLiteral(".lock"))) {
        return true;
    }
#endif
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                            QFileDevice::FileModificationTime);
}

} // namespace

class recovery_file_test : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QDir(state_directory()).removeRecursively(); }

    // The folder, even one made before with the usual rights, ends up
    // 0700, and each file 0600.
    void files_are_the_owners_only() {
#ifdef Q_OS_WIN
        QSKIP("Windows keeps a user's application data to that user; file rights do not show it");
#endif
        QVERIFY(QDir().mkpath(state_directory()));
        QVERIFY(QFile::setPermissions(state_directory(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                          QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther));
        const auto file = written("项目\r\n增值税\r\n");
        QVERIFY(file);
        QCOMPARE(QFileInfo(state_directory()).permissions() & others, QFileDevice::Permissions());
        const QFileDevice::Permissions rights = QFileInfo(file->path()).permissions();
        QCOMPARE(rights & others, QFileDevice::Permissions());
        QVERIFY(rights.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(!rights.testFlag(QFileDevice::ExeOwner));
        // Written again (replaced through a temporary file): still private.
        QVERIFY(file->write("项目\r\n消费税\r\n").isEmpty());
        QCOMPARE(QFileInfo(file->path()).permissions() & others, QFileDevice::Permissions());
    }

    // Sheets open in this process keep their files, however long they have
    // been open; a sheet gone leaves an orphan, claimed once, newest first.
    // A file of an older version of the program, with no lock, is an orphan.
    void only_orphans_are_claimed() {
        auto open_one = written("open\r\n");
        auto lost_earlier = written("lost earlier\r\n");
        auto lost_later = written("lost later\r\n");
        QVERIFY(open_one && lost_earlier && lost_later);
        QVERIFY(open_one->path() != lost_earlier->path());
        QVERIFY(set_age(open_one->path() + QStringLiteral(".lock"), 3600)); // not stale for age
        QVERIFY(recovery_file::claim_orphans().empty());

        const QString earlier = lost_earlier->path();
        const QString later = lost_later->path();
        QVERIFY(set_age(earlier, 120));
        lost_earlier.reset();
        lost_later.reset();
        const QString legacy = QDir(state_directory()).filePath("worksheet-recovery.csv");
        QFile old_version(legacy);
        QVERIFY(old_version.open(QIODevice::WriteOnly) && old_version.write("old\r\n") == 5);
        old_version.close();
        QVERIFY(set_age(legacy, 600));

        auto claimed = recovery_file::claim_orphans();
        QCOMPARE(paths_of(claimed), (QStringList{later, earlier, legacy}));
        QVERIFY(recovery_file::claim_orphans().empty()); // now held by `claimed`
        claimed.front()->remove();
        QVERIFY(!QFileInfo::exists(later));
        QVERIFY(QFileInfo::exists(open_one->path()));
    }

    // Another program's open sheet is left alone; once that program is
    // killed, its file is an orphan.
    void another_programs_file_is_claimed_only_after_it_ends() {
        QProcess holder;
        // Under this program's name, whose recovery folder it shares on
        // Windows, as a second window of the same program would.
        holder.start(QStringLiteral(ORVANDEL_RECOVERY_HOLDER),
                     {QCoreApplication::applicationName()});
        QVERIFY(holder.waitForReadyRead(30000));
        const QString path = QString::fromUtf8(holder.readLine()).trimmed();
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        QVERIFY(set_age(path + QStringLiteral(".lock"), 3600));
        QVERIFY(!paths_of(recovery_file::claim_orphans()).contains(path));
        QVERIFY(QFileInfo::exists(path));

        holder.kill(); // as a crash ends it: the lock stays behind
        QVERIFY(holder.waitForFinished(30000));
        QVERIFY(QFileInfo::exists(path + QStringLiteral(".lock")));
        const auto claimed = recovery_file::claim_orphans();
        QCOMPARE(paths_of(claimed), QStringList{path});
    }
};

QTEST_GUILESS_MAIN(recovery_file_test)
#include "recovery_file_test.moc"
