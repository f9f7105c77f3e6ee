#include "runtime/printing.h"

#include <QLineEdit>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <limits>

namespace orvandel::runtime {

namespace {

// A read-only field draws no text cursor, so the focused field is made
// read-only while the window is recorded and given back its state afterwards.
// Its text, selection and focus stay as they are and no signal is emitted.
class text_cursor_hidden {
public:
    explicit text_cursor_hidden(QWidget& window) {
        QWidget* focus = window.focusWidget();
        if (focus == nullptr) {
            return;
        }
        auto* edit = qobject_cast<QLineEdit*>(focus);
        if (edit == nullptr) { // spin boxes and date fields edit through an inner line edit
            edit = focus->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
        }
        if (edit != nullptr && !edit->isReadOnly()) {
            edit_ = edit;
            edit_->setReadOnly(true);
        }
    }
    ~text_cursor_hidden() {
        if (edit_) {
            edit_->setReadOnly(false);
        }
    }
    text_cursor_hidden(const text_cursor_hidden&) = delete;
    text_cursor_hidden& operator=(const text_cursor_hidden&) = delete;

private:
    QPointer<QLineEdit> edit_;
};

// Records every painter call made on it as a step that repeats the call on
// another painter. Texts are kept as their characters and face, set on their
// baseline: a run of characters taken from a fallback face then lands on the
// same line as the rest when it is drawn again.
class recording_engine final : public QPaintEngine {
public:
    using step = std::function<void(QPainter&, const QTransform&)>;

    explicit recording_engine(std::vector<step>& steps)
        : QPaintEngine(QPaintEngine::AllFeatures), steps_(steps) {}

    bool begin(QPaintDevice* /*device*/) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& now) override {
        const DirtyFlags dirty = now.state();
        if (dirty & DirtyPen) {
            add([pen = now.pen()](QPainter& p, const QTransform&) { p.setPen(pen); });
        }
        if (dirty & DirtyBrush) {
            add([brush = now.brush()](QPainter& p, const QTransform&) { p.setBrush(brush); });
        }
        if (dirty & DirtyBrushOrigin) {
            add([origin = now.brushOrigin()](QPainter& p, const QTransform&) {
                p.setBrushOrigin(origin);
            });
        }
        if (dirty & (DirtyBackground | DirtyBackgroundMode)) {
            add([mode = now.backgroundMode(), brush = now.backgroundBrush()](QPainter& p,
                                                                             const QTransform&) {
                p.setBackgroundMode(mode);
                p.setBackground(brush);
            });
        }
        // The transform before the clip: a clip is given in the coordinates of
        // the transform in force when it is set.
        if (dirty & DirtyTransform) {
            add([transform = now.transform()](QPainter& p, const QTransform& base) {
                p.setTransform(transform * base);
            });
        }
        if (dirty & DirtyClipEnabled) {
            add([on = now.isClipEnabled()](QPainter& p, const QTransform&) { p.setClipping(on); });
        }
        if (dirty & DirtyClipRegion) {
            add([region = now.clipRegion(), operation = now.clipOperation()](
                    QPainter& p, const QTransform&) { p.setClipRegion(region, operation); });
        }
        if (dirty & DirtyClipPath) {
            add([path = now.clipPath(), operation = now.clipOperation()](
                    QPainter& p, const QTransform&) { p.setClipPath(path, operation); });
        }
        if (dirty & DirtyHints) {
            add([hints = now.renderHints()](QPainter& p, const QTransform&) {
                p.setRenderHints(hints, true);
                p.setRenderHints(~hints, false);
            });
        }
        if (dirty & DirtyCompositionMode) {
            add([mode = now.compositionMode()](QPainter& p, const QTransform&) {
                p.setCompositionMode(mode);
            });
        }
        if (dirty & DirtyOpacity) {
            add([opacity = now.opacity()](QPainter& p, const QTransform&) {
                p.setOpacity(opacity);
            });
        }
    }

    void drawPath(const QPainterPath& path) override {
        add([path](QPainter& p, const QTransform&) { p.drawPath(path); });
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        QPolygonF polygon(count);
        std::copy(points, points + count, polygon.begin());
        add([polygon, mode](QPainter& p, const QTransform&) {
            switch (mode) {
            case PolylineMode:
                p.drawPolyline(polygon);
                break;
            case ConvexMode:
                p.drawConvexPolygon(polygon);
                break;
            case OddEvenMode:
                p.drawPolygon(polygon, Qt::OddEvenFill);
                break;
            case WindingMode:
                p.drawPolygon(polygon, Qt::WindingFill);
                break;
            }
        });
    }

    void drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF& source) override {
        add([=](QPainter& p, const QTransform&) { p.drawPixmap(target, pixmap, source); });
    }

