#pragma once
// A static text of the form: a label that breaks long text into lines and lays
// the lines out within the box the form drew for them (with the Chinese
// glyphs' em box starting at the top of each line, and as much space between
// lines as the box allows). The
// CJK faces installed on Linux carry far more line spacing than the Song face
// the form was designed with; with Qt's own spacing the boxes would cut off
// their last line.

#include <QLabel>

class QTextLayout;

namespace orvandel::runtime {

class static_text : public QLabel {
    Q_OBJECT

public:
    explicit static_text(const QString& text, QWidget* parent = nullptr);

    // Height the text needs at the current width, in pixels.
    [[nodiscard]] int text_height() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Breaks the text into lines at the current width and places them;
    // returns the number of lines.
    int lay_out(QTextLayout& layout) const;
    [[nodiscard]] qreal em() const;
    // Distance between baselines: up to 1.2 em where the box has the room,
    // never less than 1.02 em.
    [[nodiscard]] qreal line_step(int lines) const;
};

} // namespace orvandel::runtime
