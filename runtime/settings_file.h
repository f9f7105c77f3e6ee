#pragma once
// Writing one entry of a settings file ("[section]" lines and "key=value"
// lines). Only that entry's line changes: every other byte of an existing file
// stays as it was (comments, order, line endings, bytes in any code page, a
// byte order mark). A file in UTF-16 (as Windows' Notepad saves "Unicode")
// stays in UTF-16.

#include <QByteArray>
#include <QString>

namespace orvandel::runtime {

// Where a bare settings-file name lives: the user's configuration folder for
// this application ($XDG_CONFIG_HOME/<application name>/ on Linux); on Windows
// the program's own folder, where Windows users keep it (a copy of the folder
// carries its settings along). Never the folder the program happened to be
// started from.
[[nodiscard]] QString settings_file_path(const QString& file_name);

// Sets `key` in `section` to `value` in the file `file_name` (a bare name,
// resolved by settings_file_path). Creates the folder, the file, the section
// or the key as needed. The file is replaced atomically, so a crash leaves the
// old file or the new one, never a torn one. Returns false and changes nothing
// when the folder or file cannot be written (including a read-only file).
bool write_setting(const QString& file_name, const QString& section, const QString& key,
                   const QString& value);

// The edit itself, on the file's bytes. A UTF-8 byte order mark stays in front
// of the first line; a file starting with UTF-16's (FF FE or FE FF) is edited
// as its text and written back in the same UTF-16. Section and key names
// compare without regard to ASCII case, with blanks around them ignored; lines
// starting with ";" or "#" are comments. A key found in the section gets its line replaced
// (its line ending kept); a missing key is added after the section's last
// entry; a missing section is added at the end. New lines take the file's
// first line ending ("\n" for a file that has none).
[[nodiscard]] QByteArray with_setting(const QByteArray& file, const QByteArray& section,
                                      const QByteArray& key, const QByteArray& value);

} // namespace orvandel::runtime
