#pragma once
// The main window: the surcharge form with its 36 controls, what it shows when
// it opens, the Calculate and Reset commands, Exit, and the field handlers that
// keep the entry mode in step with what the user edits.

#include "runtime/command_button.h"
#include "runtime/edit_mask.h"
#include "runtime/static_text.h"

#include <QString>
#include <QWidget>

#include <functional>

class QRadioButton;

namespace orvandel::calc {
struct late_fee_input;
struct late_fee_result;
} // namespace orvandel::calc

namespace orvandel::ui {

class w_dornik : public QWidget {
    Q_OBJECT

public:
    // `gs_path` is the application's record of the working directory, which
    // the open handler writes.
    explicit w_dornik(QString& gs_path, QWidget* parent = nullptr);
    ~w_dornik() override;

    // Runs the open handler and shows the window centred on its screen.
    void open();

    // What the About command does; the application object decides.
    void set_about_opener(std::function<void()> opener) { open_about_ = std::move(opener); }

    // The controls, in creation order. They exist from construction on and
    // belong to the window.
    runtime::command_button* cb_4 = nullptr;
    QRadioButton* rb_2 = nullptr;
    QRadioButton* rb_1 = nullptr;
    runtime::edit_mask* em_znts4 = nullptr;
    runtime::edit_mask* em_znts3 = nullptr;
    runtime::static_text* st_12 = nullptr;
    runtime::static_text* st_11 = nullptr;
    runtime::command_button* cb_3 = nullptr;
    runtime::command_button* cb_2 = nullptr;
    runtime::edit_mask* em_hj = nullptr;
    runtime::static_text* st_10 = nullptr;
    runtime::static_text* st_znj2 = nullptr;
    runtime::static_text* st_znj1 = nullptr;
    runtime::edit_mask* em_znj2 = nullptr;
    runtime::edit_mask* em_znj1 = nullptr;
    runtime::edit_mask* em_znj = nullptr;
    runtime::edit_mask* em_znts2 = nullptr;
    runtime::edit_mask* em_znts1 = nullptr;
    runtime::edit_mask* em_znts = nullptr;
    runtime::static_text* st_16 = nullptr;
    runtime::static_text* st_9 = nullptr;
    runtime::static_text* st_8 = nullptr;
    runtime::static_text* st_7 = nullptr;
    runtime::static_text* st_6 = nullptr;
    runtime::static_text* st_5 = nullptr;
    runtime::static_text* st_4 = nullptr;
    runtime::edit_mask* em_3 = nullptr;
    runtime::static_text* st_3 = nullptr;
    runtime::edit_mask* em_2 = nullptr;
    runtime::static_text* st_2 = nullptr;
    runtime::static_text* st_0 = nullptr;
    runtime::command_button* cb_1 = nullptr;
    runtime::command_button* cb_fxjs = nullptr;
    runtime::command_button* cb_js = nullptr;
    runtime::edit_mask* em_yjsk = nullptr;
    runtime::static_text* st_1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void create_controls();
    void name_fields_for_screen_readers();
    void set_tab_order();
    void connect_handlers();
    void open_handler();

    // Field handlers: editing a date selects date entry, editing a typed day
    // count selects day entry.
    void select_date_entry();
    void select_day_entry();

    // Commands.
    void cb_js_clicked();
    void cb_fxjs_clicked();
    void cb_1_clicked();
    void cb_2_clicked();
    void cb_3_clicked();
    void cb_4_clicked();

    // Calculate, in steps.
    [[nodiscard]] bool read_input(calc::late_fee_input& input);
    void write_results(const calc::late_fee_result& result);
    void tell_unreadable(runtime::edit_mask* field, const QString& what);

    QString& gs_path_;
    std::function<void()> open_about_;
};

} // namespace orvandel::ui
