#pragma once
// The form is drawn in the Song-style Chinese face "宋体". Where that face is
// not installed (every Linux desktop), it resolves to a Song-style CJK face
// with Simplified Chinese glyphs, never to a Japanese face or missing-glyph boxes.

#include <QFont>

namespace orvandel::runtime {

inline constexpr auto song_face = u"宋体";
// The Song-style face compiled into the program (res/form_song.sh): the glyphs
// of Noto Serif CJK SC, Regular and Bold, for the characters the form shows.
inline constexpr auto compiled_song_face = u"Orvandel Song";

// Registers the substitutes for "宋体" and its other names: first the compiled-in
// face, then the installed ones, which also draw any character the compiled-in
// face lacks. Call at start-up, before the first window is built.
void install_font_substitutes();

// The form's font: "宋体" at `points` points.
[[nodiscard]] QFont form_font(int points, bool bold = false, bool underline = false);

} // namespace orvandel::runtime
