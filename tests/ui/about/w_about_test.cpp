// The about window: its texts, where its picture comes from, that it is
// modeless and opened once through its reference, and what OK, the e-mail field
// and the link do.

#include "ui/about/w_about.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using orvandel::ui::w_about;

namespace {

// Records the addresses handed to the desktop instead of opening a browser.
class url_recorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// The mean colour of a picture, which tells the pictures here apart at any scale.
QColor mean_colour(const QImage& image) {
    return image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
}

bool near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 &&
           qAbs(a.blue() - b.blue()) < 24;
}

int open_about_windows() {
    int count = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        count += (qobject_cast<w_about*>(top) != nullptr && top->isVisible()) ? 1 : 0;
    }
    return count;
}

} // namespace

class w_about_test : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void picture_data();
    void picture();
    void opens_modeless_and_only_once();
    void closing_closes_only_it_data();
    void closing_closes_only_it();
    void email_can_be_copied_not_changed();
    void link_opens_the_address();
    void only_email_and_ok_take_the_focus();
};

void w_about_test::texts_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("expected");
    QTest::newRow("product name") << "st_1"
                                  << "Orvandel";
    QTest::newRow("version line") << "st_2"
                                  << "版本号：V2.0(20120906)";
    QTest::newRow("invitation") << "st_5"
                                << "欢迎与作者联系，在本计算器基础上定制特定功能。";
    QTest::newRow("web label") << "st_6"
                               << "开发者网站:";
    QTest::newRow("mail label") << "st_3"
                                << "电子邮件地址：";
    QTest::newRow("credit") << "st_8"
                            << "开      发    者: Orvandel 开发组";
    QTest::newRow("rights") << "st_4"
                            << "版权所有 © 2012 Orvandel 开发组";
    QTest::newRow("mail address") << "sle_1"
                                  << "orvandel@example.org";
    QTest::newRow("OK") << "cb_1"
                        << "确定";
}

void w_about_test::texts() {
    QFETCH(QString, control);
    QFETCH(QString, expected);
    const w_about about(QDir::tempPath());
    QCOMPARE(about.windowTitle(), QStringLiteral("关于OrvandelV1.0"));
    const QObject* shown = about.findChild<QObject*>(control);
    QVERIFY2(shown != nullptr, qPrintable(control));
    QCOMPARE(shown->property("text").toString(), expected);
    // Nothing is cut off: the box holds the whole text.
    if (const auto* label = qobject_cast<const QLabel*>(shown)) {
        QVERIFY(label->width() >= label->sizeHint().width());
        QVERIFY(label->height() >= label->sizeHint().height());
    }
    // The usage notice is put in when the window opens.
    QVERIFY(about.st_7->text().contains(QStringLiteral("滞纳金")));
}

void w_about_test::picture_data() {
    QTest::addColumn<QString>("below");      // folder under the temporary directory
    QTest::addColumn<QString>("suffix");     // appended to the directory as gs_path
    QTest::addColumn<QByteArray>("content"); // what res/about.JPG holds; empty: no file
    QTest::addColumn<bool>("from_file");

    QByteArray red;
    {
        QImage image(200, 366, QImage::Format_RGB32);
        image.fill(QColor(220, 20, 20));
        QBuffer buffer(&red);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG");
    }
    QTest::newRow("file below the directory") << "work"
                                              << "" << red << true;
    QTest::newRow("directory ending in a separator") << "work"
                                                     << "/" << red << true;
    QTest::newRow("directory with a space") << "my work"
                                            << "" << red << true;
    QTest::newRow("no file: compiled-in picture") << "work"
                                                  << "" << QByteArray() << false;
    QTest::newRow("not a picture: compiled-in picture")
        << "work"
        << "" << QByteArray("not a JPEG at all") << false;
}

