#include "runtime/date_field.h"

#include "runtime/edit_mask.h"
#include "runtime/engine_text.h"

#include "calc/date.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

namespace orvandel::runtime {

namespace {

// The day a finished "yyyy-mm-dd" names; invalid for anything else.
QDate day_of(const QString& text) {
    const auto day = calc::parse_date_text(utf8(text));
    return day ? to_qdate(*day) : QDate();
}

} // namespace

date_field::date_field(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    edit_ = new edit_mask(mask_kind::date, this);
    edit_->set_spin_arrows(true);
    edit_->set_reads_pasted_forms(true);
    edit_->setMinimumWidth(edit_->fontMetrics().horizontalAdvance(QStringLiteral("8888-88-888")) +
                           40);
    button_ = new QToolButton(this);
    button_->setText(QStringLiteral("▾"));
    button_->setToolTip(QStringLiteral("从日历中选择（Alt+↓）"));
    button_->setAccessibleName(QStringLiteral("日历"));
    button_->setFocusPolicy(Qt::NoFocus); // the keys open it from the field
    layout->addWidget(edit_);
    layout->addWidget(button_);
    setFocusProxy(edit_);
    // Takes the focus as the field does, so that a label's access key with
    // this as its buddy reaches the field.
    setFocusPolicy(edit_->focusPolicy());

    popup_ = new QWidget(this, Qt::Popup);
    auto* popup_layout = new QHBoxLayout(popup_);
    popup_layout->setContentsMargins(0, 0, 0, 0);
    calendar_ = new QCalendarWidget(popup_);
    calendar_->setGridVisible(true);
    calendar_->setMinimumDate(QDate(1, 1, 1));
    calendar_->setMaximumDate(QDate(9999, 12, 31));
    popup_layout->addWidget(calendar_);

    connect(edit_, &edit_mask::modified, this, &date_field::take_typed);
    // A step is a change at once, as in a calendar: no need to leave the field.
    connect(edit_, &edit_mask::stepped, edit_, &edit_mask::commit);
    connect(edit_, &edit_mask::refused, this, &date_field::refused);
    connect(button_, &QToolButton::clicked, this, &date_field::show_calendar);
    // Enter or a click on a day chooses it.
    connect(calendar_, &QCalendarWidget::activated, this, &date_field::choose);
    connect(calendar_, &QCalendarWidget::clicked, this, &date_field::choose);
    edit_->installEventFilter(this);
}

void date_field::set_date(const QDate& day) {
    if (!day.isValid()) {
        return;
    }
    date_ = day;
    edit_->set_text(date_text(day));
}

void date_field::show_calendar() {
    edit_->commit(); // a day typed but not yet taken is where the calendar opens
    calendar_->setSelectedDate(date_);
    popup_->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* shown_on = screen()) {
        const QRect room = shown_on->availableGeometry();
        at.setX(
            std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - popup_->width())));
        if (at.y() + popup_->height() > room.bottom()) {
            at.setY(mapToGlobal(QPoint(0, 0)).y() - popup_->height());
        }
    }
    popup_->move(at);
    popup_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

bool date_field::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == edit_ &&
            (key->key() == Qt::Key_F4 ||
             (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier))) {
            show_calendar();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void date_field::take_typed() {
    const QDate day = day_of(edit_->text());
    if (!day.isValid() || day == date_) {
        return;
    }
    date_ = day;
    emit date_changed(day);
}

void date_field::choose(const QDate& day) {
    popup_->close();
    edit_->setFocus(Qt::OtherFocusReason);
    if (!day.isValid() || day == date_) {
        return;
    }
    set_date(day);
    emit date_changed(day);
}

} // namespace orvandel::runtime
