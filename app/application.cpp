#include "app/application.h"

#include "app/command_line.h"

#include "calc/number_text.h"
#include "calc/split.h"
#include "calc/tax_period.h"
#include "runtime/clock.h"
#include "runtime/engine_text.h"
#include "runtime/fonts.h"
#include "runtime/message_box.h"
#include "runtime/recovery_file.h"
#include "runtime/startup.h"
#include "ui/about/w_about.h"
#include "ui/audit/audit_commands.h"
#include "ui/calendar/w_calendar.h"
#include "ui/worksheet/w_worksheet.h"
#include "ui/worksheet/worksheet_model.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

namespace orvandel::app {
namespace {

// The main window's context menu offers its calculation as an audit sheet.
ui::audit::audit_commands* add_audit_commands(ui::w_dornik& window) {
    return new ui::audit::audit_commands(window,
                                         [&window]() -> std::optional<ui::audit::audit_items> {
                                             if (const auto& shown = window.calculation()) {
                                                 return ui::audit::form_calculation_sheet(
                                                     shown->input, shown->result, runtime::today());
                                             }
                                             return std::nullopt;
                                         });
}

namespace ws = ui::worksheet;
namespace sheet = ::orvandel::sheet;

// The form's calculation as a worksheet row: its dates arrive as 缴款期限 =
// start − 1 day and 实际缴款日期 = end − 1 day (the form counts the start day
// and not the end day), so the figures stay the same.
ws::row_cells worksheet_row(const calc::late_fee_input& input) {
    ws::row_cells row(ws::fixed_slots);
    const auto at = [&row](sheet::column c) -> std::string& { return row[ws::slot_of(c)]; };
    at(sheet::column::amount) = calc::default_text(input.amount_due);
    if (input.mode == calc::entry_mode::by_dates) {
        at(sheet::column::due_date) =
            calc::format_date_text(calc::law_day_of(input.start_date)).value_or("");
        at(sheet::column::pay_date) =
            calc::format_date_text(calc::law_day_of(input.end_date)).value_or("");
    } else {
        at(sheet::column::days_before) = calc::default_text(input.days_before);
        at(sheet::column::days_after) = calc::default_text(input.days_after);
    }
    return row;
}

// A debt of the worksheet as an item of the audit sheet, named by the 项目
// of its row with the amount.
ui::audit::audit_item debt_item(const ws::worksheet_model& model, const ws::debt_place& place) {
    const sheet::debt_outcome& debt = *place.debt->outcome;
    ui::audit::audit_item item;
    const std::size_t named =
        place.debt->rows[debt.debt_member != sheet::no_member ? debt.debt_member : 0];
    item.name = runtime::qstring(model.rows().text(named, sheet::column::item));
    item.debt = ui::audit::audit_debt{runtime::qstring(*place.id), debt};
    if (!debt.ok()) {
        item.note = runtime::qstring(
            sheet::debt_problem(debt, place.debt->members, sheet::language::chinese));
    }
    return item;
}

// The worksheet's 导出PDF… writes its rows as the audit sheet (every row
// that is not blank, with the payment date of the moment; a debt paid in
// parts as one item).
void add_worksheet_audit(ws::w_worksheet& window) {
    auto* audit =
        new ui::audit::audit_commands(window, [&window]() -> std::optional<ui::audit::audit_items> {
            const ws::worksheet_model& model = window.model();
            ui::audit::audit_items items;
            items.calculation_date = runtime::today();
            if (model.payment_date()) {
                items.payment_date = runtime::to_qdate(*model.payment_date());
            }
            for (std::size_t r = 0; r < model.rows().size(); ++r) {
                if (model.rows().blank(r)) {
                    continue;
                }
                if (const auto place = model.debt_at(r)) {
                    // A debt paid in parts is one item, where its first row stands.
                    if (place->member == 0) {
                        items.items.push_back(debt_item(model, *place));
                    }
                    continue;
                }
                ui::audit::audit_item item;
                item.name = runtime::qstring(model.rows().text(r, sheet::column::item));
                item.outcome = model.outcome(r);
                item.note =
                    runtime::qstring(sheet::describe(item.outcome, sheet::language::chinese));
                items.items.push_back(std::move(item));
            }
            if (items.items.empty()) {
                return std::nullopt;
            }
            return items;
        });
    window.act_export_pdf->setEnabled(true);
    QObject::connect(window.act_export_pdf, &QAction::triggered, audit->export_pdf(),
                     &QAction::trigger);
    window.act_print->setEnabled(true);
    QObject::connect(window.act_print, &QAction::triggered, audit,
                     &ui::audit::audit_commands::print_with_preview);
}

// The year the filing calendar opens at from the worksheet: the year the
// current row's 税款所属期 falls due in, else this year.
int calendar_year_for(ws::w_worksheet& window) {
    const QModelIndex at = window.table->currentIndex();
    const ws::row_store& rows = window.model().rows();
    if (at.isValid() && static_cast<std::size_t>(at.row()) < rows.size()) {
        const auto period = calc::parse_tax_period(
            rows.text(static_cast<std::size_t>(at.row()), sheet::column::tax_period));
        if (period) {
            return static_cast<int>(calc::due_month(*period).year());
        }
    }
    return runtime::today().year();
}

} // namespace

application::application() : appname(QStringLiteral("orvandel")) {
    // The name places the settings file in the user's configuration folder.
    QCoreApplication::setApplicationName(appname);
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANDEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Orvandel"));
    runtime::install_font_substitutes();
    if (QCoreApplication* qt = QCoreApplication::instance()) {
        runtime::install_qt_translation(*qt);
    }
}

application::~application() {
    delete w_about;
    delete w_calendar;
    for (const QPointer<QWidget>& sheet : recovered_worksheets_) {
        delete sheet;
    }
    delete w_worksheet;
    delete w_dornik;
}

QWidget* application::new_worksheet(const std::optional<calc::late_fee_input>& first_row) {
    auto* sheet = new ws::w_worksheet();
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    if (first_row) {
        sheet->set_first_row(worksheet_row(*first_row));
    } else {
        sheet->set_first_row({});
    }
    add_worksheet_audit(*sheet);
    sheet->act_calendar->setEnabled(true);
    QObject::connect(sheet->act_calendar, &QAction::triggered, sheet,
                     [this, sheet] { open_calendar(*sheet, calendar_year_for(*sheet)); });
    sheet->show();
    return sheet;
}

void application::open_calendar(QWidget& owner, int year) {
    auto* window = qobject_cast<ui::calendar::w_calendar*>(w_calendar.data());
    if (window == nullptr) {
        // Belongs to the worksheet that first opened it, and closes with it.
        window = new ui::calendar::w_calendar(year, &owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
        w_calendar = window;
    } else {
        window->show_year(year);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void application::open_worksheet(const std::optional<calc::late_fee_input>& first_row) {
    if (w_worksheet) {
        w_worksheet->show();
        w_worksheet->raise();
        w_worksheet->activateWindow();
        return;
    }
    w_worksheet = new_worksheet(first_row);
}

bool application::offer_recovery() {
    // Only sheets whose program has ended: one still open, here or in
    // another running program, holds its file. Several are offered one
    // after another, the most recent first, each into a window of its own.
    std::vector<std::unique_ptr<runtime::recovery_file>> files =
        runtime::recovery_file::claim_orphans();
    bool restored = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QDateTime written = QFileInfo(files[i]->path()).lastModified();
        QString text =
            QStringLiteral(
                "上次的计算底稿没有正常关闭，还有未保存的内容（最后记录于 %1）。要恢复吗？")
                .arg(written.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        if (files.size() > 1) {
            text += QStringLiteral("\n\n这样的计算底稿共有%1份，这是第%2份（从最近的一份起）。")
                        .arg(files.size())
                        .arg(i + 1);
        }
        const int answer =
            runtime::message_box(nullptr, QStringLiteral("计算底稿"), text,
                                 runtime::msg_icon::question, runtime::msg_buttons::yes_no);
        if (answer != 1) {
            files[i]->remove();
            continue;
        }
        QWidget* window = nullptr;
        if (!w_worksheet) {
            open_worksheet();
            window = w_worksheet;
        } else {
            window = new_worksheet({});
            recovered_worksheets_.push_back(window);
        }
        restored = qobject_cast<ws::w_worksheet*>(window)->restore_recovery(std::move(files[i])) ||
                   restored;
    }
    return restored;
}

void application::open(const QStringList& commandline) {
    const command_line given = read_command_line(commandline);
    if (given.what == command_line::request::open_worksheet) {
        if (!offer_recovery()) {
            open_worksheet();
        }
        auto* sheet = qobject_cast<ws::w_worksheet*>(w_worksheet.data());
        // Recovered rows are not given up for the file without asking.
        if (!given.worksheet_file.isEmpty() && sheet->ask_save_and_save()) {
            sheet->open_file(given.worksheet_file);
        }
        return;
    }
    offer_recovery();
    w_dornik = new ui::w_dornik();
    w_dornik->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(w_dornik, &ui::w_dornik::working_directory_recorded,
                     [this](const QString& path) { gs_path = path; });
    // The about window reads gs_path when it opens, as it is then.
    w_dornik->set_about_opener([this] { ui::w_about::open(w_about, gs_path); });
    // The context menu: the audit sheet's commands, then the worksheet. The
    // worksheet command also has its own shortcut, shown in the menu.
    ui::audit::audit_commands* audit = add_audit_commands(*w_dornik);
    auto* worksheet = new QAction(QStringLiteral("打开计算底稿(&W)"), w_dornik);
    worksheet->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+W")));
    worksheet->setShortcutContext(Qt::WindowShortcut);
    w_dornik->addAction(worksheet);
    QObject::connect(worksheet, &QAction::triggered, w_dornik, [this] {
        const auto& shown = w_dornik->calculation();
        open_worksheet(shown ? std::optional(shown->input) : std::nullopt);
    });
    w_dornik->set_context_menu_filler([audit, worksheet](QMenu& menu) {
        audit->add_to(menu);
        menu.addSeparator();
        menu.addAction(worksheet);
    });
    w_dornik->open();
}

} // namespace orvandel::app
