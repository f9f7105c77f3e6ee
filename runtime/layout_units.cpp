#include "runtime/layout_units.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace orvandel::runtime {

layout_scale layout_scale::for_widget(const QWidget& widget) {
    const QScreen* screen = widget.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return layout_scale(screen != nullptr ? screen->logicalDotsPerInch() : reference_dpi);
}

int layout_scale::horizontal(int units) const {
    return static_cast<int>(std::lround(units * pixels_per_horizontal_unit * dpi_factor_));
}

int layout_scale::vertical(int units) const {
    return static_cast<int>(std::lround(units * pixels_per_vertical_unit * dpi_factor_));
}

QRect layout_scale::to_pixels(const unit_rect& units) const {
    const int left = horizontal(units.x);
    const int top = vertical(units.y);
    return {left, top, horizontal(units.x + units.width) - left,
            vertical(units.y + units.height) - top};
}

QSize layout_scale::to_pixels(int width_units, int height_units) const {
    return {horizontal(width_units), vertical(height_units)};
}

void centre_on_screen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    QRect placed = window.frameGeometry();
    placed.moveCenter(screen->availableGeometry().center());
    window.move(placed.topLeft());
}

} // namespace orvandel::runtime
