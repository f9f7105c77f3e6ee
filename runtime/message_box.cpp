#include "runtime/message_box.h"

#include <QMessageBox>
#include <QPushButton>

#include <deque>

namespace orvandel::runtime {

namespace {

// Boxes are only asked for from the GUI thread, so plain statics suffice.
std::deque<int>& pending_answers() {
    static std::deque<int> answers;
    return answers;
}

std::vector<shown_box>& recorded_boxes() {
    static std::vector<shown_box> boxes;
    return boxes;
}

QMessageBox::Icon to_qt(msg_icon icon) {
    switch (icon) {
    case msg_icon::information:
        return QMessageBox::Information;
    case msg_icon::question:
        return QMessageBox::Question;
    case msg_icon::exclamation:
        return QMessageBox::Warning;
    case msg_icon::stop:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

int show_modal(QWidget* parent, const shown_box& box) {
    QMessageBox dialog(to_qt(box.icon), box.title, box.text, QMessageBox::NoButton, parent);
    if (box.buttons == msg_buttons::yes_no) {
        QPushButton* yes = dialog.addButton(QMessageBox::Yes);
        QPushButton* no = dialog.addButton(QMessageBox::No);
        dialog.setDefaultButton(box.default_button == 2 ? no : yes);
        dialog.setEscapeButton(no);
        dialog.exec();
        return dialog.clickedButton() == yes ? 1 : 2;
    }
    if (box.buttons == msg_buttons::save_discard_cancel) {
        QPushButton* save = dialog.addButton(QStringLiteral("保存(&S)"), QMessageBox::AcceptRole);
        QPushButton* discard =
            dialog.addButton(QStringLiteral("不保存(&N)"), QMessageBox::DestructiveRole);
        QPushButton* cancel = dialog.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        dialog.setDefaultButton(save);
        dialog.setEscapeButton(cancel);
        dialog.exec();
        return dialog.clickedButton() == save ? 1 : dialog.clickedButton() == discard ? 2 : 3;
    }
    QPushButton* ok = dialog.addButton(QMessageBox::Ok);
    dialog.setDefaultButton(ok);
    dialog.setEscapeButton(ok);
    dialog.exec();
    return 1;
}

} // namespace

int message_box(QWidget* parent, const QString& title, const QString& text, msg_icon icon,
                msg_buttons buttons, int default_button) {
    const int default_index = (buttons == msg_buttons::yes_no && default_button == 2) ? 2 : 1;
    const shown_box box{title, text, icon, buttons, default_index};
    recorded_boxes().push_back(box);
    if (!pending_answers().empty()) {
        const int answer = pending_answers().front();
        pending_answers().pop_front();
        return answer;
    }
    return show_modal(parent, box);
}

void push_answer(int button) {
    pending_answers().push_back(button);
}

std::vector<shown_box> take_recorded_boxes() {
    std::vector<shown_box> taken;
    taken.swap(recorded_boxes());
    return taken;
}

} // namespace orvandel::runtime
