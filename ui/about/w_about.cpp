#include "ui/about/w_about.h"

#include "calc/law.h"
#include "runtime/engine_text.h"
#include "runtime/layout_units.h"
#include "runtime/picture.h"
#include "runtime/program.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>

namespace orvandel::ui {

namespace {

// The window measures 2409 × 1592 units outside; its client area is that less
// the frame and the title bar, as for the main window.
constexpr int client_width_units = 2409 - 36;
constexpr int client_height_units = 1592 - 124;

// The picture compiled into the program, shown when the file is missing.
constexpr auto builtin_picture = u":/orvandel/about.JPG";

constexpr auto team = u"Orvandel 开发组";
constexpr auto web_address = u"https://orvandel.example.org/";
constexpr auto mail_address = u"orvandel@example.org";
// What the calculator does, its rates in the words of the law.
QString usage_notice() {
    return QStringLiteral("本计算器按应缴税款金额和滞纳期间计算税款滞纳金：2001年5月1日前按日%1，"
                          "此后按日%2。计算结果仅供参考，以税务机关核定为准。")
        .arg(runtime::qstring(calc::law::rate_before_words),
             runtime::qstring(calc::law::rate_after_words));
}

QString text(const char16_t* utf16) {
    return QString::fromUtf16(utf16);
}

// "Arial" where it is installed, else a sans face of the same build; Chinese
// characters from a sans face with Simplified Chinese glyphs.
QFont arial(int points, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace

w_about::w_about(const QString& gs_path, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("w_about"));
    setWindowTitle(QStringLiteral("关于OrvandelV1.0"));
    resize(runtime::layout_scale::for_widget(*this).to_pixels(client_width_units,
                                                              client_height_units));
    create_controls();
    open_handler(gs_path);
}

w_about::~w_about() = default;

void w_about::create_controls() {
    const runtime::layout_scale scale = runtime::layout_scale::for_widget(*this);
    const QFont normal = arial(12);
    auto label = [&](const QString& name, const QString& content, runtime::unit_rect box) {
        auto* made = new QLabel(content, this);
        made->setObjectName(name);
        made->setFont(normal);
        made->setGeometry(scale.to_pixels(box));
        made->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // The Chinese faces have taller lines than the boxes were drawn for,
        // and where Arial is missing its stand-in is wider: a box grows
        // rightwards and downwards to its text's size, into free space.
        made->resize(std::max(made->width(), made->sizeHint().width()),
                     std::max(made->height(), made->sizeHint().height()));
        return made;
    };

    st_8 = label(QStringLiteral("st_8"), QStringLiteral("开      发    者: ") + text(team),
                 {690, 916, 1458, 76});

    p_1 = new QLabel(this);
    p_1->setObjectName(QStringLiteral("p_1"));
    p_1->setGeometry(scale.to_pixels({55, 64, 535, 1352}));
    p_1->setAlignment(Qt::AlignCenter);

    st_5 = label(QStringLiteral("st_5"),
                 QStringLiteral("欢迎与作者联系，在本计算器基础上定制特定功能。"),
                 {645, 716, 1719, 72});
    st_7 = label(QStringLiteral("st_7"), QString(), {645, 388, 1673, 304});
    st_7->setWordWrap(true);
    st_4 = label(QStringLiteral("st_4"), QStringLiteral("版权所有 © 2012 ") + text(team),
                 {699, 820, 1175, 72});
    st_6 = label(QStringLiteral("st_6"), QStringLiteral("开发者网站:"), {686, 1016, 430, 76});

    // The link follows its address in the desktop's browser. Its box grows to
    // the address's width so that the address is never cut off.
    const QString address = text(web_address);
    shl_1 = label(QStringLiteral("shl_1"),
                  QStringLiteral("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()),
                  {1184, 1020, 567, 72});
    shl_1->setTextFormat(Qt::RichText);
    shl_1->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    shl_1->setFocusPolicy(Qt::NoFocus);
    shl_1->setCursor(Qt::PointingHandCursor);
    shl_1->resize(std::max(shl_1->width(), shl_1->sizeHint().width()),
                  std::max(shl_1->height(), shl_1->sizeHint().height()));
    connect(shl_1, &QLabel::linkActivated, this,
            [](const QString& link) { runtime::open_in_browser(QUrl(link)); });

    // Display only: the address can be selected and copied, not changed.
    sle_1 = new QLineEdit(text(mail_address), this);
    sle_1->setObjectName(QStringLiteral("sle_1"));
    sle_1->setFont(normal);
    sle_1->setGeometry(scale.to_pixels({1184, 1112, 910, 96}));
    sle_1->setReadOnly(true);
    sle_1->setFrame(false);
    QPalette flat = sle_1->palette();
    flat.setColor(QPalette::Base, flat.color(QPalette::Window));
    sle_1->setPalette(flat);
    sle_1->setCursorPosition(0);

    cb_1 = new QPushButton(QStringLiteral("确定"), this);
    cb_1->setObjectName(QStringLiteral("cb_1"));
    cb_1->setFont(normal);
    cb_1->setGeometry(scale.to_pixels({1143, 1280, 457, 128}));
    connect(cb_1, &QPushButton::clicked, this, &QWidget::close);

    st_3 = label(QStringLiteral("st_3"), QStringLiteral("电子邮件地址："), {686, 1116, 526, 72});
    st_2 = label(QStringLiteral("st_2"), QStringLiteral("版本号：V2.0(20120906)"),
                 {1029, 256, 987, 84});

    st_1 = label(QStringLiteral("st_1"), QStringLiteral("Orvandel"), {672, 96, 1605, 128});
    st_1->setFont(arial(16, true));
    st_1->resize(st_1->width(), std::max(st_1->height(), st_1->sizeHint().height()));
    st_1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette blue = st_1->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    st_1->setPalette(blue);

    // Only the e-mail address and OK take the focus, in that order.
    for (QLabel* still : {st_8, p_1, st_5, st_7, st_4, st_6, st_3, st_2, st_1}) {
        still->setFocusPolicy(Qt::NoFocus);
    }
    setTabOrder(sle_1, cb_1);
    sle_1->setFocus();
}

void w_about::open_handler(const QString& gs_path) {
    picturename_ = gs_path + QStringLiteral("\\res\\about.JPG");
    show_picture();
    st_7->setText(usage_notice());
}

void w_about::show_picture() {
    const QPixmap picture = runtime::load_picture(picturename_, text(builtin_picture));
    if (picture.isNull()) {
        p_1->clear();
        return;
    }
    p_1->setPixmap(picture.scaled(p_1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

w_about* w_about::open(QPointer<QWidget>& reference, const QString& gs_path) {
    auto* about = qobject_cast<w_about*>(reference.data());
    if (about == nullptr) {
        about = new w_about(gs_path);
        about->setAttribute(Qt::WA_DeleteOnClose);
        if (const QScreen* screen = about->screen()) {
            QRect placed = about->geometry();
            placed.moveCenter(screen->availableGeometry().center());
            about->move(placed.topLeft());
        }
        reference = about;
    }
    if (about->isMinimized()) {
        about->showNormal();
    } else {
        about->show();
    }
    about->raise();
    about->activateWindow();
    return about;
}

} // namespace orvandel::ui
