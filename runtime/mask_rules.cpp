#include "runtime/mask_rules.h"

#include <QDate>
#include <QStringList>

#include <algorithm>
#include <array>

namespace orvandel::runtime::mask {

namespace {

// The pictures take the digits 0-9 only (QChar::isDigit() would take other scripts' too).
bool ascii_digits(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString without_leading_zeros(const QString& digits) {
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == u'0') {
        ++first;
    }
    return digits.mid(first);
}

QString date_text(const QDate& day) {
    return QStringLiteral("%1-%2-%3")
        .arg(day.year(), 4, 10, QChar(u'0'))
        .arg(day.month(), 2, 10, QChar(u'0'))
        .arg(day.day(), 2, 10, QChar(u'0'));
}

QDate finished_date(const QString& text) {
    if (text.size() != date_length || text[4] != u'-' || text[7] != u'-') {
        return {};
    }
    const QStringView view(text);
    if (!ascii_digits(view.mid(0, 4)) || !ascii_digits(view.mid(5, 2)) ||
        !ascii_digits(view.mid(8, 2))) {
        return {};
    }
    const int year = view.mid(0, 4).toInt();
    if (year < 1) {
        return {};
    }
    return {year, view.mid(5, 2).toInt(), view.mid(8, 2).toInt()};
}

constexpr std::array<qsizetype, 3> date_part_widths{4, 2, 2};

} // namespace

state check_money(const QString& text) {
    if (text.isEmpty()) {
        return state::acceptable;
    }
    const qsizetype point = text.indexOf(u'.');
    const QStringView integer_part = QStringView(text).left(point < 0 ? text.size() : point);
    const QStringView decimals = point < 0 ? QStringView() : QStringView(text).mid(point + 1);
    if (!ascii_digits(integer_part) || !ascii_digits(decimals)) {
        return state::invalid; // a sign, a second point, a letter, a blank
    }
    if (integer_part.size() > money_integer_digits || decimals.size() > money_decimals) {
        return state::invalid;
    }
    const bool final_form = point >= 0 && decimals.size() == money_decimals &&
                            (integer_part.isEmpty() || integer_part.front() != u'0');
    return final_form ? state::acceptable : state::intermediate;
}

QString fix_money(const QString& text) {
    if (text.isEmpty() || check_money(text) == state::invalid) {
        return text;
    }
    const qsizetype point = text.indexOf(u'.');
    const QString integer_part = text.left(point < 0 ? text.size() : point);
    QString decimals = point < 0 ? QString() : text.mid(point + 1);
    while (decimals.size() < money_decimals) {
        decimals.append(u'0');
    }
    return without_leading_zeros(integer_part) + u'.' + decimals;
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
    const QString digits = without_leading_zeros(text);
    return digits.isEmpty() ? QStringLiteral("0") : digits;
}

state check_digits(const QString& text) {
    if (text.isEmpty()) {
        return state::intermediate;
    }
    if (!ascii_digits(text) || text.size() > digit_positions) {
        return state::invalid;
    }
    return state::acceptable;
}

QString fix_digits(const QString& text) {
    return text.isEmpty() ? QStringLiteral("0") : text;
}

QString step_digits(const QString& text, int steps) {
    if (check_digits(text) == state::invalid) {
        return text;
    }
    constexpr int largest = 999999;
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
    return finished_date(text).isValid() ? state::acceptable : state::intermediate;
}

QString fix_date(const QString& text) {
    const QStringList parts = text.split(u'-');
    if (parts.size() != 3 || parts[0].size() != 4 || !ascii_digits(parts.join(QString()))) {
        return text;
    }
    for (qsizetype i = 1; i < 3; ++i) {
        if (parts[i].isEmpty() || parts[i].size() > 2) {
            return text;
        }
    }
    const QDate day(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
    if (!day.isValid() || day.year() < 1) {
        return text;
    }
    return date_text(day);
}

QString step_date(const QString& text, int cursor, int steps) {
    const QDate day = finished_date(text);
    if (!day.isValid()) {
        return text;
    }
    QDate stepped;
    if (cursor <= 4) {
        stepped = day.addYears(steps);
    } else if (cursor <= 7) {
        stepped = day.addMonths(steps);
    } else {
        stepped = day.addDays(steps);
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
