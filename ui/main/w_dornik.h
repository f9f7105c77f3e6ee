#pragma once
// The main window: the surcharge form with its 36 controls, what it shows when
// it opens, its commands, and the field handlers that keep the entry mode in
// step with what the user edits.
//
// Key to the control names (prefix: cb_ button, em_ entry or result field,
// st_ static text, rb_ radio button):
//   em_yjsk   amount of tax due (应缴税款金额)            st_1 its label
//   em_2      start date, the first day counted           st_2 its label
//   em_3      end date, the day paid (not counted)        st_3 its label
//   rb_1      entry by dates (the default)
//   rb_2      entry by typed day counts
//   em_znts3  typed days from 2001-05-01 (days after)     st_11 its label
//   em_znts4  typed days to 2001-04-30 (days before)      st_12 its label
//   em_znts   result: total overdue days                  st_4 its label
//   em_znts1  result: days before 2001-05-01              st_5 its label
//   em_znts2  result: days from 2001-05-01                st_6 its label
//   em_znj    result: total surcharge                     st_7 its label
//   em_znj1   result: surcharge before 2001-05-01         st_8 its label
//   st_znj1   its formula written out with the figures
//   em_znj2   result: surcharge from 2001-05-01           st_9 its label
//   st_znj2   its formula written out with the figures
//   em_hj     result: tax and surcharge together         st_10 its label
//   st_0      the heading "Orvandel"
//   st_16     the legal basis of the surcharge
//   cb_js     计算 Calculate            cb_fxjs 重置 Reset
//   cb_1      打印 Print                cb_2    关于 About
//   cb_3      退出 Exit                 cb_4    调用系统计算器 System calculator

#include "calc/fee.h"
#include "runtime/command_button.h"
#include "runtime/edit_mask.h"
#include "runtime/static_text.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QMenu;
class QRadioButton;

namespace orvandel::ui {

class w_dornik : public QWidget {
    Q_OBJECT

public:
    explicit w_dornik(QWidget* parent = nullptr);
    ~w_dornik() override;

    // Runs the open handler and shows the window centred on its screen.
    void open();

    // What the About command does; the application object decides.
    void set_about_opener(std::function<void()> opener) { open_about_ = std::move(opener); }

    // What the form's context menu (right click on the form, the Menu key)
    // offers; the application decides. No menu opens while it adds nothing.
    void set_context_menu_filler(std::function<void(QMenu&)> filler) {
        fill_context_menu_ = std::move(filler);
    }

    // The calculation whose results the form shows: the input and figures of
    // the last Calculate; nothing before the first one and after Reset.
    struct shown_calculation {
        calc::late_fee_input input;
        calc::late_fee_result result;
    };
    [[nodiscard]] const std::optional<shown_calculation>& calculation() const {
        return calculation_;
    }

signals:
    // Raised by the open handler with the working directory as it is then,
    // for the application to record.
    void working_directory_recorded(const QString& path);

public:
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
    void contextMenuEvent(QContextMenuEvent* event) override;

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

    // Commands: Calculate (cb_js), Reset (cb_fxjs), Print (cb_1), About
    // (cb_2), Exit (cb_3) and the system calculator (cb_4).
    void cb_js_clicked();
    void cb_fxjs_clicked();
    void print_form();
    void open_about();
    void exit_form();
    void start_calculator();

    // Calculate, in steps.
    [[nodiscard]] bool read_input(calc::late_fee_input& input);
    void write_results(const calc::late_fee_input& input, const calc::late_fee_result& result);
    void tell_unreadable(runtime::edit_mask* field, const QString& what);

    std::function<void()> open_about_;
    std::function<void(QMenu&)> fill_context_menu_;
    std::optional<shown_calculation> calculation_;
};

} // namespace orvandel::ui
