#pragma once
// The text map of a PDF that Qt wrote, corrected for Chinese faces.
//
// Qt names each glyph in a PDF font's text map (ToUnicode) by the lowest code
// point the font maps to that glyph. The Chinese faces share the glyph of many
// common characters with a radical code point below the ideographs, so a
// reader copying or searching the text gets the radical instead: ⺠ (U+2EA0)
// for 民, ⻚ (U+2EDA) for 页, ⻋ (U+2ECB) for 车, ⾦ (U+2FA6) for 金; and the
// space's glyph is named by the tab, which readers drop. Here each
// such entry is given back the character that was drawn with that glyph. The
// entries keep their length, so no offset in the file moves.

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QString>

namespace orvandel::ui::audit {

// Rewrites, in `pdf`, every text-map entry that names a radical or a control
// character to the
// character of `drawn` that the same glyph stands for in one of `fonts`.
// Returns the number of entries rewritten.
qsizetype name_glyphs_by_drawn_characters(QByteArray& pdf, const QList<QFont>& fonts,
                                          const QString& drawn);

} // namespace orvandel::ui::audit
