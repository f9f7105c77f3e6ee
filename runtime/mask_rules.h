#pragma once
// The input pictures of the form's entry fields, as rules over the field's text.
// An edit_mask asks these while the user types (to refuse a keystroke, accept a
// partial entry or accept the finished entry) and when the user leaves the field
// (to bring a partial entry into its final form). Kept free of widgets so every
// rule can be checked on its own. The limits, the final forms and what is a
// real date are the engine's (calc/number_text.h, calc/date.h): the fields take
// exactly what Calculate and the command line read.

#include <QString>

namespace orvandel::runtime::mask {

enum class state {
    invalid,      // the keystroke that produced this text is refused
    intermediate, // may still become a finished entry
    acceptable,   // a finished entry in the picture's own form
};

// "############.00": up to twelve integer digits and always two decimals, the
// integer digits without leading zeros, so zero reads ".00". While typing,
// leading zeros, a missing point and fewer decimals are allowed ("0.5", "12").
// An empty field is acceptable: it reads as zero.
[[nodiscard]] state check_money(const QString& text);
// "12" -> "12.00", "0.5" -> ".50", "007.1" -> "7.10", "." -> ".00". A text that
// is not a partial amount comes back unchanged.
[[nodiscard]] QString fix_money(const QString& text);

// "0": a whole number with at least one digit and no leading zeros.
[[nodiscard]] state check_count(const QString& text);
// "030" -> "30", "000" -> "0"; anything but digits comes back unchanged.
[[nodiscard]] QString fix_count(const QString& text);

// "######": one to six digits, kept as typed (leading zeros stay).
[[nodiscard]] state check_digits(const QString& text);
// An emptied field becomes "0".
[[nodiscard]] QString fix_digits(const QString& text);
// Adds `steps` (may be negative), clamped to 0..999999, keeping the width of
// the text: "000123" + 1 -> "000124", "0009" + 1 -> "0010", "9" + 1 -> "10".
[[nodiscard]] QString step_digits(const QString& text, int steps);

// "yyyy-mm-dd", years 0001..9999. While typing, the separators may be typed or
// left out: a digit that overflows the year or the month starts the next part
// with its "-" put in ("20010421" becomes "2001-04-21", "2001-042" becomes
// "2001-04-2"), which may move the cursor. Only characters other than digits
// and "-", and digits beyond the picture, are refused: a digit is never
// dropped for its value, because the digits typed after it would then make up
// another date than the one meant ("2001-1" then "3" refused, then "-21",
// would read 2001-01-21). An impossible date ("2001-13-01", "2001-02-30")
// therefore stays visibly unfinished instead.
[[nodiscard]] state check_date(QString& text, int& cursor);
// As check_date, and also the other ways of writing a date that a paste
// takes (calc/pasted_text.h): "/" or "." between the parts, "年", "月", "日",
// full-width digits and punctuation, blanks. Such a text is at most
// intermediate: it is read as a whole when the user leaves the field. Other
// characters, and texts longer than any of these forms, are refused.
[[nodiscard]] state check_date_any_form(QString& text, int& cursor);
// Pads a one-digit month or day: "2001-4-1" -> "2001-04-01", if that names a
// real day; anything else comes back unchanged (a partial date stays visibly
// partial rather than turning into some other day).
[[nodiscard]] QString fix_date(const QString& text);
// Steps the part of a finished date that holds the cursor: positions 0..4 the
// year, 5..7 the month, 8..10 the day. Days roll over months and years; a month
// or year step keeps the day where the month has it and otherwise takes the
// month's last day (2001-01-31 + 1 month -> 2001-02-28). Clamped to
// 0001-01-01..9999-12-31. A text that is not a finished date comes back unchanged.
[[nodiscard]] QString step_date(const QString& text, int cursor, int steps);

} // namespace orvandel::runtime::mask
