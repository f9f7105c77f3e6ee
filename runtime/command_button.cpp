#include "runtime/command_button.h"

#include <QShortcutEvent>

namespace orvandel::runtime {

command_button::command_button(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false);
}

bool command_button::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
        if (isEnabled()) {
            click();
        }
        return true;
    }
    return QPushButton::event(event);
}

} // namespace orvandel::runtime
