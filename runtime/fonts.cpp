#include "runtime/fonts.h"

#include <QFontDatabase>
#include <QResource>
#include <QString>
#include <QStringList>

namespace orvandel::runtime {

namespace {

// Makes the compiled-in face known to Qt, once. Drawn from the installed Noto
// Serif CJK SC, the form costs about 10 MB more at start: Qt reads its glyphs
// from the two 26 MB font collections mapped into memory, the system maps
// 64 KB around every glyph read, and FreeType keeps tables for the 54,000
// subroutines of each collection. The compiled-in face holds the same glyphs,
// so the form looks the same, in 0.3 MB. Should registering fail, the
// installed faces draw the form as before.
// Whether the form is drawn in the compiled-in face.
bool compiled_face_registered = false;

void register_compiled_song_face() {
    if (compiled_face_registered) {
        return;
    }
    compiled_face_registered = true;
    for (const auto* path :
         {u":/orvandel/form-song-regular.otf", u":/orvandel/form-song-bold.otf"}) {
        const QResource file(QString::fromUtf16(path));
        // Used where it lies in the program, not copied (it is stored uncompressed).
        const QByteArray data =
            file.compressionAlgorithm() == QResource::NoCompression
                ? QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                          static_cast<qsizetype>(file.size()))
                : file.uncompressedData();
        QFontDatabase::addApplicationFontFromData(data);
    }
}

} // namespace

void install_font_substitutes() {
    // Where "宋体" itself is installed (Windows) the form is drawn in it and no
    // substitute is used, so the compiled-in face is not needed either.
    if (!QFontDatabase::hasFamily(QString::fromUtf16(song_face))) {
        register_compiled_song_face();
    }
    // Song-style faces with Simplified Chinese glyphs first; a sans face only as
    // the last resort, still with the right glyphs.
    const QStringList substitutes{
        QString::fromUtf16(compiled_song_face), QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Source Han Serif SC"),  QStringLiteral("AR PL UMing CN"),
        QStringLiteral("AR PL SungtiL GB"),     QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Zen Hei"),
    };
    for (const auto* name : {u"宋体", u"新宋体", u"SimSun", u"NSimSun"}) {
        QFont::insertSubstitutions(QString::fromUtf16(name), substitutes);
    }
}

QFont form_font(int points, bool bold, bool underline) {
    QFont font(QString::fromUtf16(song_face), points);
    font.setStyleHint(QFont::Serif);
    font.setBold(bold);
    font.setUnderline(underline);
    // The compiled-in face is laid out at its design widths, as 宋体 is on
    // Windows: hinting that rounds each advance to whole pixels would widen
    // "2001年04月30日" by a few pixels and wrap labels the form sizes exactly.
    if (compiled_face_registered) {
        font.setHintingPreference(QFont::PreferVerticalHinting);
    }
    return font;
}

} // namespace orvandel::runtime
