#include "runtime/static_text.h"

#include <QFontInfo>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace orvandel::runtime {

namespace {

// Where the baseline sits in a line, as a share of the em: Chinese glyphs
// fill the em box from 0.88 above the baseline to 0.12 below it.
constexpr qreal baseline_in_em = 0.88;

} // namespace

static_text::static_text(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setWordWrap(true);
}

qreal static_text::em() const {
    return QFontInfo(font()).pixelSize();
}

qreal static_text::line_step(int lines) const {
    const qreal tightest = em() * 1.02;
    const qreal loosest = em() * 1.2;
    if (lines < 2) {
        return loosest;
    }
    const qreal fitting = (height() - em()) / (lines - 1);
    return std::clamp(fitting, tightest, loosest);
}

int static_text::lay_out(QTextLayout& layout) const {
    QTextOption options(alignment() & Qt::AlignHorizontal_Mask);
    options.setWrapMode(wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                   : QTextOption::NoWrap);
    layout.setTextOption(options);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
        ++lines;
    }
    layout.endLayout();
    const qreal step = line_step(lines);
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.lineAt(i);
        line.setPosition(QPointF(0, i * step + baseline_in_em * em() - line.ascent()));
    }
    return lines;
}

int static_text::text_height() const {
    QTextLayout layout(text(), font(), this);
    const int lines = lay_out(layout);
    return lines == 0 ? 0 : static_cast<int>(std::ceil((lines - 1) * line_step(lines) + em()));
}

void static_text::paintEvent(QPaintEvent* /*event*/) {
    QTextLayout layout(text(), font(), this);
    lay_out(layout);
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    layout.draw(&painter, QPointF(0, 0));
}

} // namespace orvandel::runtime
