#include "runtime/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include <deque>

namespace orvandel::runtime {
namespace {

// Asked for from the GUI thread only.
std::deque<QString>& pending_names() {
    static std::deque<QString> names;
    return names;
}

} // namespace

QString ask_save_file_name(QWidget* parent, const QString& title, const QString& suggested,
                           const QString& filter, const QString& suffix) {
    QString path;
    if (!pending_names().empty()) {
        path = pending_names().front();
        pending_names().pop_front();
    } else {
        path = QFileDialog::getSaveFileName(parent, title, suggested, filter);
    }
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += u'.' + suffix;
    }
    return path;
}

void push_save_file_name(const QString& path) {
    pending_names().push_back(path);
}

} // namespace orvandel::runtime
