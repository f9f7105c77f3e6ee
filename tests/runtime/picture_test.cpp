// Picture names with "\" between folders, and the fallback picture.

#include "runtime/picture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace orvandel;

class picture_test : public QObject {
    Q_OBJECT

private slots:
    void picture_path_data();
    void picture_path();
    void load_picture_data();
    void load_picture();
};

void picture_test::picture_path_data() {
    QTest::addColumn<QString>("picturename");
    QTest::addColumn<QString>("path");
    QTest::newRow("directory then name") << "/home/li\\res\\about.JPG"
                                         << "/home/li/res/about.JPG";
    QTest::newRow("directory ending in a separator") << "/home/li/\\res\\about.JPG"
                                                     << "/home/li//res/about.JPG";
    QTest::newRow("relative name") << "res\\about.JPG"
                                   << "res/about.JPG";
    QTest::newRow("no backslash") << "/srv/a b/res/about.JPG"
                                  << "/srv/a b/res/about.JPG";
    QTest::newRow("empty") << ""
                           << "";
}

void picture_test::picture_path() {
    QFETCH(QString, picturename);
    QFETCH(QString, path);
    QCOMPARE(runtime::picture_path(picturename), path);
}

void picture_test::load_picture_data() {
    QTest::addColumn<QByteArray>("file"); // content of the named file; empty: none
    QTest::addColumn<bool>("fallback_exists");
    QTest::addColumn<QSize>("shown");         // the size tells which picture came
    QTest::addColumn<bool>("by_backslashes"); // name the file with "\" separators

    QByteArray picture;
    {
        QImage image(20, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        QBuffer buffer(&picture);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG");
    }
    QTest::newRow("file") << picture << true << QSize(20, 30) << false;
    QTest::newRow("file named with backslashes") << picture << true << QSize(20, 30) << true;
    QTest::newRow("missing file: fallback") << QByteArray() << true << QSize(7, 9) << false;
    QTest::newRow("not a picture: fallback")
        << QByteArray("GIF? no") << true << QSize(7, 9) << false;
    QTest::newRow("neither") << QByteArray() << false << QSize(0, 0) << false;
}

void picture_test::load_picture() {
    QFETCH(QByteArray, file);
    QFETCH(bool, fallback_exists);
    QFETCH(QSize, shown);
    QFETCH(bool, by_backslashes);

    QTemporaryDir temp;
    QVERIFY(QDir(temp.path()).mkpath(QStringLiteral("res")));
    const QString named = temp.filePath(QStringLiteral("res/about.JPG"));
    if (!file.isEmpty()) {
        QFile out(named);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    const QString fallback = temp.filePath(QStringLiteral("fallback.png"));
    if (fallback_exists) {
        QImage small(7, 9, QImage::Format_RGB32);
        small.fill(Qt::blue);
        QVERIFY(small.save(fallback));
    }
    const QString picturename =
        by_backslashes ? temp.path() + QStringLiteral("\\res\\about.JPG") : named;

    const QPixmap loaded = runtime::load_picture(picturename, fallback);
    QCOMPARE(loaded.size(), shown);
}

QTEST_MAIN(picture_test)
#include "picture_test.moc"
