#pragma once
// The recovery files of open sheets: their unsaved rows, kept in the state
// folder so that a crash loses nothing. Each open sheet has a file of its own,
// "worksheet-recovery-….csv", held by a lock file beside it ("….csv.lock",
// QLockFile) for as long as its recovery_file object lives. The lock tells
// every other window and process that the owner is alive: they never offer
// or remove that file. When the owner is gone (a crash: the lock names a
// process that no longer runs, or no lock is left), the next start may claim
// the file and offer its rows back.
//
// The files hold tax data: the folder is made readable by its owner only
// (0700, tightened if it was not), and so is each file (0600). On Windows the
// folder is the user's own local application data.

#include <QString>

#include <memory>
#include <string_view>
#include <vector>

class QLockFile;

namespace orvandel::runtime {

class recovery_file {
public:
    // A new file name of this sheet's own, locked; nothing is written yet.
    // Nothing, with `problem` set, when the folder or the lock cannot be made.
    [[nodiscard]] static std::unique_ptr<recovery_file> create(QString& problem);
    // The files whose owner is gone, each now locked for this process, the
    // most recently written first. Files still held by a live owner, in this
    // process or another, are left out.
    [[nodiscard]] static std::vector<std::unique_ptr<recovery_file>> claim_orphans();

    recovery_file(const recovery_file&) = delete;
    recovery_file& operator=(const recovery_file&) = delete;
    // Releases the lock; the file itself stays unless it was removed.
    ~recovery_file();

    [[nodiscard]] const QString& path() const { return path_; }
    [[nodiscard]] bool exists() const;
    // Replaces the file's content, readable by the owner only. The problem
    // in words, empty on success.
    [[nodiscard]] QString write(std::string_view bytes);
    // Removes the file (the rows are saved or given up); the lock is kept.
    void remove();

private:
    recovery_file(QString path, std::unique_ptr<QLockFile> lock);

    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

// The folder of the recovery files (the state folder), made if missing and
// made private to its owner (0700) if it was not. Empty, with `problem` set,
// when it cannot be made.
[[nodiscard]] QString private_state_directory(QString& problem);

} // namespace orvandel::runtime
