#pragma once
// The form is drawn in the Song-style Chinese face "宋体". Where that face is
// not installed (every Linux desktop), it resolves to a Song-style CJK face
// with Simplified Chinese glyphs, never to a Japanese face or missing-glyph boxes.

#include <QFont>

namespace orvandel::runtime {

inline constexpr auto song_face = u"宋体";

// Registers the substitutes for "宋体" and its other names. Call once at
// start-up, before the first window is built.
void install_font_substitutes();

// The form's font: "宋体" at `points` points.
[[nodiscard]] QFont form_font(int points, bool bold = false, bool underline = false);

} // namespace orvandel::runtime
