#include "ui/main/w_dornik.h"

#include "calc/form_labels.h"
#include "runtime/clock.h"
#include "runtime/fonts.h"
#include "runtime/layout_units.h"
#include "runtime/printing.h"
#include "runtime/program.h"
#include "runtime/settings_file.h"
#include "runtime/working_directory.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

namespace orvandel::ui {

namespace {

// The legal basis of the surcharge, shown under the heading once the window is open.
constexpr auto legal_basis =
    u"按照中华人民共和国税收征收管理法第三十二条规定，纳税人未按照规定期限缴纳税款的，"
    u"扣缴义务人未按照规定期限解缴税款的，税务机关除责令限期缴纳外，从滞纳税款之日起，"
    u"按日加收滞纳税款万分之五的滞纳金,2001年5月1日起执行，"
    u"2001年5月1日以前滞纳金按照千分之二按日加收。";

// The window measures 1833 × 2440 units outside; its client area is that less
// the frame (about 4 pixels each side) and the title bar (about 23 pixels).
constexpr int client_width_units = 1833 - 36;
constexpr int client_height_units = 2440 - 124;

QString today_text() {
    return runtime::today().toString(QStringLiteral("yyyy-MM-dd"));
}

QString qstring(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

w_dornik::w_dornik(QString& gs_path, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      gs_path_(gs_path) {
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
    connect(cb_1, &QPushButton::clicked, this, &w_dornik::cb_1_clicked);
    connect(cb_2, &QPushButton::clicked, this, &w_dornik::cb_2_clicked);
    connect(cb_3, &QPushButton::clicked, this, &w_dornik::cb_3_clicked);
    connect(cb_4, &QPushButton::clicked, this, &w_dornik::cb_4_clicked);
}

void w_dornik::open() {
    open_handler();
    runtime::centre_on_screen(*this);
    show();
}

void w_dornik::open_handler() {
    gs_path_ = runtime::working_directory();
    em_yjsk->setFocus();
    // Only a mark that the form was opened; nothing reads it, and a file that
    // cannot be written changes nothing else.
    runtime::write_setting(QStringLiteral("config.ini"), QStringLiteral("grsds"),
                           QStringLiteral("dqck"), QStringLiteral("w_dornik"));
    em_2->set_text(today_text());
    em_3->set_text(today_text());
    st_16->setText(QString::fromUtf16(legal_basis));
}

void w_dornik::keyPressEvent(QKeyEvent* event) {
    // Fields pass Enter on to the window: it runs Calculate, the default
    // command, or the command of a button that has the focus.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused_button = qobject_cast<QPushButton*>(focusWidget());
        (focused_button != nullptr ? focused_button : cb_js)->click();
        return;
    }
    QWidget::keyPressEvent(event);
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
    st_znj1->setText(qstring(calc::form_labels::formula_before_plain));
    st_znj2->setText(qstring(calc::form_labels::formula_after_plain));
}

void w_dornik::cb_1_clicked() {
    // Started by its access key the command has not taken the focus: the field
    // being edited takes its final form first, as it does when the button is clicked.
    runtime::commit_pending_edit(this);
    runtime::confirm_and_print(*this);
}

void w_dornik::cb_2_clicked() {
    if (open_about_) {
        open_about_();
    }
}

void w_dornik::cb_3_clicked() {
    close();
}

void w_dornik::cb_4_clicked() {
    // Nothing is reported when no calculator can be started.
    runtime::start_system_calculator();
}

} // namespace orvandel::ui
