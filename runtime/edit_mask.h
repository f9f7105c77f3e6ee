#pragma once
// The form's entry field: a single line with an input picture (amount, whole
// number, six digits or date), optional spin arrows, optional auto-skip to the
// next tab stop, and a display-only state. It raises `modified` when the user
// has changed it and then leaves it or presses Enter.

#include <QAbstractSpinBox>
#include <QString>

namespace orvandel::runtime {

enum class mask_kind {
    money,  // "############.00": amount with two decimals, zero reads ".00"
    count,  // "0": whole number
    digits, // "######": up to six digits, kept as typed
    date,   // "yyyy-mm-dd"
};

class edit_mask : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit edit_mask(mask_kind kind, QWidget* parent = nullptr);

    // Replaces the content and shows it through the picture ("220" in an amount
    // field shows "220.00", "0.40" shows ".40"). Not a change by the user: it
    // raises no `modified` and clears a pending one. text() reads it back.
    void set_text(const QString& text);

    // Spin arrows (and the Up/Down keys) step the value: digits by one, dates
    // the part under the cursor.
    void set_spin_arrows(bool on);
    // When the user completes the picture (a whole date, the sixth digit) the
    // focus moves on to the next tab stop.
    void set_auto_skip(bool on) { auto_skip_ = on; }
    // Typing is refused, but the field still takes the focus as a tab stop and
    // its text can be selected and copied.
    void set_display_only(bool on);
    // A date field that takes, typed as well, every form a pasted date may
    // have ("2024/3/20", "2024.3.20", "2024年3月20日", full-width digits):
    // leaving the field or Enter reads the text as a paste is read. What
    // cannot be read as a whole date is refused as a paste is (the reason
    // under the field, a beep) and the field goes back to the last date it
    // held. For a field that must always hold a date.
    void set_reads_pasted_forms(bool on) { reads_pasted_forms_ = on; }

    // Puts text the user pasted or dropped into the field. A whole value from a
    // spreadsheet or web page ("¥12,345.67", "2024/3/1", " 30\r\n") arrives in
    // the field's own form and replaces what the field held; text pasted into
    // part of the field goes in as typing it would, where the picture takes it.
    // What cannot be read is refused where the user sees it: a short reason
    // under the field and a beep, the field as it was. A change raises
    // `modified` as typing does.
    void paste_text(const QString& text);
    // The reason the last paste into this field (or typed entry read as one)
    // was refused; empty after one that was taken.
    [[nodiscard]] const QString& paste_refusal() const { return paste_refusal_; }

    // Brings a partial entry into its final form and raises `modified` if the
    // user changed the field. Runs on focus-out and Enter; commands that start
    // without taking the focus (access keys, Enter) call it through
    // commit_pending_edit.
    void commit();

signals:
    void modified();
    // The spin arrows or Up/Down changed the text (`modified` follows on leaving).
    void stepped();
    // A paste or a typed entry was refused; `message` is the tip shown.
    void refused(const QString& message);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void user_edited();
    [[nodiscard]] bool picture_complete() const;
    // Reads an unfinished entry as a paste; false when it was refused.
    bool take_as_pasted(const QString& entry);
    void show_refusal(const QString& message);

    mask_kind kind_;
    bool auto_skip_ = false;
    bool reads_pasted_forms_ = false;
    bool pending_change_ = false;
    QString paste_refusal_;
    QString last_finished_; // what a refused typed entry goes back to
};

// Commits the pending change of the entry field that holds the focus in
// `window`, if there is one, so that a command started by an access key or by
// Enter sees the same form as one started by a mouse click (which moves the
// focus, and so commits, first).
void commit_pending_edit(QWidget* window);

} // namespace orvandel::runtime
