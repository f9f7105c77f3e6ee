#include "ui/main/w_dornik.h"

#include "calc/form_labels.h"
#include "runtime/clock.h"
#include "runtime/engine_text.h"
#include "runtime/fonts.h"
#include "runtime/layout_units.h"
#include "runtime/message_box.h"
#include "runtime/printing.h"
#include "runtime/program.h"
#include "runtime/settings_file.h"
#include "runtime/working_directory.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace orvandel::ui {

namespace {

// The window measures 1833 × 2440 units outside; its client area is that less
// the frame (about 4 pixels each side) and the title bar (about 23 pixels).
constexpr int client_width_units = 1833 - 36;
constexpr int client_height_units = 2440 - 124;

QString today_text() {
    return runtime::date_text(runtime::today());
}

// What the user is told when the page did not reach the printer: what
// happened and what to do next.
QString print_failure_text(runtime::print_error error, const QString& printer_name) {
    switch (error) {
    case runtime::print_error::none:
        return {};
    case runtime::print_error::no_printer:
        return QStringLiteral("打印失败：没有找到可用的打印机。请先安装打印机并把它设为默认"
                              "打印机，然后再打印。");
    case runtime::print_error::cannot_open_job:
        return QStringLiteral("打印失败：打印机“%1”无法开始打印作业。请检查打印机是否已"
                              "连接并处于可用状态。")
            .arg(printer_name);
    case runtime::print_error::job_not_sent:
        return QStringLiteral("打印失败：打印作业没有成功送到打印机“%1”。请检查打印机的状态，"
                              "然后重新打印。")
            .arg(printer_name);
    }
    return {};
}

} // namespace

w_dornik::w_dornik(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("w_dornik"));
    setWindowTitle(QStringLiteral("OrvandelV2.0"));
    setFont(runtime::form_font(12)); // the form's face throughout; no other face gets loaded
    resize(runtime::layout_scale::for_widget(*this).to_pixels(client_width_units,
                                                              client_height_units));
    create_controls();
    connect_handlers();
}

w_dornik::~w_dornik() {
    // A field that still has the focus may report its change while the
    // controls are being released; no handler may run then.
    for (runtime::edit_mask* field : {em_2, em_3, em_znts3, em_znts4}) {
        disconnect(field, nullptr, this, nullptr);
    }
}

void w_dornik::connect_handlers() {
    connect(em_2, &runtime::edit_mask::modified, this, &w_dornik::select_date_entry);
    connect(em_3, &runtime::edit_mask::modified, this, &w_dornik::select_date_entry);
    connect(em_znts3, &runtime::edit_mask::modified, this, &w_dornik::select_day_entry);
    connect(em_znts4, &runtime::edit_mask::modified, this, &w_dornik::select_day_entry);
    connect(cb_js, &QPushButton::clicked, this, &w_dornik::cb_js_clicked);
    connect(cb_fxjs, &QPushButton::clicked, this, &w_dornik::cb_fxjs_clicked);
    connect(cb_1, &QPushButton::clicked, this, &w_dornik::print_form);
    connect(cb_2, &QPushButton::clicked, this, &w_dornik::open_about);
    connect(cb_3, &QPushButton::clicked, this, &w_dornik::exit_form);
    connect(cb_4, &QPushButton::clicked, this, &w_dornik::start_calculator);
}

void w_dornik::open() {
    open_handler();
    runtime::centre_on_screen(*this);
    show();
}

void w_dornik::open_handler() {
    emit working_directory_recorded(runtime::working_directory());
    em_yjsk->setFocus();
    // Only a mark that the form was opened; nothing reads it, and a file that
    // cannot be written changes nothing else.
    runtime::write_setting(QStringLiteral("config.ini"), QStringLiteral("grsds"),
                           QStringLiteral("dqck"), QStringLiteral("w_dornik"));
    em_2->set_text(today_text());
    em_3->set_text(today_text());
    st_16->setText(runtime::qstring(calc::form_labels::legal_basis));
}

void w_dornik::keyPressEvent(QKeyEvent* event) {
    // Fields pass Enter on to the window: it runs Calculate, the default
    // command, or the command of a button that has the focus.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused_button = qobject_cast<QPushButton*>(focusWidget());
        (focused_button != nullptr ? focused_button : cb_js)->click();
        return;
    }
    // Shift+F10 opens the context menu as the Menu key does (X11 maps only
    // the Menu key to one), below the focused control.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QWidget* focused = focusWidget() != nullptr ? focusWidget() : this;
        const QPoint at = focused->mapTo(this, QPoint(0, focused->height()));
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, mapToGlobal(at));
        contextMenuEvent(&menu);
        return;
    }
    QWidget::keyPressEvent(event);
}

void w_dornik::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    if (fill_context_menu_) {
        fill_context_menu_(menu);
    }
    if (menu.isEmpty()) {
        event->ignore();
        return;
    }
    menu.exec(event->globalPos());
}

void w_dornik::select_date_entry() {
    rb_1->setChecked(true);
}

void w_dornik::select_day_entry() {
    rb_2->setChecked(true);
}

void w_dornik::cb_fxjs_clicked() {
    em_yjsk->set_text(QStringLiteral(".00"));
    em_znts1->set_text(QStringLiteral("0"));
    em_znts2->set_text(QStringLiteral("0"));
    em_znts3->set_text(QStringLiteral("0"));
    em_znts4->set_text(QStringLiteral("0"));
    em_znts->set_text(QStringLiteral("0"));
    em_znj->set_text(QStringLiteral(".00"));
    em_znj1->set_text(QStringLiteral(".00"));
    em_znj2->set_text(QStringLiteral(".00"));
    em_hj->set_text(QStringLiteral(".00"));
    rb_1->setChecked(true);
    em_2->set_text(today_text());
    em_3->set_text(today_text());
    st_znj1->setText(runtime::qstring(calc::form_labels::formula_before_plain));
    st_znj2->setText(runtime::qstring(calc::form_labels::formula_after_plain));
    calculation_.reset();
}

void w_dornik::print_form() {
    // Started by its access key the command has not taken the focus: the field
    // being edited takes its final form first, as it does when the button is clicked.
    runtime::commit_pending_edit(this);
    const int li_ts = runtime::message_box(
        this, QStringLiteral("提示"),
        QStringLiteral(
            "选择<是>会把本窗口所有内容打印在纸上，如确实要打印请准备好打印机，然后点<是>"),
        runtime::msg_icon::information, runtime::msg_buttons::yes_no, 2);
    if (li_ts != 1) {
        return;
    }
    QString printer_name;
    const runtime::print_error error =
        runtime::print_window_on_default_printer(*this, &printer_name);
    if (error != runtime::print_error::none) {
        runtime::message_box(this, QStringLiteral("提示"), print_failure_text(error, printer_name),
                             runtime::msg_icon::exclamation);
    }
}

void w_dornik::open_about() {
    if (open_about_) {
        open_about_();
    }
}

void w_dornik::exit_form() {
    close();
}

void w_dornik::start_calculator() {
    // Nothing is reported when no calculator can be started.
    runtime::start_system_calculator();
}

} // namespace orvandel::ui
