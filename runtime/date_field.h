#pragma once
// A date entry that always holds a day: the form's date field beside a button
// that opens a calendar. Typed or pasted, a whole date arrives whole in any
// form a paste takes; Up/Down and the spin arrows step the part under the
// cursor; Alt+Down or F4 opens the calendar, as the button does, and Esc
// closes it again.

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QToolButton;

namespace orvandel::runtime {

class edit_mask;

class date_field : public QWidget {
    Q_OBJECT

public:
    explicit date_field(QWidget* parent = nullptr);

    [[nodiscard]] QDate date() const { return date_; }
    // Shows `day`; not a change by the user, so no date_changed. An invalid
    // day is ignored: the field always holds one.
    void set_date(const QDate& day);

    [[nodiscard]] edit_mask* edit() const { return edit_; }
    [[nodiscard]] QToolButton* calendar_button() const { return button_; }
    // Opens the calendar under the field, on the field's day.
    void show_calendar();

signals:
    // The user chose another day: typed and left the field, stepped it, or
    // picked it in the calendar.
    void date_changed(const QDate& day);
    // A typed or pasted text was refused; `message` is the tip shown.
    void refused(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void take_typed();
    void choose(const QDate& day);

    edit_mask* edit_ = nullptr;
    QToolButton* button_ = nullptr;
    QWidget* popup_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QDate date_;
};

} // namespace orvandel::runtime
