// The form of the main window: its 36 controls, in creation order, with their
// texts, fonts, colours, pictures, positions and sizes in layout units, and
// their places in the tab sequence.

#include "ui/main/w_dornik.h"

#include "calc/form_labels.h"
#include "runtime/engine_text.h"
#include "runtime/fonts.h"
#include "runtime/layout_units.h"

#include <QRadioButton>

#include <algorithm>
#include <array>
#include <string_view>
#include <variant>
#include <vector>

namespace orvandel::ui {

namespace {

namespace form_labels = calc::form_labels;
using runtime::mask_kind;

using control_member =
    std::variant<runtime::command_button * w_dornik::*, QRadioButton * w_dornik::*,
                 runtime::edit_mask * w_dornik::*, runtime::static_text * w_dornik::*>;

struct field_picture {
    mask_kind kind = mask_kind::money;
    bool spin_arrows = false;
    bool auto_skip = false;
    bool display_only = false;
};

struct control_row {
    const char* name;
    control_member member;
    std::string_view text;    // caption, label or initial field text
    runtime::unit_rect units; // x, y, width, height
    int tab = 0;              // 0: not in the tab sequence
    int points = 12;
    bool bold = false;
    bool blue = false;
    bool underline = false;
    Qt::Alignment alignment = Qt::AlignLeft;
    field_picture picture = {}; // edit masks only
};

// Unless a row says otherwise: 12 point, normal weight, the default text
// colour, left-aligned.
const std::array<control_row, 36>& form() {
    constexpr Qt::Alignment right = Qt::AlignRight;
    constexpr Qt::Alignment centre = Qt::AlignHCenter;
    constexpr field_picture day_entry{mask_kind::digits, true, true, false};
    constexpr field_picture date_entry{mask_kind::date, true, true, false};
    constexpr field_picture amount_entry{mask_kind::money, false, false, false};
    constexpr field_picture money_shown{mask_kind::money, false, false, true};
    constexpr field_picture count_shown{mask_kind::count, false, false, true};
    // The note's design-time text, the legal text up to its first "纳税人"; the
    // open handler replaces it with the whole.
    constexpr std::string_view first_words = "纳税人";
    static const std::string short_note =
        std::string("说明：").append(form_labels::legal_basis.substr(
            0, form_labels::legal_basis.find(first_words) + first_words.size()));
    // The date fields (em_2, em_3) hold no date until the window opens.
    // clang-format off
    static const std::array<control_row, 36> rows{{
        {.name = "cb_4", .member = &w_dornik::cb_4, .text = "调用系统计算器(&J)", .units = {1047, 24, 731, 88}, .tab = 10},
        {.name = "rb_2", .member = &w_dornik::rb_2, .text = "", .units = {110, 816, 128, 84}},
        {.name = "rb_1", .member = &w_dornik::rb_1, .text = "", .units = {110, 568, 128, 84}},
        {.name = "em_znts4", .member = &w_dornik::em_znts4, .text = "0", .units = {1289, 928, 421, 88}, .tab = 70,
            .blue = true, .alignment = right, .picture = day_entry},
        {.name = "em_znts3", .member = &w_dornik::em_znts3, .text = "0", .units = {1289, 816, 421, 88}, .tab = 60,
            .blue = true, .alignment = right, .picture = day_entry},
        {.name = "st_12", .member = &w_dornik::st_12, .text = form_labels::days_before_entry_label, .units = {329, 936, 969, 72}},
        {.name = "st_11", .member = &w_dornik::st_11, .text = form_labels::days_after_entry_label, .units = {261, 816, 1042, 64}},
        {.name = "cb_3", .member = &w_dornik::cb_3, .text = "退出(&X)", .units = {1394, 1048, 366, 88}, .tab = 150},
        {.name = "cb_2", .member = &w_dornik::cb_2, .text = "关于(&A)", .units = {1006, 1048, 366, 88}, .tab = 140},
        {.name = "em_hj", .member = &w_dornik::em_hj, .text = "", .units = {878, 2200, 841, 88}, .tab = 220,
            .bold = true, .alignment = right, .picture = money_shown},
        {.name = "st_10", .member = &w_dornik::st_10, .text = form_labels::tax_and_fee_label, .units = {23, 2212, 800, 88},
            .bold = true},
        {.name = "st_znj2", .member = &w_dornik::st_znj2, .text = form_labels::formula_after_plain, .units = {69, 2004, 1691, 168},
            .points = 10, .blue = true},
        {.name = "st_znj1", .member = &w_dornik::st_znj1, .text = form_labels::formula_before_plain, .units = {59, 1740, 1691, 144},
            .points = 10, .blue = true},
        {.name = "em_znj2", .member = &w_dornik::em_znj2, .text = "", .units = {1065, 1888, 654, 88}, .tab = 210,
            .blue = true, .alignment = right, .picture = money_shown},
        {.name = "em_znj1", .member = &w_dornik::em_znj1, .text = "", .units = {1065, 1644, 654, 88}, .tab = 200,
            .blue = true, .alignment = right, .picture = money_shown},
        {.name = "em_znj", .member = &w_dornik::em_znj, .text = "", .units = {878, 1516, 841, 88}, .tab = 190,
            .bold = true, .alignment = right, .picture = money_shown},
        {.name = "em_znts2", .member = &w_dornik::em_znts2, .text = "0", .units = {1307, 1396, 411, 88}, .tab = 180,
            .blue = true, .alignment = right, .picture = count_shown},
        {.name = "em_znts1", .member = &w_dornik::em_znts1, .text = "0", .units = {1307, 1300, 411, 88}, .tab = 170,
            .blue = true, .alignment = right, .picture = count_shown},
        {.name = "em_znts", .member = &w_dornik::em_znts, .text = "0", .units = {1248, 1180, 471, 88}, .tab = 160,
            .alignment = right, .picture = count_shown},
        // The note's box is drawn 272 units tall for five lines; 300 gives the
        // CJK faces room between lines and still ends above the amount row.
        {.name = "st_16", .member = &w_dornik::st_16, .text = short_note, .units = {55, 132, 1673, 300},
            .points = 10, .blue = true},
        {.name = "st_9", .member = &w_dornik::st_9, .text = form_labels::fee_after_label, .units = {165, 1912, 896, 52},
            .points = 10, .blue = true, .alignment = right},
        {.name = "st_8", .member = &w_dornik::st_8, .text = form_labels::fee_before_label, .units = {14, 1652, 1047, 64},
            .points = 10, .blue = true, .alignment = right},
        {.name = "st_7", .member = &w_dornik::st_7, .text = form_labels::total_fee_label, .units = {23, 1520, 699, 64},
            .bold = true},
        {.name = "st_6", .member = &w_dornik::st_6, .text = form_labels::days_after_label, .units = {261, 1400, 823, 64},
            .points = 10, .blue = true, .alignment = right},
        {.name = "st_5", .member = &w_dornik::st_5, .text = form_labels::days_before_label, .units = {128, 1304, 955, 60},
            .points = 10, .blue = true, .alignment = right},
        {.name = "st_4", .member = &w_dornik::st_4, .text = form_labels::total_days_label, .units = {23, 1188, 1061, 64}},
        {.name = "em_3", .member = &w_dornik::em_3, .text = "", .units = {1070, 672, 645, 112}, .tab = 50,
            .alignment = centre, .picture = date_entry},
        {.name = "st_3", .member = &w_dornik::st_3, .text = form_labels::end_date_label, .units = {631, 692, 425, 64}},
        {.name = "em_2", .member = &w_dornik::em_2, .text = "", .units = {1070, 548, 645, 112}, .tab = 30,
            .alignment = centre, .picture = date_entry},
        {.name = "st_2", .member = &w_dornik::st_2, .text = form_labels::start_date_label, .units = {261, 576, 731, 64}},
        {.name = "st_0", .member = &w_dornik::st_0, .text = "Orvandel", .units = {69, 44, 887, 80},
            .bold = true, .underline = true},
        {.name = "cb_1", .member = &w_dornik::cb_1, .text = "打印(&D)", .units = {677, 1048, 306, 88}, .tab = 150},
        {.name = "cb_fxjs", .member = &w_dornik::cb_fxjs, .text = "重置(&C)", .units = {347, 1048, 306, 88}, .tab = 140},
        {.name = "cb_js", .member = &w_dornik::cb_js, .text = "计算(&S)", .units = {18, 1048, 306, 88}, .tab = 130},
        {.name = "em_yjsk", .member = &w_dornik::em_yjsk, .text = "", .units = {878, 440, 841, 88}, .tab = 20,
            .alignment = right, .picture = amount_entry},
        {.name = "st_1", .member = &w_dornik::st_1, .text = form_labels::amount_label, .units = {119, 456, 649, 76}},
    }};
    // clang-format on
    return rows;
}

void colour_text(QWidget& widget, QPalette::ColorRole role) {
    QPalette colours = widget.palette();
    colours.setColor(role, QColor(0, 0, 255));
    widget.setPalette(colours);
}

// Builds one control of the row's kind, stores it in the window's member and
// returns it.
QWidget* build(w_dornik& window, const control_row& row) {
    const QString text = runtime::qstring(row.text);
    return std::visit(
        [&](auto member) -> QWidget* {
            using control = std::remove_pointer_t<
                std::remove_reference_t<decltype(std::declval<w_dornik&>().*member)>>;
            control* made = nullptr;
            if constexpr (std::is_same_v<control, runtime::command_button>) {
                made = new runtime::command_button(text, &window);
            } else if constexpr (std::is_same_v<control, QRadioButton>) {
                made = new QRadioButton(&window);
                made->setFocusPolicy(Qt::ClickFocus); // not a tab stop
            } else if constexpr (std::is_same_v<control, runtime::edit_mask>) {
                made = new runtime::edit_mask(row.picture.kind, &window);
                made->set_spin_arrows(row.picture.spin_arrows);
                made->set_auto_skip(row.picture.auto_skip);
                made->set_display_only(row.picture.display_only);
                made->setAlignment(row.alignment | Qt::AlignVCenter);
                made->set_text(text);
                if (row.blue) {
                    colour_text(*made, QPalette::Text);
                }
            } else {
                made = new runtime::static_text(text, &window);
                made->setAlignment(row.alignment | Qt::AlignTop);
                if (row.blue) {
                    colour_text(*made, QPalette::WindowText);
                }
            }
            window.*member = made;
            return made;
        },
        row.member);
}

} // namespace

void w_dornik::create_controls() {
    const runtime::layout_scale scale = runtime::layout_scale::for_widget(*this);
    for (const control_row& row : form()) {
        QWidget* control = build(*this, row);
        control->setObjectName(QLatin1String(row.name));
        control->setFont(runtime::form_font(row.points, row.bold, row.underline));
        control->setGeometry(scale.to_pixels(row.units));
    }
    rb_1->setChecked(true);
    cb_js->setDefault(true);
    // Where a label reaches into a field (st_11, st_12 do by a few units), the
    // field stays whole and clickable: the label leaves that part out.
    for (runtime::static_text* label : findChildren<runtime::static_text*>()) {
        QRegion shown(label->rect());
        for (const runtime::edit_mask* field : findChildren<runtime::edit_mask*>()) {
            shown -= QRegion(field->geometry().translated(-label->pos()));
        }
        if (shown != QRegion(label->rect())) {
            label->setMask(shown);
        }
    }
    name_fields_for_screen_readers();
    set_tab_order();
}

void w_dornik::name_fields_for_screen_readers() {
    // Each field is named by its label, without the closing "=" or "：".
    const std::array<std::pair<runtime::edit_mask*, runtime::static_text*>, 12> labelled{{
        {em_yjsk, st_1},
        {em_2, st_2},
        {em_3, st_3},
        {em_znts3, st_11},
        {em_znts4, st_12},
        {em_znts, st_4},
        {em_znts1, st_5},
        {em_znts2, st_6},
        {em_znj, st_7},
        {em_znj1, st_8},
        {em_znj2, st_9},
        {em_hj, st_10},
    }};
    for (const auto& [field, label] : labelled) {
        QString name = label->text();
        while (name.endsWith(u'=') || name.endsWith(u'：')) {
            name.chop(1);
        }
        field->setAccessibleName(name);
        label->setBuddy(field);
    }
    rb_1->setAccessibleName(QStringLiteral("按起止日期计算"));
    rb_2->setAccessibleName(QStringLiteral("按滞纳天数计算"));
}

void w_dornik::set_tab_order() {
    // Ascending tab values; controls that share a value keep their creation order.
    struct stop {
        int tab;
        QWidget* control;
    };
    std::vector<stop> stops;
    for (const control_row& row : form()) {
        if (row.tab > 0) {
            stops.push_back(
                {row.tab, std::visit([this](auto member) -> QWidget* { return this->*member; },
                                     row.member)});
        }
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const stop& a, const stop& b) { return a.tab < b.tab; });
    for (std::size_t i = 1; i < stops.size(); ++i) {
        setTabOrder(stops[i - 1].control, stops[i].control);
    }
}

} // namespace orvandel::ui
