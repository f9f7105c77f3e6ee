#include "runtime/edit_mask.h"

#include "calc/number_text.h"
#include "calc/pasted_text.h"
#include "runtime/engine_text.h"
#include "runtime/mask_rules.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QToolTip>

#include <memory>

namespace orvandel::runtime {

namespace {

QValidator::State to_qt(mask::state s) {
    switch (s) {
    case mask::state::invalid:
        return QValidator::Invalid;
    case mask::state::intermediate:
        return QValidator::Intermediate;
    case mask::state::acceptable:
        return QValidator::Acceptable;
    }
    return QValidator::Invalid;
}

mask::state check(mask_kind kind, QString& text, int& cursor, bool pasted_forms = false) {
    switch (kind) {
    case mask_kind::money:
        return mask::check_money(text);
    case mask_kind::count:
        return mask::check_count(text);
    case mask_kind::digits:
        return mask::check_digits(text);
    case mask_kind::date:
        return pasted_forms ? mask::check_date_any_form(text, cursor)
                            : mask::check_date(text, cursor);
    }
    return mask::state::invalid;
}

QString fixed(mask_kind kind, const QString& text) {
    switch (kind) {
    case mask_kind::money:
        return mask::fix_money(text);
    case mask_kind::count:
        return mask::fix_count(text);
    case mask_kind::digits:
        return mask::fix_digits(text);
    case mask_kind::date:
        return mask::fix_date(text);
    }
    return text;
}

bool acceptable(mask_kind kind, const QString& text) {
    QString probe = text;
    int cursor = 0;
    return check(kind, probe, cursor) == mask::state::acceptable && probe == text;
}

// A pasted text in the field's own form, or why it cannot be read.
calc::result<std::string, calc::paste_error> normalise_pasted(mask_kind kind, const QString& text) {
    const std::string pasted = utf8(text);
    switch (kind) {
    case mask_kind::money:
        return calc::normalise_pasted_amount(pasted);
    case mask_kind::digits:
        return calc::normalise_pasted_day_count(pasted);
    case mask_kind::date:
        return calc::normalise_pasted_date(pasted);
    case mask_kind::count:
        break;
    }
    // Whole-number fields only show results; nothing is pasted into them.
    return calc::paste_error::day_count_unrecognised;
}

// The characters of the date parts, for selecting the part just stepped.
struct part_span {
    int start;
    int length;
};
part_span date_part_at(int cursor) {
    if (cursor <= 4) {
        return {0, 4};
    }
    if (cursor <= 7) {
        return {5, 2};
    }
    return {8, 2};
}

} // namespace

edit_mask::edit_mask(mask_kind kind, QWidget* parent) : QAbstractSpinBox(parent), kind_(kind) {
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setKeyboardTracking(false);
    connect(lineEdit(), &QLineEdit::textEdited, this, &edit_mask::user_edited);
    // Drops and the middle-button paste reach the line itself. A spin box
    // takes no drops by default; the fields take text dropped from elsewhere.
    lineEdit()->setAcceptDrops(true);
    lineEdit()->installEventFilter(this);
}

void edit_mask::set_text(const QString& text) {
    lineEdit()->setText(acceptable(kind_, text) ? text : fixed(kind_, text));
    pending_change_ = false;
    last_finished_ = lineEdit()->text();
}

void edit_mask::set_spin_arrows(bool on) {
    setButtonSymbols(on ? QAbstractSpinBox::UpDownArrows : QAbstractSpinBox::NoButtons);
}

void edit_mask::set_display_only(bool on) {
    setReadOnly(on);
    // Display-only fields sit on the window's own background, like the labels.
    QPalette colours = palette();
    colours.setColor(QPalette::Base,
                     on ? colours.color(QPalette::Window) : QPalette().color(QPalette::Base));
    setPalette(colours);
}

void edit_mask::paste_text(const QString& text) {
    if (isReadOnly()) {
        return;
    }
    QLineEdit* line = lineEdit();
    const QString before = line->text();
    const bool whole_field = before.isEmpty() || line->selectedText().size() == before.size();
    if (!whole_field) {
        // Into part of the field: as typing the text there would go.
        QString probe = before;
        const int start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        probe.replace(start, line->selectedText().size(), text);
        int cursor = start + static_cast<int>(text.size());
        if (check(kind_, probe, cursor) != mask::state::invalid) {
            paste_refusal_.clear();
            line->insert(text);
            return;
        }
    }
    const auto value = normalise_pasted(kind_, text);
    if (!value) {
        paste_refusal_ = qstring(calc::paste_error_text(value.error()));
        // Says that the field kept what it had, and why.
        show_refusal(QStringLiteral("未能粘贴：%1").arg(paste_refusal_));
        return;
    }
    paste_refusal_.clear();
    QToolTip::hideText();
    const QString shown = fixed(kind_, qstring(*value));
    if (shown == before) {
        return;
    }
    line->setText(shown);
    line->end(false);
    user_edited();
}

void edit_mask::commit() {
    const QString current = text();
    if (!acceptable(kind_, current)) {
        const QString final_form = fixed(kind_, current);
        if (reads_pasted_forms_ && !acceptable(kind_, final_form)) {
            if (!take_as_pasted(current)) {
                return;
            }
        } else if (final_form != current) {
            lineEdit()->setText(final_form);
        }
    }
    if (acceptable(kind_, text())) {
        last_finished_ = text();
    }
    if (pending_change_) {
        pending_change_ = false;
        emit modified();
    }
}

bool edit_mask::take_as_pasted(const QString& entry) {
    const auto value = normalise_pasted(kind_, entry);
    if (value) {
        paste_refusal_.clear();
        lineEdit()->setText(fixed(kind_, qstring(*value)));
        return true;
    }
    // The field goes back to what it held, so that it never shows a text
    // other than the value in use.
    paste_refusal_ = qstring(calc::paste_error_text(value.error()));
    lineEdit()->setText(last_finished_);
    pending_change_ = false;
    const QString message =
        entry.trimmed().isEmpty()
            ? QStringLiteral("未能填入：%1").arg(paste_refusal_)
            : QStringLiteral("未能填入“%1”：%2").arg(entry.trimmed(), paste_refusal_);
    // Shown once the focus has moved on: a tip is hidden when the focus
    // moves, and leaving the field is what brought us here.
    QMetaObject::invokeMethod(
        this, [this, message] { show_refusal(message); }, Qt::QueuedConnection);
    return false;
}

void edit_mask::show_refusal(const QString& message) {
    QToolTip::showText(mapToGlobal(QPoint(0, height())), message, this);
    QApplication::beep();
    emit refused(message);
}

QValidator::State edit_mask::validate(QString& input, int& pos) const {
    return to_qt(check(kind_, input, pos, reads_pasted_forms_));
}

void edit_mask::fixup(QString& input) const {
    input = fixed(kind_, input);
}

void edit_mask::stepBy(int steps) {
    if (stepEnabled() == StepNone) {
        return;
    }
    const QString before = text();
    const int cursor = lineEdit()->cursorPosition();
    const QString after = kind_ == mask_kind::date ? mask::step_date(before, cursor, steps)
                                                   : mask::step_digits(before, steps);
    if (after == before) {
        return;
    }
    lineEdit()->setText(after);
    pending_change_ = true;
    if (kind_ == mask_kind::date) {
        const part_span part = date_part_at(cursor);
        lineEdit()->setSelection(part.start, part.length);
    } else {
        selectAll();
    }
    emit stepped();
}

QAbstractSpinBox::StepEnabled edit_mask::stepEnabled() const {
    if (isReadOnly() || buttonSymbols() == QAbstractSpinBox::NoButtons) {
        return StepNone;
    }
    const QString current = text();
    if (kind_ == mask_kind::date) {
        return acceptable(kind_, current) ? (StepUpEnabled | StepDownEnabled) : StepNone;
    }
    if (kind_ != mask_kind::digits || mask::check_digits(current) == mask::state::invalid) {
        return StepNone;
    }
    StepEnabled enabled = StepNone;
    const int value = current.toInt();
    if (value > 0) {
        enabled |= StepDownEnabled;
    }
    if (value < 999999) {
        enabled |= StepUpEnabled;
    }
    return enabled;
}

void edit_mask::focusOutEvent(QFocusEvent* event) {
    // A context menu of the field itself is no leaving of the field.
    if (event->reason() != Qt::PopupFocusReason) {
        commit();
    }
    QAbstractSpinBox::focusOutEvent(event);
}

void edit_mask::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        paste_text(QGuiApplication::clipboard()->text());
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        commit();
    }
    // Enter is passed on to the window, which runs its default command.
    QAbstractSpinBox::keyPressEvent(event);
}

