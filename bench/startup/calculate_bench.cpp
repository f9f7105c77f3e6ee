// Calculate from the click on 计算 to the results painted: the press and
// release go through Qt's event delivery, then the window's pending repaint
// runs; the time ends when the grand total field has been painted.

#include "runtime/clock.h"
#include "runtime/fonts.h"
#include "ui/main/w_dornik.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class paint_watch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvandel-bench"));
    orvandel::runtime::install_font_substitutes();
    orvandel::runtime::set_today_for_testing(QDate(2001, 5, 10));
    orvandel::ui::w_dornik window;
    window.open();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    window.em_2->set_text(QStringLiteral("2001-04-21"));
    paint_watch watch;
    window.em_hj->installEventFilter(&watch);

    constexpr int runs = 200;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        // A different amount each time, so every result field changes.
        window.em_yjsk->set_text(
            QStringLiteral("%1.%2").arg(12345 + i).arg(i % 100, 2, 10, QChar(u'0')));
        QCoreApplication::processEvents();
        watch.painted = false;
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(window.cb_js, Qt::LeftButton);
        while (!watch.painted) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("calculate, click to results painted (%s, %d runs): median %.2f ms, 95th %.2f ms, "
                "max %.2f ms\n",
                qPrintable(QGuiApplication::platformName()), runs, ms[runs / 2],
                ms[runs * 95 / 100], ms.back());
    return 0;
}
