#pragma once
// A command button of the form. Its access key ("计算(&S)": Alt+S) runs the
// command at once, like a mouse click, rather than after the short pressed-look
// animation Qt plays first; a command started from the keyboard then runs
// before any key typed after it.

#include <QPushButton>

namespace orvandel::runtime {

class command_button : public QPushButton {
    Q_OBJECT

public:
    explicit command_button(const QString& text, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
};

} // namespace orvandel::runtime