    void drawTiledPixmap(const QRectF& target, const QPixmap& pixmap,
                         const QPointF& offset) override {
        add([=](QPainter& p, const QTransform&) { p.drawTiledPixmap(target, pixmap, offset); });
    }

    void drawImage(const QRectF& target, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override {
        add([=](QPainter& p, const QTransform&) { p.drawImage(target, image, source, flags); });
    }

    void drawTextItem(const QPointF& baseline, const QTextItem& item) override {
        // Underlines and strike-outs come as separate lines after the text.
        QFont face = item.font();
        face.setUnderline(false);
        face.setOverline(false);
        face.setStrikeOut(false);
        // The run's face may carry no marks of what was set on it (a button
        // caption's runs do not); unmarked, the player's painter would take
        // its own default face for it instead.
        face.setResolveMask(QFont::AllPropertiesResolved);
        add([baseline, face, text = item.text()](QPainter& p, const QTransform&) {
            p.setFont(face);
            p.drawText(baseline, text);
        });
    }

private:
    void add(step call) { steps_.push_back(std::move(call)); }

    std::vector<step>& steps_;
};

// A surface the size and resolution of the window that keeps what is painted
// on it as steps. Widgets draw on it as they draw on the screen.
class recording_device final : public QPaintDevice {
public:
    recording_device(const QWidget& window, std::vector<recording_engine::step>& steps)
        : size_(window.size()), dpi_x_(window.logicalDpiX()), dpi_y_(window.logicalDpiY()),
          engine_(steps) {}

    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return qRound(size_.width() * 25.4 / dpi_x_);
        case PdmHeightMM:
            return qRound(size_.height() * 25.4 / dpi_y_);
        case PdmNumColors:
            return std::numeric_limits<int>::max();
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmPhysicalDpiX:
            return dpi_x_;
        case PdmDpiY:
        case PdmPhysicalDpiY:
            return dpi_y_;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize size_;
    int dpi_x_;
    int dpi_y_;
    mutable recording_engine engine_;
};

} // namespace

void window_drawing::play(QPainter& painter) const {
    const QTransform base = painter.transform();
    painter.save();
    for (const step& call : steps_) {
        call(painter, base);
    }
    painter.restore();
}

window_drawing record_window(QWidget& window) {
    const text_cursor_hidden hidden(window);
    window_drawing drawing;
    drawing.size_ = window.size();
    recording_device device(window, drawing.steps_);
    QPainter painter(&device);
    // The widget style paints button and frame bevels through a cache of small
    // screen-resolution images whenever the transform is a plain translation or
    // scale. A shear far below a thousandth of a pixel across the window keeps
    // it painting lines and fills instead, which stay sharp on paper.
    painter.setTransform(QTransform(1, 0, 1e-9, 1, 0, 0));
    window.render(&painter, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.end();
    return drawing;
}

print_error print_window(QWidget& window, QPrinter& printer) {
    const window_drawing drawing = record_window(window);
    // Texts in the recording carry their point sizes; painting at the screen's
    // resolution lays them out exactly as on the screen.
    printer.setResolution(window.logicalDpiY());
    QPainter painter;
    if (!painter.begin(&printer)) {
        return print_error::cannot_open_job;
    }
    const double aspect = double(window.logicalDpiY()) / window.logicalDpiX(); // 1 on square pixels
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const double width = window.width() * aspect;
    const double height = window.height();
    const double fit = std::min({1.0, page.width() / width, page.height() / height});
    painter.scale(aspect * fit, fit);
    drawing.play(painter);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        return print_error::job_not_sent;
    }
    return print_error::none;
}

print_error print_window_on_default_printer(QWidget& window, QString* printer_name) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return print_error::no_printer;
    }
    if (printer_name != nullptr) {
        *printer_name = info.printerName();
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid()) {
        return print_error::cannot_open_job;
    }
    return print_window(window, printer);
}

namespace {

// Asked for from the GUI thread only.
std::deque<QString>& pending_previews() {
    static std::deque<QString> paths;
    return paths;
}

} // namespace

bool print_with_preview(QWidget& parent, const QString& title, const QString& document,
                        const std::function<bool(QPrinter&)>& draw) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(document);
    if (!pending_previews().empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pending_previews().front());
        pending_previews().pop_front();
        return draw(printer);
    }
    QPrintPreviewDialog preview(&printer, &parent);
    preview.setWindowTitle(title);
    bool drawn = true;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&draw, &drawn](QPrinter* target) { drawn = draw(*target) && drawn; });
    preview.exec();
    return drawn;
}

void push_preview_pdf(const QString& path) {
    pending_previews().push_back(path);
}

} // namespace orvandel::runtime
