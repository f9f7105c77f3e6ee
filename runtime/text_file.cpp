#include "runtime/text_file.h"

#include "calc/utf8.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvandel::runtime {

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
