#include "runtime/printing.h"

#include "runtime/message_box.h"

#include <QLineEdit>
#include <QPainter>
#include <QPicture>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include <algorithm>

namespace orvandel::runtime {

namespace {

// A read-only field draws no text cursor, so the focused field is made
// read-only while the window is recorded and given back its state afterwards.
// Its text, selection and focus stay as they are and no signal is emitted.
class text_cursor_hidden {
public:
    explicit text_cursor_hidden(QWidget& window) {
        QWidget* focus = window.focusWidget();
        if (focus == nullptr) {
            return;
        }
        auto* edit = qobject_cast<QLineEdit*>(focus);
        if (edit == nullptr) { // spin boxes and date fields edit through an inner line edit
            edit = focus->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
        }
        if (edit != nullptr && !edit->isReadOnly()) {
            edit_ = edit;
            edit_->setReadOnly(true);
        }
    }
    ~text_cursor_hidden() {
        if (edit_) {
            edit_->setReadOnly(false);
        }
    }
    text_cursor_hidden(const text_cursor_hidden&) = delete;
    text_cursor_hidden& operator=(const text_cursor_hidden&) = delete;

private:
    QPointer<QLineEdit> edit_;
};

} // namespace

QPicture record_window(QWidget& window) {
    const text_cursor_hidden hidden(window);
    QPicture picture;
    QPainter painter(&picture);
    // The widget style paints button and frame bevels through a cache of small
    // screen-resolution images whenever the transform is a plain translation or
    // scale. A shear far below a thousandth of a pixel across the window keeps
    // it painting lines and fills instead, which stay sharp on paper.
    painter.setTransform(QTransform(1, 0, 1e-9, 1, 0, 0));
    window.render(&painter, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.end();
    return picture;
}

print_error print_window(QWidget& window, QPrinter& printer) {
    const QPicture picture = record_window(window);
    // Texts in the recording carry their point sizes; painting at the screen's
    // resolution lays them out exactly as on the screen.
    printer.setResolution(window.logicalDpiY());
    QPainter painter;
    if (!painter.begin(&printer)) {
        return print_error::cannot_open_job;
    }
    const double aspect = double(window.logicalDpiY()) / window.logicalDpiX(); // 1 on square pixels
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const double width = window.width() * aspect;
    const double height = window.height();
    const double fit = std::min({1.0, page.width() / width, page.height() / height});
    painter.scale(aspect * fit, fit);
    painter.drawPicture(0, 0, picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        return print_error::job_not_sent;
    }
    return print_error::none;
}

print_error print_window_on_default_printer(QWidget& window, QString* printer_name) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return print_error::no_printer;
    }
    if (printer_name != nullptr) {
        *printer_name = info.printerName();
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid()) {
        return print_error::cannot_open_job;
    }
    return print_window(window, printer);
}

QString print_failure_text(print_error error, const QString& printer_name) {
    switch (error) {
    case print_error::none:
        return {};
    case print_error::no_printer:
        return QStringLiteral("打印失败：没有找到可用的打印机。请先安装打印机并把它设为默认"
                              "打印机，然后再打印。");
    case print_error::cannot_open_job:
        return QStringLiteral("打印失败：打印机“%1”无法开始打印作业。请检查打印机是否已"
                              "连接并处于可用状态。")
            .arg(printer_name);
    case print_error::job_not_sent:
        return QStringLiteral("打印失败：打印作业没有成功送到打印机“%1”。请检查打印机的状态，"
                              "然后重新打印。")
            .arg(printer_name);
    }
    return {};
}

void confirm_and_print(QWidget& window) {
    const int li_ts = message_box(&window, QStringLiteral("提示"),
                                  QStringLiteral("选择<是>会把本窗口所有内容打印在纸上，如确实要"
                                                 "打印请准备好打印机，然后点<是>"),
                                  msg_icon::information, msg_buttons::yes_no, 2);
    if (li_ts != 1) {
        return;
    }
    QString printer_name;
    const print_error error = print_window_on_default_printer(window, &printer_name);
    if (error != print_error::none) {
        message_box(&window, QStringLiteral("提示"), print_failure_text(error, printer_name),
                    msg_icon::exclamation);
    }
}

} // namespace orvandel::runtime
