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

QString ask_open_file_name(QWidget* parent, const QString& title, const QString& folder,
                           const QString& filter) {
    if (!pending_names().empty()) {
        QString path = pending_names().front();
        pending_names().pop_front();
        return path;
    }
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

void push_file_name(const QString& path) {
    pending_names().push_back(path);
}

} // namespace orvandel::runtime
