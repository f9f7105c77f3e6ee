#pragma once
// The filing calendar window (申报日历): a year's twelve payment deadlines
// (缴款期限) as the program assumes them, each with its source (the State
// Taxation Administration's notice, or 推算 with the rule used and the other
// rule's day) and the periods due in that month, so that the user can check a
// date before relying on it, or see why a year has none. Modeless; Esc
// closes it.

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace orvandel::ui::calendar {

class w_calendar : public QDialog {
    Q_OBJECT

public:
    // Shows the deadlines of `year`.
    explicit w_calendar(int year, QWidget* parent = nullptr);

    // Shows another year (also what the spin box and the buttons do).
    void show_year(int year);
    [[nodiscard]] int year() const;

    // The years the spin box offers: a few beyond the data either side, so
    // that a year without data can be seen to have none.
    static constexpr int first_year = 2000;
    static constexpr int last_year = 2035;

    // The table's columns.
    enum column : int {
        month_column,
        periods_column,
        deadline_column,
        weekday_column,
        rule_column,
        alternative_column,
        source_column, // last: it takes the room left, for a notice's whole title
        column_count,
    };

    QSpinBox* year_box = nullptr;
    QPushButton* previous_year = nullptr;
    QPushButton* next_year = nullptr;
    QLabel* year_summary = nullptr; // what the year's dates rest on
    QTableWidget* table = nullptr;
    QLabel* rules = nullptr; // the rules, the data the program has and how to override

private:
    void fill_table(int year);
};

} // namespace orvandel::ui::calendar