void edit_mask::contextMenuEvent(QContextMenuEvent* event) {
    // The line's own menu, with Paste going through paste_text and the spin
    // steps where the field has arrows.
    const std::unique_ptr<QMenu> menu(lineEdit()->createStandardContextMenu());
    if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this,
                [this] { paste_text(QGuiApplication::clipboard()->text()); });
    }
    QAction* up = nullptr;
    QAction* down = nullptr;
    if (buttonSymbols() != QAbstractSpinBox::NoButtons) {
        menu->addSeparator();
        const StepEnabled enabled = stepEnabled();
        up = menu->addAction(QCoreApplication::translate("QAbstractSpinBox", "&Step up"));
        up->setEnabled(enabled.testFlag(StepUpEnabled));
        down = menu->addAction(QCoreApplication::translate("QAbstractSpinBox", "Step &down"));
        down->setEnabled(enabled.testFlag(StepDownEnabled));
    }
    const QAction* chosen = menu->exec(event->globalPos());
    if (chosen != nullptr && chosen == up) {
        stepBy(1);
    } else if (chosen != nullptr && chosen == down) {
        stepBy(-1);
    }
}

bool edit_mask::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && !isReadOnly()) {
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            // Text moved within the field is an edit like typing; the line handles it.
            if (drop->mimeData()->hasText() && drop->source() != lineEdit()) {
                lineEdit()->selectAll(); // a dropped value replaces the field's
                paste_text(drop->mimeData()->text());
                drop->acceptProposedAction();
                setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
            QGuiApplication::clipboard()->supportsSelection()) {
            paste_text(QGuiApplication::clipboard()->text(QClipboard::Selection));
            return true;
        }
    }
    return QAbstractSpinBox::eventFilter(watched, event);
}

void edit_mask::user_edited() {
    pending_change_ = true;
    if (auto_skip_ && picture_complete() && lineEdit()->cursorPosition() == text().size()) {
        focusNextChild();
    }
}

bool edit_mask::picture_complete() const {
    switch (kind_) {
    case mask_kind::date:
        return acceptable(kind_, text());
    case mask_kind::digits:
        return text().size() == calc::day_count_digits;
    case mask_kind::money:
    case mask_kind::count:
        return false;
    }
    return false;
}

void commit_pending_edit(QWidget* window) {
    for (QWidget* w = window->focusWidget(); w != nullptr && w != window; w = w->parentWidget()) {
        if (auto* field = qobject_cast<edit_mask*>(w)) {
            field->commit();
            return;
        }
    }
}

} // namespace orvandel::runtime
