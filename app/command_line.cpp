#include "app/command_line.h"

#include <QCommandLineParser>

#include <array>

namespace orvandel::app {

namespace {

const QString program = QStringLiteral("orvandel");

// Our options, with what --help shows for each.
struct option_text {
    QStringList names;
    QString value;    // the value's name for an option that takes one
    QString argument; // what --help writes after the names
    QString description;
};

const std::array<option_text, 4> our_options{{
    {{QStringLiteral("worksheet")},
     QString(),
     QStringLiteral("[FILE]"),
     QStringLiteral("只打开计算底稿；有 FILE（CSV 文件或 .xlsx 工作簿）时打开它")},
    {{QStringLiteral("export-pdf")},
     QStringLiteral("OUT.pdf"),
     QStringLiteral("OUT.pdf"),
     QStringLiteral("与 --worksheet IN 一起用：把 IN 写成计算底稿 PDF，不开窗口")},
    {{QStringLiteral("h"), QStringLiteral("help")},
     QString(),
     QString(),
     QStringLiteral("显示这段说明后退出")},
    {{QStringLiteral("v"), QStringLiteral("version")},
     QString(),
     QString(),
     QStringLiteral("显示版本后退出")},
}};

// Qt's own options (QGuiApplication, QApplication and the X11 platform): Qt
// takes them when it starts, so they are no error here.
const QStringList qt_options_with_value{
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
    QStringLiteral("display"),         QStringLiteral("geometry"),
    QStringLiteral("style"),           QStringLiteral("stylesheet"),
    QStringLiteral("qmljsdebugger"),   QStringLiteral("fontengine")};
const QStringList qt_switches{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                              QStringLiteral("nograb"), QStringLiteral("dograb"),
                              QStringLiteral("sync")};

const QString no_pdf_name = QStringLiteral("选项 --export-pdf 后面要写 PDF 文件名");

// The argument as typed that gave the option `name` ("-x", "--bogus=1").
QString as_typed(const QStringList& arguments, const QString& name) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString option = arguments[i];
        if (!option.startsWith(u'-')) {
            continue;
        }
        option = option.mid(option.startsWith(QStringLiteral("--")) ? 2 : 1);
        if (option.section(u'=', 0, 0) == name) {
            return arguments[i];
        }
    }
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

command_line refused(const QString& problem) {
    command_line line;
    line.what = command_line::request::refuse;
    line.problem = problem;
    return line;
}

} // namespace

command_line read_command_line(const QStringList& arguments) {
    if (arguments.size() <= 1) {
        return {}; // the program's name alone, or not even that: the main window
    }
    QCommandLineParser parser;
    // "-platform xcb" as Qt writes its options, and "--worksheet" alike.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const option_text& option : our_options) {
        parser.addOption(QCommandLineOption(option.names, option.description, option.value));
    }
    for (const QString& name : qt_options_with_value) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString& name : qt_switches) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            return refused(QStringLiteral("不认识的选项 %1").arg(as_typed(arguments, unknown[0])));
        }
        const QString last = arguments.back();
        if (last == QStringLiteral("--export-pdf") || last == QStringLiteral("-export-pdf")) {
            return refused(no_pdf_name);
        }
        return refused(QStringLiteral("命令行有误：%1").arg(parser.errorText()));
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return {command_line::request::show_help, {}, {}, {}};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return {command_line::request::show_version, {}, {}, {}};
    }
    command_line line;
    const QStringList files = parser.positionalArguments();
    const bool worksheet = parser.isSet(QStringLiteral("worksheet"));
    if (files.size() > (worksheet ? 1 : 0)) {
        return refused(QStringLiteral("多余的参数“%1”（文件名写在 --worksheet 后面，只能有一个）")
                           .arg(files.back()));
    }
    if (!files.isEmpty()) {
        line.worksheet_file = files.front();
    }
    if (parser.isSet(QStringLiteral("export-pdf"))) {
        line.pdf_file = parser.value(QStringLiteral("export-pdf"));
        if (line.pdf_file.isEmpty() || line.pdf_file.startsWith(u'-')) {
            return refused(no_pdf_name);
        }
        if (line.worksheet_file.isEmpty()) {
            return refused(QStringLiteral("--export-pdf 要和 --worksheet IN 一起使用，IN 是要写成"
                                          "计算底稿的 CSV 文件或 Excel 工作簿"));
        }
        line.what = command_line::request::export_pdf;
        return line;
    }
    line.what =
        worksheet ? command_line::request::open_worksheet : command_line::request::open_form;
    return line;
}

QStringList raw_arguments(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

QString help_text() {
    QString text = QStringLiteral(
        "用法：\n"
        "  orvandel                                  打开滞纳金计算窗口\n"
        "  orvandel --worksheet [FILE]               只打开计算底稿（可同时打开文件 FILE）\n"
        "  orvandel --worksheet IN --export-pdf OUT.pdf\n"
        "                                            把 IN 写成计算底稿 PDF，不打开窗口\n"
        "\n"
        "选项：\n");
    for (const option_text& option : our_options) {
        QStringList names;
        for (const QString& name : option.names) {
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        }
        QString left = names.join(QStringLiteral(", "));
        if (!option.argument.isEmpty()) {
            left += u' ' + option.argument;
        }
        text += QStringLiteral("  %1%2\n").arg(left, -24).arg(option.description);
    }
    text += QStringLiteral(
        "\n"
        "FILE 和 IN 是 CSV 文件（UTF-8 或 GB18030，标题为中文或英文）或 Excel 工作簿（.xlsx）。\n"
        "退出状态：0 成功；2 命令行有误、文件无法读取或 PDF 无法写入。\n"
        "不开窗口的计算和整批 CSV 文件的计算请用 orvandel-cli。\n");
    return text;
}

QString version_text() {
    return QStringLiteral("%1 %2\n").arg(program, QStringLiteral(ORVANDEL_VERSION));
}

QString refusal_text(const command_line& refused) {
    return QStringLiteral("%1: %2\n用法见 %1 --help\n").arg(program, refused.problem);
}

} // namespace orvandel::app
