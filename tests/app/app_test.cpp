// The application object and the program: start, the main window, the exit
// code when the last window closes.

#include "app/application.h"
#include "runtime/fonts.h"
#include "runtime/state_dir.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QProcess>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

namespace {

// The faces that draw `text` in `font`: "family style" for each run of glyphs,
// in lower case (Qt does not report a family in the same case on every path).
QStringList faces_drawing(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList faces;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        faces << (run.rawFont().familyName() + u' ' + run.rawFont().styleName()).toLower();
    }
    return faces;
}

// Where "宋体" itself is installed the form is drawn in it, not in a substitute.
bool song_is_installed() {
    return QFontDatabase::hasFamily(QString::fromUtf16(orvandel::runtime::song_face));
}

} // namespace

class app_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCoreApplication::setApplicationName(QStringLiteral("orvandel"));
        // On Windows the recovery folder is the user's own, not this test's:
        // what an earlier run left there, which the program would offer, goes.
        QDir(orvandel::runtime::state_directory()).removeRecursively();
    }

    void exit_ends_the_application_with_zero() {
        orvandel::app::application application;
        application.open(QCoreApplication::arguments());
        QVERIFY(application.w_dornik && application.w_dornik->isVisible());
        QCOMPARE(application.gs_path, QDir::toNativeSeparators(QDir::currentPath()));
        auto* cb_3 = application.w_dornik->cb_3; // Exit, once the event loop runs
        QTimer::singleShot(0, cb_3, [cb_3] { QTest::mouseClick(cb_3, Qt::LeftButton); });
        QCOMPARE(QApplication::exec(), 0);
    }

    // Qt's own options reach Qt ("-platform offscreen" as a user may give
    // it). The settings entry goes to the user's configuration folder (on
    // Windows, beside the program), nothing to the folder the program
    // started in.
    void program_starts_and_paints() {
        QTemporaryDir config_home, started_in;
#ifdef _WIN32
        const QString settings = QFileInfo(QStringLiteral(ORVANDEL_PROGRAM))
                                     .dir()
                                     .filePath(QStringLiteral("config.ini"));
        QFile::remove(settings);
#else
        const QString settings = config_home.filePath(QStringLiteral("orvandel/config.ini"));
#endif
        qputenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit());
        qputenv("ORVANDEL_EXIT_AFTER_FIRST_PAINT", "1");
        QProcess program;
        program.setWorkingDirectory(started_in.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ORVANDEL_PROGRAM), {"-platform", "offscreen"});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QFile::exists(settings));
        QVERIFY(QDir(started_in.path()).isEmpty());
    }

    // Every text the form shows, opened and with results, is drawn from the
    // compiled-in face, in its bold style where the control is bold; a text
    // with a character the face lacks would bring in a whole installed face
    // (megabytes) to draw that one glyph.
    void form_texts_are_drawn_from_the_compiled_in_face() {
        if (song_is_installed()) {
            QSKIP("\"宋体\" is installed here: the form is drawn in it");
        }
        orvandel::app::application application;
        application.open(QCoreApplication::arguments());
        auto& w = *application.w_dornik;
        w.em_yjsk->set_text(QStringLiteral("9876543.21"));
        w.em_2->set_text(QStringLiteral("1999-01-01"));
        w.em_3->set_text(QStringLiteral("2002-03-04"));
        QTest::mouseClick(w.cb_js, Qt::LeftButton);
        QVERIFY(w.st_znj1->text().contains(QStringLiteral("9876543.21")));

        const QString song = QString::fromUtf16(orvandel::runtime::compiled_song_face).toLower();
        QString missing;
        QStringList other_faces;
        for (const QWidget* control : w.findChildren<QWidget*>()) {
            const QString text = control->property("text").toString();
            const QRawFont compiled = QRawFont::fromFont(control->font());
            for (const QChar c : text) {
                if (!compiled.supportsCharacter(c) && !missing.contains(c)) {
                    missing += c;
                }
            }
            const QString style =
                control->font().bold() ? QStringLiteral(" bold") : QStringLiteral(" regular");
            for (const QString& face : faces_drawing(text, control->font())) {
                if (face != song + style) {
                    other_faces << control->objectName() + QStringLiteral(": ") + face;
                }
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("add \"%1\" to res/form-song.txt "
                                                              "and run res/form_song.sh")
                                                   .arg(missing)));
        QVERIFY2(other_faces.isEmpty(), qPrintable(other_faces.join(QStringLiteral(", "))));
    }

    // A character the compiled-in face lacks still comes from an installed
    // Song-style face with Simplified Chinese glyphs, not from a sans or a
    // Japanese face.
    void other_characters_come_from_the_installed_song_face() {
        if (song_is_installed()) {
            QSKIP("\"宋体\" is installed here: the form is drawn in it");
        }
        orvandel::app::application application; // installs the faces
        if (!QFontDatabase::hasFamily(QStringLiteral("Noto Serif CJK SC"))) {
            QSKIP("Noto Serif CJK SC (fonts-noto-cjk) is not installed");
        }
        for (const bool bold : {false, true}) {
            const QStringList faces =
                faces_drawing(QStringLiteral("龍"), orvandel::runtime::form_font(12, bold));
            QCOMPARE(faces, QStringList{bold ? QStringLiteral("noto serif cjk sc bold")
                                             : QStringLiteral("noto serif cjk sc regular")});
        }
    }
};

QTEST_MAIN(app_test)
#include "app_test.moc"
