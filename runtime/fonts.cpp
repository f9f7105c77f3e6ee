#include "runtime/fonts.h"

#include <QString>
#include <QStringList>

namespace orvandel::runtime {

void install_font_substitutes() {
    // Song-style faces with Simplified Chinese glyphs first; a sans face only as
    // the last resort, still with the right glyphs.
    const QStringList substitutes{
        QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
        QStringLiteral("AR PL UMing CN"),    QStringLiteral("AR PL SungtiL GB"),
        QStringLiteral("Noto Sans CJK SC"),  QStringLiteral("WenQuanYi Zen Hei"),
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
    return font;
}

} // namespace orvandel::runtime
