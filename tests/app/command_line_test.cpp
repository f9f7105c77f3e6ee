// The desktop program's command line: what each form of it asks for, and the
// real program answering --help, --version and a wrong command line on its
// standard streams with no display and no window.

#include "app/command_line.h"

#include <QProcess>
#include <QTest>

using namespace orvandel::app;
using request = command_line::request;

class command_line_test : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<request>("what");
        QTest::addColumn<QString>("worksheet_file");
        QTest::addColumn<QString>("pdf_file");
        QTest::addColumn<QString>("problem");
        const auto row = [](const char* name, const QStringList& arguments, request what,
                            const QString& file = {}, const QString& pdf = {},
                            const QString& problem = {}) {
            QTest::newRow(name) << (QStringList{QStringLiteral("orvandel")} + arguments) << what
                                << file << pdf << problem;
        };
        row("nothing", {}, request::open_form);
        QTest::newRow("not even a name")
            << QStringList() << request::open_form << QString() << QString() << QString();
        row("worksheet", {"--worksheet"}, request::open_worksheet);
        row("worksheet file", {"--worksheet", "底稿 1.csv"}, request::open_worksheet, "底稿 1.csv");
        row("file before option", {"a.xlsx", "--worksheet"}, request::open_worksheet, "a.xlsx");
        row("export", {"--worksheet", "in.csv", "--export-pdf", "out.pdf"}, request::export_pdf,
            "in.csv", "out.pdf");
        row("export, value after =", {"--export-pdf=out.pdf", "--worksheet", "in.csv"},
            request::export_pdf, "in.csv", "out.pdf");
        row("Qt's own options", {"-platform", "offscreen", "-reverse", "--style=fusion"},
            request::open_form);
        row("help", {"--help"}, request::show_help);
        row("short help", {"-h"}, request::show_help);
        row("version", {"--version"}, request::show_version);
        row("unknown long option", {"--bogus"}, request::refuse, {}, {}, "--bogus");
        row("unknown option with a value", {"--amount=12", "--worksheet"}, request::refuse, {}, {},
            "--amount=12");
        row("unknown short option", {"-x"}, request::refuse, {}, {}, "-x");
        row("help does not excuse an unknown option", {"--help", "--bogus"}, request::refuse, {},
            {}, "--bogus");
        row("file without --worksheet", {"a.csv"}, request::refuse, {}, {}, "a.csv");
        row("two files", {"--worksheet", "a.csv", "b.csv"}, request::refuse, {}, {}, "b.csv");
        row("export without input", {"--export-pdf", "out.pdf"}, request::refuse, {}, {},
            "--worksheet");
        row("export without output", {"--worksheet", "in.csv", "--export-pdf"}, request::refuse, {},
            {}, "--export-pdf");
        row("export to an option", {"--worksheet", "in.csv", "--export-pdf", "--help"},
            request::refuse, {}, {}, "--export-pdf");
    }
    void read() {
        QFETCH(QStringList, arguments);
        QFETCH(request, what);
        QFETCH(QString, worksheet_file);
        QFETCH(QString, pdf_file);
        QFETCH(QString, problem);
        const command_line given = read_command_line(arguments);
        QCOMPARE(given.what, what);
        if (what == request::refuse) {
            QVERIFY2(given.problem.contains(problem), qPrintable(given.problem));
            return;
        }
        QCOMPARE(given.worksheet_file, worksheet_file);
        QCOMPARE(given.pdf_file, pdf_file);
    }

    // The real program, started from a console with no display: it answers
    // and ends by itself (a window would need a display, or never end).
    void program_answers_without_a_window_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QStringList>("out");
        QTest::addColumn<QString>("err");
        const QStringList help{"--worksheet [FILE]", "--export-pdf OUT.pdf", "--help", "--version"};
        QTest::newRow("help") << QStringList{"--help"} << 0 << help << QString();
        QTest::newRow("-h") << QStringList{"-h"} << 0 << help << QString();
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QStringList{QStringLiteral("orvandel " ORVANDEL_VERSION "\n")}
                                 << QString();
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << QStringList{}
                                        << QStringLiteral("orvandel: 不认识的选项 --bogus");
        QTest::newRow("stray file")
            << QStringList{"a.csv"} << 2 << QStringList{} << QStringLiteral("a.csv");
    }
    void program_answers_without_a_window() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exit_code);
        QFETCH(QStringList, out);
        QFETCH(QString, err);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
            env.remove(QString::fromLatin1(name));
        }
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ORVANDEL_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exit_code);
        // Lines end the console's way: "\r\n" on Windows.
        const QString printed = QString::fromUtf8(program.readAllStandardOutput())
                                    .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const QString complained = QString::fromUtf8(program.readAllStandardError());
        for (const QString& wanted : out) {
            QVERIFY2(printed.contains(wanted), qPrintable(printed));
        }
        if (out.isEmpty()) {
            QCOMPARE(printed, QString());
        }
        if (err.isEmpty()) {
            QCOMPARE(complained, QString());
        } else {
            QVERIFY2(complained.contains(err), qPrintable(complained));
        }
    }
};

QTEST_GUILESS_MAIN(command_line_test)
#include "command_line_test.moc"
