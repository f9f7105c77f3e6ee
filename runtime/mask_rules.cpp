#include "runtime/mask_rules.h"

#include "calc/date.h"
#include "calc/number_text.h"
#include "runtime/engine_text.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

namespace orvandel::runtime::mask {

namespace {

// The pictures take the digits 0-9 only (QChar::isDigit() would take other scripts' too).
bool ascii_digits(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The date a finished "yyyy-mm-dd" names, as the engine reads it.
std::optional<QDate> finished_date(const QString& text) {
    const auto day = calc::parse_date_text(utf8(text));
    if (!day) {
        return std::nullopt;
    }
    return to_qdate(*day);
}

constexpr std::array<qsizetype, 3> date_part_widths{4, 2, 2};

// A character of some written form of a date that a paste reads: a digit or
// separator, its full-width form, 年/月/日, or a blank.
bool date_form_character(QChar c) {
    char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) {
        u = static_cast<char16_t>(u - 0xFEE0); // full-width forms of "!" to "~"
    }
    return (u >= u'0' && u <= u'9') || u == u'-' || u == u'/' || u == u'.' || u == u'年' ||
           u == u'月' || u == u'日' || u == u' ' || u == 0x00A0 || u == 0x3000;
}

// "２０２４年１２月３１日" with a blank on either side, and room for a few more.
constexpr qsizetype longest_date_form = 24;

} // namespace

state check_money(const QString& text) {
    if (text.isEmpty()) {
        return state::acceptable;
    }
    if (text == u'.') {
        return state::intermediate; // the start of ".50"
    }
    // Anything the engine reads as an amount may be typed; its final form is
    // the picture's text of that amount.
    const auto amount = calc::parse_amount_text(utf8(text));
    if (!amount) {
        return state::invalid; // a sign, a second point, a letter, a blank, too many digits
    }
    return qstring(calc::money_picture_text(*amount)) == text ? state::acceptable
                                                              : state::intermediate;
}

QString fix_money(const QString& text) {
    if (text == u'.') {
        return qstring(calc::money_picture_text({0, calc::amount_decimals}));
    }
    const auto amount = calc::parse_amount_text(utf8(text));
    return amount ? qstring(calc::money_picture_text(*amount)) : text;
}

state check_count(const QString& text) {
    if (text.isEmpty()) {
        return state::intermediate;
    }
    if (!ascii_digits(text)) {
        return state::invalid;
    }
    return (text.size() > 1 && text.front() == u'0') ? state::intermediate : state::acceptable;
}

QString fix_count(const QString& text) {
    if (text.isEmpty() || !ascii_digits(text)) {
        return text;
    }
    qsizetype first = 0;
    while (first < text.size() - 1 && text[first] == u'0') {
        ++first;
    }
    return text.mid(first);
}

state check_digits(const QString& text) {
    if (text.isEmpty()) {
        return state::intermediate;
    }
    return calc::parse_day_count_text(utf8(text)) ? state::acceptable : state::invalid;
}

QString fix_digits(const QString& text) {
    return text.isEmpty() ? QStringLiteral("0") : text;
}

QString step_digits(const QString& text, int steps) {
    if (check_digits(text) == state::invalid) {
        return text;
    }
    constexpr auto largest = static_cast<int>(calc::max_typed_day_count);
    const int value = text.isEmpty() ? 0 : text.toInt();
    const int stepped = std::clamp(value + std::clamp(steps, -largest, largest), 0, largest);
    return QStringLiteral("%1").arg(stepped, static_cast<int>(text.size()), 10, QChar(u'0'));
}

state check_date(QString& text, int& cursor) {
    if (text.isEmpty()) {
        return state::intermediate;
    }
    if (!std::all_of(text.begin(), text.end(),
                     [](QChar c) { return (c >= u'0' && c <= u'9') || c == u'-'; })) {
        return state::invalid;
    }
    QStringList parts = text.split(u'-');
    if (parts.size() > 3) {
        return state::invalid;
    }
    // Digits typed past the end of the year or the month start the next part.
    for (;;) {
        const auto last = static_cast<std::size_t>(parts.size() - 1);
        const qsizetype width = date_part_widths[last];
        if (parts.back().size() <= width) {
            break;
        }
        if (last == 2) {
            return state::invalid;
        }
        qsizetype separator_at = width;
        for (qsizetype i = 0; i < parts.size() - 1; ++i) {
            separator_at += parts[i].size() + 1;
        }
        parts.append(parts.back().mid(width));
        parts[parts.size() - 2].truncate(width);
        if (cursor > separator_at) {
            ++cursor;
        }
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (parts[i].size() > date_part_widths[static_cast<std::size_t>(i)]) {
            return state::invalid;
        }
    }
    text = parts.join(u'-');
    cursor = std::clamp(cursor, 0, static_cast<int>(text.size()));
    return finished_date(text) ? state::acceptable : state::intermediate;
}

state check_date_any_form(QString& text, int& cursor) {
    const bool picture_characters = std::all_of(
        text.begin(), text.end(), [](QChar c) { return (c >= u'0' && c <= u'9') || c == u'-'; });
    if (picture_characters) {
        return check_date(text, cursor);
    }
    if (text.size() <= longest_date_form &&
        std::all_of(text.begin(), text.end(), date_form_character)) {
        return state::intermediate;
    }
    return state::invalid;
}

QString fix_date(const QString& text) {
    // "2001-4-1" -> "2001-04-01"; the engine then says whether that is a real day.
    const QStringList parts = text.split(u'-');
    if (parts.size() != 3 || parts[1].size() > 2 || parts[2].size() > 2) {
        return text;
    }
    const QString padded = parts[0] + u'-' + parts[1].rightJustified(2, u'0') + u'-' +
                           parts[2].rightJustified(2, u'0');
    return finished_date(padded) ? padded : text;
}

QString step_date(const QString& text, int cursor, int steps) {
    const std::optional<QDate> day = finished_date(text);
    if (!day) {
        return text;
    }
    QDate stepped;
    if (cursor <= 4) {
        stepped = day->addYears(steps);
    } else if (cursor <= 7) {
        stepped = day->addMonths(steps);
    } else {
        stepped = day->addDays(steps);
    }
    const QDate first(1, 1, 1);
    const QDate last(9999, 12, 31);
    if (!stepped.isValid() || stepped < first) {
        stepped = first;
    } else if (stepped > last) {
        stepped = last;
    }
    return date_text(stepped);
}

} // namespace orvandel::runtime::mask
