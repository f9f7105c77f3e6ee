// The one way the program asks the user: boxes answered in advance by tests,
// and a real box with Chinese buttons where No is the default.

#include "runtime/message_box.h"
#include "runtime/startup.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace orvandel::runtime;

class message_box_test : public QObject {
    Q_OBJECT

private slots:
    void answers_given_in_advance_in_order();
    void real_box_enter_answers_the_default();
};

void message_box_test::answers_given_in_advance_in_order() {
    push_answer(2);
    push_answer(1);
    QCOMPARE(message_box(nullptr, "t1", "x1", msg_icon::question, msg_buttons::yes_no, 2), 2);
    QCOMPARE(message_box(nullptr, "t2", "x2", msg_icon::stop, msg_buttons::yes_no), 1);
    const std::vector<shown_box> boxes = take_recorded_boxes();
    QCOMPARE(boxes.size(), std::size_t{2});
    QCOMPARE(boxes[0].title, QStringLiteral("t1"));
    QCOMPARE(boxes[0].default_button, 2);
    QCOMPARE(boxes[1].text, QStringLiteral("x2"));
    QVERIFY(boxes[1].icon == msg_icon::stop);
    QVERIFY(take_recorded_boxes().empty());
}

void message_box_test::real_box_enter_answers_the_default() {
    if (!install_qt_translation(*QCoreApplication::instance())) {
        QSKIP("Qt's Chinese translation (qt6-translations-l10n) is not installed");
    }
    QString no_caption;
    QTimer::singleShot(0, [&no_caption] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        no_caption = box->button(QMessageBox::No)->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(message_box(nullptr, QStringLiteral("提示"), QStringLiteral("打印？"),
                         msg_icon::question, msg_buttons::yes_no, 2),
             2);
    QVERIFY2(no_caption.contains(u'否'), qPrintable(no_caption));
    QCOMPARE(take_recorded_boxes().size(), std::size_t{1});
}

QTEST_MAIN(message_box_test)
#include "message_box_test.moc"
