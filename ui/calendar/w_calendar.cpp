#include "ui/calendar/w_calendar.h"

#include "calc/deadline_note.h"
#include "calc/filing_calendar.h"
#include "calc/published_calendars.h"
#include "calc/tax_period.h"
#include "runtime/engine_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orvandel::ui::calendar {
namespace {

using runtime::qstring;
using std::chrono::month;
using std::chrono::year;
using std::chrono::year_month;

QString date_text(const calc::date& d) {
    return qstring(calc::format_date_text(d).value_or(""));
}

// The periods whose tax is due in `due`: the month before it, and the
// quarter before it in January, April, July and October.
QString periods_due_in(year_month due) {
    const year_month before = due - std::chrono::months{1};
    const unsigned m = static_cast<unsigned>(before.month());
    QString text =
        qstring(calc::chinese_tax_period({before.year(), calc::period_length::month, m}));
    if (m % 3 == 0) {
        text +=
            QStringLiteral("、") +
            qstring(calc::chinese_tax_period({before.year(), calc::period_length::quarter, m / 3}));
    }
    return text;
}

// The working of a derived month, for its tooltip.
QString derivation_tip(year_month due) {
    const auto derived = calc::derive_deadline(due);
    if (!derived) {
        return {};
    }
    return QStringLiteral("基准日%1，1日至基准日之间连续3日以上的休息日%2天；"
                          "按日历日顺延：%3；按工作日顺延：%4")
        .arg(date_text(derived->base_day))
        .arg(derived->extension_days)
        .arg(date_text(derived->by_calendar_rule), date_text(derived->by_working_day_rule));
}

const calc::published_calendar* published_year(int y) {
    for (const calc::published_calendar& c : calc::published_calendars()) {
        if (c.year == year{y}) {
            return &c;
        }
    }
    return nullptr;
}

// What the year's dates rest on, in one sentence.
QString summary_of(int y) {
    if (const calc::published_calendar* c = published_year(y)) {
        QString text =
            QStringLiteral("%1年的缴款期限取自申报日历：%2").arg(y).arg(qstring(c->notice));
        QStringList moved;
        for (unsigned m = 0; m < c->moved.size(); ++m) {
            if (!c->moved[m].empty()) {
                moved << QStringLiteral("%1月按%2").arg(m + 1).arg(qstring(c->moved[m]));
            }
        }
        if (!moved.isEmpty()) {
            text += QStringLiteral("；") + moved.join(QStringLiteral("，"));
        }
        return text + QStringLiteral("。");
    }
    const year_month january{year{y}, month{1}};
    if (!calc::deadline_in_month(january)) {
        return QStringLiteral("%1年没有申报日历或节假日数据，程序不推算这一年的缴款期限："
                              "请在缴款期限中填写日期。")
            .arg(y);
    }
    return QStringLiteral("未收录%1年的申报日历，缴款期限为%2（%3）。当地税务机关公布的日期"
                          "不同时，在缴款期限中填写公布的日期。")
        .arg(y)
        .arg(qstring(calc::derived_source),
             qstring(calc::rule_description(calc::derived_rule_for(january))));
}

QTableWidgetItem* cell(const QString& text, Qt::Alignment align = Qt::AlignLeft) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(align | Qt::AlignVCenter);
    return item;
}

} // namespace

