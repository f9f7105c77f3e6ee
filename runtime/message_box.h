#pragma once
// Every modal message box of the program goes through here, so that tests can
// answer boxes in advance instead of blocking on them.

#include <QString>

#include <vector>

class QWidget;

namespace orvandel::runtime {

enum class msg_icon { information, question, exclamation, stop };
// save_discard_cancel: 保存 (1), 不保存 (2), 取消 (3); Esc and closing the box answer 取消.
enum class msg_buttons { ok, yes_no, save_discard_cancel };

// Shows a modal box; returns the number of the pressed button, 1 = first (OK or Yes),
// 2 = second (No). default_button is 1 or 2 (for yes_no: 2 makes No the default, so
// Enter answers No). Closing a yes_no box without choosing (Esc, window close) counts
// as No; closing an ok box counts as OK.
int message_box(QWidget* parent, const QString& title, const QString& text,
                msg_icon icon = msg_icon::information, msg_buttons buttons = msg_buttons::ok,
                int default_button = 1);

// For tests: the next box(es) are not shown but answered at once with the given button
// numbers (queue, first pushed answers first); every box asked for, shown or answered,
// is recorded.
struct shown_box {
    QString title;
    QString text;
    msg_icon icon;
    msg_buttons buttons;
    int default_button;
};
void push_answer(int button);
std::vector<shown_box> take_recorded_boxes(); // returns and clears the record

} // namespace orvandel::runtime
