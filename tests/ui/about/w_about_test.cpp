// The about window: its texts, where its picture comes from, and the link.
// Opening and closing it through the main window: main_window_test.cpp.

#include "ui/about/w_about.h"

#include <QApplication>
#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using orvandel::ui::w_about;

namespace {

// The mean colour tells the pictures here apart at any scale.
QColor mean_colour(const QImage& image) {
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
    void texts_data();
    void texts();
    void picture_data();
    void picture();
    void link_opens_the_address();
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
    QVERIFY(about.st_7->text().contains(QStringLiteral("滞纳金"))); // the open handler's notice
    QVERIFY(about.sle_1->isReadOnly());
    const QObject* shown = about.findChild<QObject*>(control);
    QVERIFY(shown != nullptr);
    QCOMPARE(shown->property("text").toString(), expected);
    // The whole text shows: the Chinese faces' lines are taller than the boxes were drawn for.
    if (const auto* label = qobject_cast<const QLabel*>(shown)) {
        QVERIFY(label->width() >= label->sizeHint().width());
        QVERIFY(label->height() >= label->sizeHint().height());
    }
}

void w_about_test::picture_data() {
    QTest::addColumn<QString>("suffix");     // appended to the directory to make gs_path
    QTest::addColumn<QByteArray>("content"); // of res/about.JPG below it; empty: no file
    QTest::addColumn<bool>("from_file");
    QByteArray red;
    QBuffer buffer(&red);
    buffer.open(QIODevice::WriteOnly);
    QImage image(200, 366, QImage::Format_RGB32);
    image.fill(QColor(220, 20, 20));
    image.save(&buffer, "JPG");
    QTest::newRow("file below the directory") << "" << red << true;
    QTest::newRow("directory ending in a separator") << "/" << red << true;
    QTest::newRow("no file: compiled-in picture") << "" << QByteArray() << false;
    QTest::newRow("not a picture: compiled-in picture") << "" << QByteArray("not a JPEG") << false;
}

void w_about_test::picture() {
    QFETCH(QString, suffix);
    QFETCH(QByteArray, content);
    QFETCH(bool, from_file);
    QTemporaryDir temp;
    const QString folder = temp.filePath(QStringLiteral("my work"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/res")));
    if (!content.isEmpty()) {
        QFile file(folder + QStringLiteral("/res/about.JPG"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    const w_about about(folder + suffix);

    QCOMPARE(about.picturename(), folder + suffix + QStringLiteral("\\res\\about.JPG"));
    const QColor shown = mean_colour(about.p_1->pixmap().toImage());
    const QImage builtin(QStringLiteral(":/orvandel/about.JPG"));
    QCOMPARE(builtin.size(), QSize(200, 366));
    QVERIFY(near(shown, from_file ? QColor(220, 20, 20) : mean_colour(builtin)));
}

void w_about_test::link_opens_the_address() {
    url_recorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    w_about about(QDir::tempPath());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(about.shl_1, Qt::LeftButton, {}, QPoint(8, about.shl_1->height() / 3));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(recorder.opened, QList<QUrl>{QUrl(QStringLiteral("https://orvandel.example.org/"))});
    QVERIFY(about.shl_1->width() >= about.shl_1->sizeHint().width()); // the whole address shows
}

QTEST_MAIN(w_about_test)
#include "w_about_test.moc"
