#include "runtime/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvandel::runtime {

namespace {

constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";

// Length of the UTF-8 sequence starting at bytes[i], or 0 when it is not one.
std::size_t sequence_length(std::string_view bytes, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;  // no overlong forms
        high = lead == 0xed ? 0x9f : 0xbf; // no surrogates
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) {
        return 0;
    }
    if (at(i + 1) < low || at(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xbf) {
            return 0;
        }
    }
    return length;
}

} // namespace

bool is_valid_utf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Runs of ASCII, the common case, eight bytes at a time.
        while (i + 8 <= bytes.size()) {
            std::uint64_t block = 0;
            for (std::size_t k = 0; k < 8; ++k) {
                block |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i + k]));
            }
            if ((block & 0x80U) != 0) {
                break;
            }
            i += 8;
        }
        if (i >= bytes.size()) {
            break;
        }
        const std::size_t length = sequence_length(bytes, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

read_text read_text_file(const QString& path) {
    read_text read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.problem = QStringLiteral("无法打开文件“%1”：%2").arg(path, file.errorString());
        return read;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        read.problem = QStringLiteral("无法读取文件“%1”：%2").arg(path, file.errorString());
        return read;
    }
    std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const bool bom = text.starts_with(utf8_bom);
    if (bom) {
        text.remove_prefix(utf8_bom.size());
    }
    if (is_valid_utf8(text)) {
        read.utf8.assign(text);
        read.encoding = bom ? QStringLiteral("UTF-8（带BOM）") : QStringLiteral("UTF-8");
        read.ok = true;
        return read;
    }
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid()) {
        read.problem =
            QStringLiteral("文件“%1”不是UTF-8编码，且本机无法解读GB18030编码。").arg(path);
        return read;
    }
    const QString decoded = gb18030.decode(bytes);
    if (gb18030.hasError()) {
        read.problem =
            QStringLiteral("文件“%1”既不是UTF-8也不是GB18030（GBK）编码的文字，无法读取。")
                .arg(path);
        return read;
    }
    read.utf8 = decoded.toStdString();
    read.encoding = QStringLiteral("GB18030");
    read.ok = true;
    return read;
}

QString write_file_atomically(const QString& path, std::string_view bytes, file_readers readers) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("无法写入文件“%1”：%2").arg(path, file.errorString());
    }
    // Set on the temporary file before anything is in it; the rename keeps it.
    if (readers == file_readers::owner_only &&
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        const QString problem =
            QStringLiteral("无法限定文件“%1”的读取权限：%2").arg(path, file.errorString());
        file.cancelWriting();
        return problem;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        const QString problem =
            QStringLiteral("无法写入文件“%1”：%2").arg(path, file.errorString());
        file.cancelWriting();
        return problem;
    }
    if (!file.commit()) {
        return QStringLiteral("无法保存文件“%1”：%2").arg(path, file.errorString());
    }
    return {};
}

} // namespace orvandel::runtime
