#include "runtime/text_file.h"

#include "calc/utf8.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace orvandel::runtime {

namespace {

#ifdef _WIN32
// Windows' own conversion from a code page; nothing when a byte sequence is
// not valid in it, or the system lacks the code page.
std::optional<QString> decode_code_page(unsigned code_page, const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return QString();
    }
    const int size = static_cast<int>(bytes.size());
    const int length =
        MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.constData(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.constData(), size, wide.data(),
                            length) != length) {
        return std::nullopt;
    }
    return QString::fromStdWString(wide);
}
#endif

// Qt decodes GB18030 through ICU, which its Windows build lacks. There the
// system's code page 54936 decodes it; a system without that code page
// (Wine) still has GBK, code page 936, which GB18030 extends and in which
// Excel and WPS save CSV on Chinese Windows.
std::optional<QString> decode_gb18030(const QByteArray& bytes) {
    QStringDecoder gb18030("GB18030");
    if (gb18030.isValid()) {
        QString decoded = gb18030.decode(bytes);
        return gb18030.hasError() ? std::nullopt : std::optional<QString>(std::move(decoded));
    }
#ifdef _WIN32
    constexpr unsigned gb18030_code_page = 54936;
    constexpr unsigned gbk_code_page = 936;
    if (IsValidCodePage(gb18030_code_page)) {
        return decode_code_page(gb18030_code_page, bytes);
    }
    return decode_code_page(gbk_code_page, bytes);
#else
    return std::nullopt;
#endif
}

} // namespace

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
    const bool bom = text.starts_with(calc::utf8_bom);
    if (bom) {
        text.remove_prefix(calc::utf8_bom.size());
    }
    if (calc::is_valid_utf8(text)) {
        read.utf8.assign(text);
        read.encoding = bom ? QStringLiteral("UTF-8（带BOM）") : QStringLiteral("UTF-8");
        read.ok = true;
        return read;
    }
    const std::optional<QString> decoded = decode_gb18030(bytes);
    if (!decoded) {
        read.problem =
            QStringLiteral("文件“%1”既不是UTF-8也不是GB18030（GBK）编码的文字，无法读取。")
                .arg(path);
        return read;
    }
    read.utf8 = decoded->toStdString();
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
