// The floor for the start-up figures: a bare Qt window with 36 plain child
// widgets (labels, line edits, buttons, radio buttons) in the form's face,
// which exits right after its first paint, as the program does under
// ORVANDEL_EXIT_AFTER_FIRST_PAINT=1.
//
//   startup_floor               short texts, repeated (few distinct glyphs)
//   startup_floor --form-texts  the form's own texts, sizes and weights, so
//                               the glyphs to load are the same as the program's

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <array>
#include <cstring>

namespace {

class exit_on_first_paint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
};

struct plain_control {
    char kind; // l label, e line edit, b button, r radio button
    const char* text;
    int points;
    bool bold;
};

// The form's texts, in its order of creation.
constexpr std::array<plain_control, 36> form_texts{{
    {'b', "调用系统计算器(&J)", 12, false},
    {'r', "", 12, false},
    {'r', "", 12, false},
    {'e', "0", 12, false},
    {'e', "0", 12, false},
    {'l', "2001年04月30日前滞纳天数：", 12, false},
    {'l', "或2001年05月01日后滞纳天数：", 12, false},
    {'b', "退出(&X)", 12, false},
    {'b', "关于(&A)", 12, false},
    {'e', "", 12, true},
    {'l', "税款与滞纳金合计=", 12, true},
    {'l', "=应缴税款金额*滞纳天数*加收率(2001年5月1日后按万分之五)", 10, false},
    {'l', "=应缴税款金额*滞纳天数*加收率(2001年5月1日前按千分之二)", 10, false},
    {'e', "", 12, false},
    {'e', "", 12, false},
    {'e', "", 12, true},
    {'e', "0", 12, false},
    {'e', "0", 12, false},
    {'e', "0", 12, false},
    {'l',
     "按照中华人民共和国税收征收管理法第三十二条规定，纳税人未按照规定期限缴纳税款的，扣缴义务人未"
     "按照规定期限解缴税款的，税务机关除责令限期缴纳外，从滞纳税款之日起，按日加收滞纳税款万分之五"
     "的"
     "滞纳金,2001年5月1日起执行，2001年5月1日以前滞纳金按照千分之二按日加收。",
     10, false},
    {'l', "2001年05月01日后应加征滞纳金=", 10, false},
    {'l', "其中:2001年04月30日前应加征滞纳金=", 10, false},
    {'l', "合计应加征滞纳金=", 12, true},
    {'l', "2001年05月01日后滞纳天数=", 10, false},
    {'l', "其中：2001年04月30日前滞纳天数=", 10, false},
    {'l', "合计滞纳天数=", 12, false},
    {'e', "2024-03-15", 12, false},
    {'l', "终止日期=", 12, false},
    {'e', "2024-03-15", 12, false},
    {'l', "滞纳金计算起始日期=", 12, false},
    {'l', "Orvandel", 12, true},
    {'b', "打印(&D)", 12, false},
    {'b', "重置(&C)", 12, false},
    {'b', "计算(&S)", 12, false},
    {'e', "", 12, false},
    {'l', "应缴税款金额=", 12, false},
}};

QWidget* make(const plain_control& control, QWidget* parent) {
    const QString text = QString::fromUtf8(control.text);
    QWidget* made = nullptr;
    switch (control.kind) {
    case 'l': {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(true);
        made = label;
        break;
    }
    case 'e':
        made = new QLineEdit(text, parent);
        break;
    case 'b':
        made = new QPushButton(text, parent);
        break;
    default:
        made = new QRadioButton(parent);
        break;
    }
    QFont font(QStringLiteral("Noto Serif CJK SC"), control.points);
    font.setBold(control.bold);
    made->setFont(font);
    return made;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool with_form_texts = argc > 1 && std::strcmp(argv[1], "--form-texts") == 0;
    QWidget window;
    window.setFont(QFont(QStringLiteral("Noto Serif CJK SC"), 12));
    window.resize(395, 579);
    constexpr std::array<plain_control, 4> short_texts{{
        {'l', "滞纳金计算起始日期=", 12, false},
        {'e', "2001-04-21", 12, false},
        {'b', "计算(&S)", 12, false},
        {'r', "", 12, false},
    }};
    for (std::size_t i = 0; i < form_texts.size(); ++i) {
        const plain_control& control = with_form_texts ? form_texts[i] : short_texts[i % 4];
        QWidget* child = make(control, &window);
        const int row = static_cast<int>(i / 2);
        child->setGeometry(static_cast<int>(i % 2) * 200, row * 16, 190,
                           control.kind == 'l' ? 60 : 22);
    }
    exit_on_first_paint watch;
    window.installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
