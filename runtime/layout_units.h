#pragma once
// Positions and sizes of the windows are given in layout units: x and width in
// horizontal units, y and height in vertical units, measured from the top-left
// corner of the window's client area. At 96 dots per inch one horizontal unit
// is 0.22 pixel and one vertical unit 0.25 pixel; on other screens both scale
// with the screen's logical DPI, as the form's point-sized fonts do.

#include <QRect>
#include <QSize>

class QWidget;

namespace orvandel::runtime {

struct unit_rect {
    int x;
    int y;
    int width;
    int height;
};

class layout_scale {
public:
    static constexpr double reference_dpi = 96.0;
    static constexpr double pixels_per_horizontal_unit = 0.22;
    static constexpr double pixels_per_vertical_unit = 0.25;

    explicit layout_scale(double logical_dpi = reference_dpi)
        : dpi_factor_(logical_dpi / reference_dpi) {}
    // The scale of the screen `widget` is on (the primary screen before it is shown).
    [[nodiscard]] static layout_scale for_widget(const QWidget& widget);

    // Edges are rounded, not widths, so controls that touch in units touch on screen.
    [[nodiscard]] QRect to_pixels(const unit_rect& units) const;
    [[nodiscard]] QSize to_pixels(int width_units, int height_units) const;

private:
    [[nodiscard]] int horizontal(int units) const;
    [[nodiscard]] int vertical(int units) const;

    double dpi_factor_;
};

// Places a top-level window in the middle of the available area of its screen.
void centre_on_screen(QWidget& window);

} // namespace orvandel::runtime
