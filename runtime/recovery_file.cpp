#include "runtime/recovery_file.h"

#include "runtime/state_dir.h"
#include "runtime/text_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>
#include <atomic>

namespace orvandel::runtime {

namespace {

const QString name_start = QStringLiteral("worksheet-recovery");
const QString lock_suffix = QStringLiteral(".lock");
constexpr QFileDevice::Permissions owner_only_folder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// A lock held for as long as a sheet is open, however long that is: only a
// dead owner makes it stale, never its age (QLockFile's default would take
// any lock older than 30 seconds).
std::unique_ptr<QLockFile> lock_for(const QString& path) {
    auto lock = std::make_unique<QLockFile>(path + lock_suffix);
    lock->setStaleLockTime(0);
    return lock;
}

// Makes the folder readable by its owner only, if it is not already.
bool make_private(const QString& folder) {
    const QFileDevice::Permissions now = QFileInfo(folder).permissions();
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    if ((now & others) == 0 && (now & owner_only_folder) == owner_only_folder) {
        return true;
    }
    return QFile::setPermissions(folder, owner_only_folder);
}

// A name no sheet has used: the time, this process and a count, so that the
// names sort by when the sheets first kept rows.
QString new_name() {
    static std::atomic<unsigned> count{0};
    return QStringLiteral("%1-%2-%3-%4.csv")
        .arg(name_start, QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
        .arg(QCoreApplication::applicationPid())
        .arg(++count);
}

} // namespace

QString private_state_directory(QString& problem) {
    const QString folder = state_directory();
    if (!QDir().mkpath(folder)) {
        problem = QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(folder));
        return {};
    }
    if (!make_private(folder)) {
        problem =
            QStringLiteral("无法限定文件夹“%1”的读取权限").arg(QDir::toNativeSeparators(folder));
        return {};
    }
    return folder;
}

recovery_file::recovery_file(QString path, std::unique_ptr<QLockFile> lock)
    : path_(std::move(path)), lock_(std::move(lock)) {}

recovery_file::~recovery_file() = default;

std::unique_ptr<recovery_file> recovery_file::create(QString& problem) {
    const QString folder = private_state_directory(problem);
    if (folder.isEmpty()) {
        return nullptr;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = QDir(folder).filePath(new_name());
        auto lock = lock_for(path);
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError) {
                continue; // taken: another name
            }
            problem =
                QStringLiteral("无法在“%1”中建立恢复文件").arg(QDir::toNativeSeparators(folder));
            return nullptr;
        }
        if (QFileInfo::exists(path)) {
            continue; // somebody's rows under this name: not ours to overwrite
        }
        return std::unique_ptr<recovery_file>(new recovery_file(path, std::move(lock)));
    }
    problem = QStringLiteral("无法在“%1”中建立恢复文件").arg(QDir::toNativeSeparators(folder));
    return nullptr;
}

std::vector<std::unique_ptr<recovery_file>> recovery_file::claim_orphans() {
    std::vector<std::unique_ptr<recovery_file>> found;
    const QString folder = state_directory();
    if (!QFileInfo(folder).isDir()) {
        return found;
    }
    make_private(folder); // a folder left open by an older version is closed now
    const QDir dir(folder);
    for (const QString& name : dir.entryList({name_start + QStringLiteral("*.csv")}, QDir::Files)) {
        const QString path = dir.filePath(name);
        auto lock = lock_for(path);
        // Succeeds only when no live owner holds the lock: a lock of a
        // process that has ended is taken over.
        if (!lock->tryLock(0)) {
            continue;
        }
        if (!QFileInfo::exists(path)) {
            continue; // removed by its owner in the meantime
        }
        found.push_back(std::unique_ptr<recovery_file>(new recovery_file(path, std::move(lock))));
    }
    // Locks whose sheet left no rows behind.
    for (const QString& name :
         dir.entryList({name_start + QStringLiteral("*.csv") + lock_suffix}, QDir::Files)) {
        const QString path = dir.filePath(name.chopped(lock_suffix.size()));
        if (!QFileInfo::exists(path)) {
            lock_for(path)->tryLock(0); // removed again with the lock object
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return QFileInfo(a->path()).lastModified() > QFileInfo(b->path()).lastModified();
    });
    return found;
}

bool recovery_file::exists() const {
    return QFileInfo::exists(path_);
}

QString recovery_file::write(std::string_view bytes) {
    QString problem;
    if (private_state_directory(problem).isEmpty()) {
        return problem;
    }
    return write_file_atomically(path_, bytes, file_readers::owner_only);
}

void recovery_file::remove() {
    QFile::remove(path_);
}

} // namespace orvandel::runtime