w_calendar::w_calendar(int year, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("申报日历"));
    setObjectName(QStringLiteral("w_calendar"));
    setAccessibleName(QStringLiteral("申报日历"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    auto* year_row = new QHBoxLayout();
    auto* year_label = new QLabel(QStringLiteral("缴款年份(&Y)："), this);
    year_box = new QSpinBox(this);
    year_box->setObjectName(QStringLiteral("year_box"));
    year_box->setAccessibleName(QStringLiteral("缴款年份"));
    year_box->setRange(first_year, last_year);
    year_box->setSuffix(QStringLiteral("年"));
    year_label->setBuddy(year_box);
    previous_year = new QPushButton(QStringLiteral("上一年(&P)"), this);
    next_year = new QPushButton(QStringLiteral("下一年(&N)"), this);
    for (QPushButton* button : {previous_year, next_year}) {
        button->setAutoDefault(false);
    }
    year_row->addWidget(year_label);
    year_row->addWidget(year_box);
    year_row->addWidget(previous_year);
    year_row->addWidget(next_year);
    year_row->addStretch(1);
    layout->addLayout(year_row);

    year_summary = new QLabel(this);
    year_summary->setObjectName(QStringLiteral("year_summary"));
    year_summary->setWordWrap(true);
    year_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(year_summary);

    table = new QTableWidget(12, column_count, this);
    table->setObjectName(QStringLiteral("table"));
    table->setAccessibleName(QStringLiteral("各月缴款期限"));
    table->setHorizontalHeaderLabels({QStringLiteral("缴款月份"), QStringLiteral("税款所属期"),
                                      QStringLiteral("缴款期限"), QStringLiteral("星期"),
                                      QStringLiteral("算法"), QStringLiteral("另一算法"),
                                      QStringLiteral("依据")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    layout->addWidget(table, 1);

    rules = new QLabel(this);
    rules->setObjectName(QStringLiteral("rules"));
    rules->setWordWrap(true);
    rules->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rules->setText(
        qstring(calc::calendar_coverage_text()) + QStringLiteral("。") +
        qstring(calc::derivation_rule_text()) +
        QStringLiteral("。两种算法结果不同时，“另一算法”给出另一种的日期，可按当地税务机关公布的"
                       "日期选用。在计算底稿的缴款期限中填写的日期总是优先，与这里的日期不同时，"
                       "备注写明两者。"));
    layout->addWidget(rules);

    connect(year_box, &QSpinBox::valueChanged, this, &w_calendar::fill_table);
    connect(previous_year, &QPushButton::clicked, year_box, &QSpinBox::stepDown);
    connect(next_year, &QPushButton::clicked, year_box, &QSpinBox::stepUp);
    show_year(2024); // the widest year: a published notice's whole title
    fill_table(year_box->value());
    table->resizeColumnToContents(source_column);
    resize(std::max(760, table->horizontalHeader()->length() + 60), 560);
    table->horizontalHeader()->setSectionResizeMode(source_column, QHeaderView::Stretch);
    show_year(year);
    fill_table(year_box->value()); // also when the year was the spin box's already
    year_box->setFocus();
}

void w_calendar::show_year(int y) {
    year_box->setValue(std::clamp(y, first_year, last_year));
}

int w_calendar::year() const {
    return year_box->value();
}

void w_calendar::fill_table(int y) {
    year_summary->setText(summary_of(y));
    for (unsigned m = 1; m <= 12; ++m) {
        const year_month due{std::chrono::year{y}, month{m}};
        const int r = static_cast<int>(m) - 1;
        table->setItem(r, month_column, cell(QStringLiteral("%1月").arg(m), Qt::AlignRight));
        table->setItem(r, periods_column, cell(periods_due_in(due)));
        const auto found = calc::deadline_in_month(due);
        if (!found) {
            table->setItem(r, deadline_column, cell(QStringLiteral("—"), Qt::AlignHCenter));
            table->setItem(r, weekday_column, cell({}));
            table->setItem(r, source_column, cell(QStringLiteral("没有数据，请填写")));
            table->setItem(r, rule_column, cell({}));
            table->setItem(r, alternative_column, cell({}));
            continue;
        }
        const calc::filing_deadline& d = *found;
        auto* date_cell = cell(date_text(d.deadline), Qt::AlignHCenter);
        auto* rule_cell = cell(qstring(calc::rule_description(d.rule)));
        if (d.rule != calc::deadline_rule::published) {
            const QString tip = derivation_tip(due);
            date_cell->setToolTip(tip);
            rule_cell->setToolTip(tip);
        }
        table->setItem(r, deadline_column, date_cell);
        table->setItem(r, weekday_column, cell(qstring(calc::chinese_weekday(d.deadline))));
        auto* source_cell = cell(qstring(d.source));
        source_cell->setToolTip(source_cell->text());
        table->setItem(r, source_column, source_cell);
        table->setItem(r, rule_column, rule_cell);
        table->setItem(
            r, alternative_column,
            cell(d.alternative ? date_text(*d.alternative) : QString(), Qt::AlignHCenter));
    }
    for (int c = 0; c < source_column; ++c) { // the source takes the room left
        table->resizeColumnToContents(c);
    }
}

} // namespace orvandel::ui::calendar
