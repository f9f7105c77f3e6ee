#pragma once
// Reading a text file the user chose, whatever encoding a Chinese desktop
// wrote it in, and writing one so that a failure leaves the old file intact.

#include <QString>

#include <string>

namespace orvandel::runtime {

struct read_text {
    bool ok = false;
    std::string utf8; // the text, in UTF-8 without a byte order mark
    QString encoding; // "UTF-8", "UTF-8（带BOM）" or "GB18030", for the status bar
    QString problem;  // why it could not be read, when !ok
};

// Reads the whole file. UTF-8 with or without a byte order mark is taken as it
// is; bytes that are not valid UTF-8 are decoded as GB18030 (which covers
// GBK), what Excel and WPS write when a Chinese user saves as CSV.
[[nodiscard]] read_text read_text_file(const QString& path);

// Who may read a file written: as the system's defaults have it, or its
// owner only (0600 from the first byte on; on Windows the user's own folders
// keep it private).
enum class file_readers { as_usual, owner_only };

// Writes `bytes` to `path` through a temporary file that replaces it only
// when everything was written. Returns the problem in words, empty on success.
[[nodiscard]] QString write_file_atomically(const QString& path, std::string_view bytes,
                                            file_readers readers = file_readers::as_usual);

} // namespace orvandel::runtime
