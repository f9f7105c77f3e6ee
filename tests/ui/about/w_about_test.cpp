// The about window: its texts and link, and the compiled-in picture when the
// file is missing or unreadable; opened by the main window's About: modeless,
// only once, with the picture below the working directory, closed alone by OK.

#include "app/application.h"
#include "runtime/state_dir.h"
#include "ui/about/w_about.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using orvandel::ui::w_about;

namespace {

const QColor red(220, 20, 20);

// Makes `folder`/res holding about.JPG: a red picture for "red", else `bytes`,
// or no file when they are empty.
bool put_picture(const QString& folder, const QByteArray& bytes) {
    QImage picture(200, 366, QImage::Format_RGB32);
    picture.fill(red);
    QFile file(folder + "/res/about.JPG");
    return QDir().mkpath(folder + "/res") &&
           (bytes == "red" ? picture.save(file.fileName(), "JPG")
                           : bytes.isEmpty() || (file.open(QIODevice::WriteOnly) &&
                                                 file.write(bytes) == bytes.size()));
}

// The mean colour tells the pictures here apart at any scale.
QColor mean(const QImage& image) {
    return image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
}

bool near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 48;
}

// Records the addresses handed to the desktop instead of opening a browser.
class url_recorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

class w_about_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
        // On Windows the recovery folder is the user's own, not this test's:
        // what an earlier run left there, which the program would offer, goes.
        QDir(orvandel::runtime::state_directory()).removeRecursively();
    }
    void texts_and_link();
    void picture_data();
    void picture();
    void opened_from_the_main_window();
};

void w_about_test::texts_and_link() {
    w_about about(QDir::tempPath());
    QCOMPARE(about.windowTitle(), "关于OrvandelV1.0");
    QVERIFY(about.st_7->text().contains("滞纳金")); // the open handler's notice
    QVERIFY(about.sle_1->isReadOnly());
    // clang-format off
    const std::pair<const char*, const char*> texts[] = {
        {"st_1", "Orvandel"}, {"st_2", "版本号：V2.0(20120906)"},
        {"st_5", "欢迎与作者联系，在本计算器基础上定制特定功能。"},
        {"st_6", "开发者网站:"}, {"st_3", "电子邮件地址："},
        {"st_8", "开      发    者: Orvandel 开发组"}, {"st_4", "版权所有 © 2012 Orvandel 开发组"},
        {"sle_1", "orvandel@example.org"}, {"cb_1", "确定"}};
    // clang-format on
    for (const auto& [name, text] : texts) {
        const QObject* shown = about.findChild<QObject*>(name);
        QVERIFY2(shown != nullptr, name);
        QCOMPARE(shown->property("text").toString(), QString::fromUtf8(text));
        // The whole text shows: the Chinese faces' lines are taller than the boxes were drawn for.
        if (const auto* label = qobject_cast<const QLabel*>(shown)) {
            QVERIFY2(label->width() >= label->sizeHint().width() &&
                         label->height() >= label->sizeHint().height(),
                     name);
        }
    }

    url_recorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(about.shl_1, Qt::LeftButton, {}, QPoint(8, about.shl_1->height() / 3));
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(recorder.opened, QList<QUrl>{QUrl("https://orvandel.example.org/")});
    QVERIFY(about.shl_1->width() >= about.shl_1->sizeHint().width()); // the whole address shows
}

void w_about_test::picture_data() {
    QTest::addColumn<QByteArray>("content"); // of res/about.JPG; empty: no file
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("not a picture") << QByteArray("not a JPEG");
}

void w_about_test::picture() {
    QFETCH(QByteArray, content);
    QTemporaryDir temp;
    const QString folder = temp.filePath("my work");
    QVERIFY(put_picture(folder, content));
    const w_about about(folder);

    QCOMPARE(about.picturename(), folder + "\\res\\about.JPG");
    const QImage builtin(":/orvandel/about.JPG"); // shown instead
    QCOMPARE(builtin.size(), QSize(200, 366));
    QVERIFY(near(mean(about.p_1->pixmap().toImage()), mean(builtin)));
}

void w_about_test::opened_from_the_main_window() {
    // The program starts in a folder that holds a red res/about.JPG of its own.
    QTemporaryDir working_directory;
    QVERIFY(put_picture(working_directory.path(), "red"));
    // Windows removes no folder that is some program's current one.
    struct back_to_where_we_were {
        QString path = QDir::currentPath();
        ~back_to_where_we_were() { QDir::setCurrent(path); }
    } restore;
    QVERIFY(QDir::setCurrent(working_directory.path()));
    orvandel::app::application application;
    application.open({});
    orvandel::ui::w_dornik& main = *application.w_dornik;

    QTest::mouseClick(main.cb_2, Qt::LeftButton);
    auto* about = qobject_cast<w_about*>(application.w_about.data());
    QVERIFY(about != nullptr && about->isVisible());
    QCOMPARE(about->windowModality(), Qt::NonModal);
    QCOMPARE(about->picturename(), application.gs_path + "\\res\\about.JPG");
    QVERIFY(near(mean(about->p_1->pixmap().toImage()), red));
    QTest::mouseClick(main.cb_2, Qt::LeftButton);
    QCOMPARE(application.w_about.data(), static_cast<QWidget*>(about)); // no second window

    // The main window takes input meanwhile and keeps it when OK is pressed.
    main.activateWindow();
    QTRY_VERIFY(main.isActiveWindow());
    main.em_yjsk->setFocus();
    QTest::keyClick(main.em_yjsk, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(main.em_yjsk, "250");
    QTest::keyClick(main.em_yjsk, Qt::Key_Tab);
    QCOMPARE(main.em_yjsk->text(), "250.00");
    QTest::mouseClick(about->cb_1, Qt::LeftButton);
    QTRY_VERIFY(application.w_about.isNull());
    QVERIFY(main.isVisible());
    QCOMPARE(main.em_yjsk->text(), "250.00");
}

QTEST_MAIN(w_about_test)
#include "w_about_test.moc"