void w_about_test::picture() {
    QFETCH(QString, below);
    QFETCH(QString, suffix);
    QFETCH(QByteArray, content);
    QFETCH(bool, from_file);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString folder = temp.filePath(below);
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/res")));
    if (!content.isEmpty()) {
        QFile file(folder + QStringLiteral("/res/about.JPG"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QString gs_path = folder + suffix;
    w_about about(gs_path);

    QCOMPARE(about.picturename(), gs_path + QStringLiteral("\\res\\about.JPG"));
    QVERIFY(!about.p_1->pixmap().isNull());
    if (from_file) {
        QVERIFY(near(mean_colour(about.p_1->pixmap().toImage()), QColor(220, 20, 20)));
    } else {
        const QImage builtin(QStringLiteral(":/orvandel/about.JPG"));
        QCOMPARE(builtin.size(), QSize(200, 366));
        QVERIFY(near(mean_colour(about.p_1->pixmap().toImage()), mean_colour(builtin)));
    }
    if (const QString dir = qEnvironmentVariable("ORVANDEL_SCREENSHOT_DIR"); !dir.isEmpty()) {
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        about.grab().save(dir + QStringLiteral("/w_about.png"));
    }
}

void w_about_test::opens_modeless_and_only_once() {
    QLineEdit main_window; // stands for the main window
    main_window.show();
    QPointer<QWidget> reference;

    w_about* first = w_about::open(reference, QDir::tempPath());
    QVERIFY(first != nullptr);
    QCOMPARE(reference.data(), static_cast<QWidget*>(first));
    QVERIFY(first->isVisible());
    QVERIFY(first->isWindow());
    QCOMPARE(first->windowModality(), Qt::NonModal);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // The other window still takes input while the about window is open.
    QTest::keyClicks(&main_window, QStringLiteral("123"));
    QCOMPARE(main_window.text(), QStringLiteral("123"));

    first->showMinimized();
    QCOMPARE(w_about::open(reference, QDir::tempPath()), first);
    QVERIFY(!first->isMinimized());
    QCOMPARE(open_about_windows(), 1);

    first->close();
    QTRY_VERIFY(reference.isNull());
}

void w_about_test::closing_closes_only_it_data() {
    QTest::addColumn<bool>("by_ok");
    QTest::newRow("OK button") << true;
    QTest::newRow("title bar") << false;
}

void w_about_test::closing_closes_only_it() {
    QFETCH(bool, by_ok);
    QLineEdit main_window;
    main_window.setText(QStringLiteral("12345.67"));
    main_window.show();
    QPointer<QWidget> reference;
    w_about* about = w_about::open(reference, QDir::tempPath());

    if (by_ok) {
        QTest::mouseClick(about->cb_1, Qt::LeftButton);
    } else {
        about->close();
    }
    QTRY_VERIFY(reference.isNull()); // closed and destroyed
    QVERIFY(main_window.isVisible());
    QCOMPARE(main_window.text(), QStringLiteral("12345.67"));

    // The next About opens a new window.
    QVERIFY(w_about::open(reference, QDir::tempPath()) != nullptr);
    QCOMPARE(open_about_windows(), 1);
    reference->close();
    QTRY_VERIFY(reference.isNull());
}

void w_about_test::email_can_be_copied_not_changed() {
    w_about about(QDir::tempPath());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QString address = about.sle_1->text();
    about.sle_1->setFocus();
    QTest::keyClicks(about.sle_1, QStringLiteral("xyz"));
    QTest::keyClick(about.sle_1, Qt::Key_Backspace);
    QCOMPARE(about.sle_1->text(), address);
    QTest::keyClick(about.sle_1, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(about.sle_1->selectedText(), address);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(about.sle_1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), address);
}

void w_about_test::link_opens_the_address() {
    url_recorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    w_about about(QDir::tempPath());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    QVERIFY(about.shl_1->text().contains(QStringLiteral("https://orvandel.example.org/")));
    const QPoint on_link(8, about.shl_1->height() / 3);
    QTest::mouseClick(about.shl_1, Qt::LeftButton, {}, on_link);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    QCOMPARE(recorder.opened, QList<QUrl>{QUrl(QStringLiteral("https://orvandel.example.org/"))});
    // The whole address shows: the link's box is at least as wide as its text.
    QVERIFY(about.shl_1->width() >= about.shl_1->sizeHint().width());
}

void w_about_test::only_email_and_ok_take_the_focus() {
    w_about about(QDir::tempPath());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QApplication::setActiveWindow(&about);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(about.sle_1));
    const QList<QWidget*> expected{about.cb_1, about.sle_1, about.cb_1};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

QTEST_MAIN(w_about_test)
#include "w_about_test.moc"
