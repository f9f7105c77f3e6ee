#include "runtime/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

#include <vector>

namespace orvandel::runtime {

namespace {

struct line {
    qsizetype start;   // first byte of the line
    qsizetype content; // bytes before the line ending
    qsizetype end;     // one past the line ending
};

// The length of the file's UTF-8 byte order mark, which is no part of the
// first line's text: 3, or 0 for a file without one.
qsizetype utf8_mark(const QByteArray& file) {
    return file.startsWith("\xef\xbb\xbf") ? 3 : 0;
}

std::vector<line> split_lines(const QByteArray& file) {
    std::vector<line> lines;
    qsizetype start = utf8_mark(file);
    while (start < file.size()) {
        const qsizetype newline = file.indexOf('\n', start);
        const qsizetype end = newline < 0 ? file.size() : newline + 1;
        qsizetype content = (newline < 0 ? file.size() : newline) - start;
        if (content > 0 && file[start + content - 1] == '\r') {
            --content;
        }
        lines.push_back({start, content, end});
        start = end;
    }
    return lines;
}

QByteArray first_line_ending(const QByteArray& file) {
    const qsizetype newline = file.indexOf('\n');
    if (newline > 0 && file[newline - 1] == '\r') {
        return "\r\n";
    }
    return "\n";
}

bool same_name(QByteArray a, QByteArray b) {
    return a.trimmed().toLower() == b.trimmed().toLower();
}

// "[name]" with optional blanks around; the section's name or an empty array.
QByteArray section_name(const QByteArray& text) {
    const QByteArray trimmed = text.trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith('[') || !trimmed.endsWith(']')) {
        return {};
    }
    return trimmed.mid(1, trimmed.size() - 2);
}

bool is_section(const QByteArray& text) {
    return text.trimmed().startsWith('[');
}

bool is_entry_of(const QByteArray& text, const QByteArray& key) {
    const QByteArray trimmed = text.trimmed();
    if (trimmed.startsWith(';') || trimmed.startsWith('#')) {
        return false;
    }
    const qsizetype equals = text.indexOf('=');
    return equals >= 0 && same_name(text.left(equals), key);
}

bool is_entry(const QByteArray& text) {
    const QByteArray trimmed = text.trimmed();
    return !trimmed.isEmpty() && !trimmed.startsWith(';') && !trimmed.startsWith('#') &&
           trimmed.contains('=');
}

} // namespace

QString settings_file_path(const QString& file_name) {
#ifdef _WIN32
    return QDir(QCoreApplication::applicationDirPath()).filePath(file_name);
#else
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(file_name);
#endif
}

QByteArray with_setting(const QByteArray& file, const QByteArray& section, const QByteArray& key,
                        const QByteArray& value) {
    // UTF-16: edited as UTF-8 text and turned back, byte order mark first.
    const bool little = file.startsWith("\xff\xfe");
    if (little || file.startsWith("\xfe\xff")) {
        QStringDecoder from_utf16(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        QStringEncoder to_utf16(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        const QString text = from_utf16(file.sliced(2));
        const QByteArray edited = with_setting(text.toUtf8(), section, key, value);
        return file.first(2) + QByteArray(to_utf16(QString::fromUtf8(edited)));
    }
    const QByteArray entry = key + '=' + value;
    const QByteArray eol = first_line_ending(file);
    const std::vector<line> lines = split_lines(file);

    bool in_section = false;
    qsizetype insert_at = -1; // after the section's last entry (or its header)
    for (const line& l : lines) {
        const QByteArray text = file.mid(l.start, l.content);
        if (is_section(text)) {
            if (in_section) {
                break; // the next section begins
            }
            in_section = same_name(section_name(text), section);
            if (in_section) {
                insert_at = l.end;
            }
            continue;
        }
        if (!in_section) {
            continue;
        }
        if (is_entry_of(text, key)) {
            QByteArray changed = file;
            changed.replace(l.start, l.content, entry);
            return changed;
        }
        if (is_entry(text)) {
            insert_at = l.end;
        }
    }

    QByteArray changed = file;
    if (insert_at >= 0) {
        // The line before may be the file's last one, without an ending.
        const bool needs_break = insert_at == file.size() && !file.endsWith('\n');
        changed.insert(insert_at, (needs_break ? eol : QByteArray()) + entry + eol);
        return changed;
    }
    if (changed.size() > utf8_mark(changed) && !changed.endsWith('\n')) {
        changed.append(eol);
    }
    changed.append('[' + section + ']' + eol + entry + eol);
    return changed;
}

bool write_setting(const QString& file_name, const QString& section, const QString& key,
                   const QString& value) {
    const QString path = settings_file_path(file_name);
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        return false;
    }
    QByteArray old_bytes;
    if (info.exists()) {
        // A read-only file is left alone, as the file system would for a plain
        // write, even when the process could replace it.
        if (!info.isFile() || !(info.permissions() & QFileDevice::WriteOwner)) {
            return false;
        }
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly)) {
            return false;
        }
        old_bytes = existing.readAll();
    }
    const QByteArray new_bytes =
        with_setting(old_bytes, section.toUtf8(), key.toUtf8(), value.toUtf8());
    if (info.exists() && new_bytes == old_bytes) {
        return true;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (out.write(new_bytes) != new_bytes.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

} // namespace orvandel::runtime
