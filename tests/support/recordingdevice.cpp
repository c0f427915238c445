#include "recordingdevice.h"

#include <QPainterPath>
#include <QTextItem>
#include <cmath>

// Receives every painter call untransformed (all features declared), with the
// painter's transform in its state, and records it through the device.
class RecordingEngine : public QPaintEngine {
  public:
    explicit RecordingEngine(RecordingDevice* device)
        : QPaintEngine(AllFeatures), m_device(device) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyTransform) m_transform = state.transform();
        if (dirty & DirtyPen) m_pen = state.pen();
        if (dirty & DirtyBrush) m_brush = state.brush();
    }

    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i) {
            RecordingDevice::Item item = Start(RecordingDevice::Line);
            item.points << ToLogical(lines[i].p1()) << ToLogical(lines[i].p2());
            SetBox(item, item.points.boundingRect());
            m_device->Record(item);
        }
    }
    void drawLines(const QLine* lines, int count) override {
        for (int i = 0; i < count; ++i) {
            const QLineF line(lines[i]);
            drawLines(&line, 1);
        }
    }

    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            RecordingDevice::Item item = Start(RecordingDevice::Rect);
            SetBox(item, ToLogical(rects[i]));
            m_device->Record(item);
        }
    }
    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRectF rect = Widen(rects[i]);
            drawRects(&rect, 1);
        }
    }

    void drawEllipse(const QRectF& rect) override {
        RecordingDevice::Item item = Start(RecordingDevice::Ellipse);
        SetBox(item, ToLogical(rect));
        m_device->Record(item);
    }
    void drawEllipse(const QRect& rect) override { drawEllipse(Widen(rect)); }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override {
        RecordingDevice::Item item = Start(RecordingDevice::Polygon);
        for (int i = 0; i < count; ++i)
            item.points << ToLogical(points[i]);
        SetBox(item, item.points.boundingRect());
        m_device->Record(item);
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        QPolygonF polygon;
        for (int i = 0; i < count; ++i)
            polygon << QPointF(points[i]);
        drawPolygon(polygon.constData(), count, mode);
    }

    void drawPoints(const QPointF* points, int count) override {
        for (int i = 0; i < count; ++i) {
            RecordingDevice::Item item = Start(RecordingDevice::Point);
            item.points << ToLogical(points[i]);
            SetBox(item, item.points.boundingRect());
            m_device->Record(item);
        }
    }
    void drawPoints(const QPoint* points, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPointF point(points[i]);
            drawPoints(&point, 1);
        }
    }

    void drawPath(const QPainterPath& path) override {
        RecordingDevice::Item item = Start(RecordingDevice::Path);
        for (const QPolygonF& polygon : path.toSubpathPolygons())
            for (const QPointF& point : polygon)
                item.points << ToLogical(point);
        SetBox(item, item.points.boundingRect());
        m_device->Record(item);
    }

    void drawPixmap(const QRectF& target, const QPixmap&, const QRectF&) override {
        RecordingDevice::Item item = Start(RecordingDevice::Image);
        SetBox(item, ToLogical(target));
        m_device->Record(item);
    }
    void drawImage(const QRectF& target, const QImage&, const QRectF&,
                   Qt::ImageConversionFlags) override {
        RecordingDevice::Item item = Start(RecordingDevice::Image);
        SetBox(item, ToLogical(target));
        m_device->Record(item);
    }

    void drawTextItem(const QPointF& position, const QTextItem& textItem) override {
        RecordingDevice::Item item = Start(RecordingDevice::Text);
        item.text = textItem.text();
        const QFont font = textItem.font();
        item.fontPixelSize = font.pixelSize();
        item.fontFamily = font.family();
        item.fontWeight = font.weight();
        item.origin = ToLogical(QPointF(0, 0));
        item.baseline = ToLogical(position);
        const QRectF local(position.x(), position.y() - textItem.ascent(), textItem.width(),
                           textItem.ascent() + textItem.descent());
        SetBox(item, ToLogical(local));
        m_device->Record(item);
    }

  private:
    // QRectF(QRect) overflows on rectangles wider than the int range.
    static QRectF Widen(const QRect& rect) {
        return QRectF(rect.left(), rect.top(), double(rect.right()) - rect.left() + 1,
                      double(rect.bottom()) - rect.top() + 1);
    }
    RecordingDevice::Item Start(RecordingDevice::Kind kind) const {
        RecordingDevice::Item item;
        item.kind = kind;
        item.penColour = m_pen.color();
        item.penStyle = m_pen.style();
        item.penWidth = m_pen.widthF();
        item.brushColour = m_brush.color();
        item.brushStyle = m_brush.style();
        return item;
    }
    QPointF ToLogical(const QPointF& point) const {
        return m_device->DeviceToLogical().map(m_transform.map(point));
    }
    QRectF ToLogical(const QRectF& rect) const {
        return m_device->DeviceToLogical().mapRect(m_transform.mapRect(rect));
    }
    static void SetBox(RecordingDevice::Item& item, const QRectF& rect) {
        const QRectF box = rect.normalized();
        item.left = box.left();
        item.right = box.right();
        item.bottom = box.top(); // y upward: the smaller y is the lower edge
        item.top = box.bottom();
    }

    RecordingDevice* m_device;
    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
};

namespace {
constexpr float kScreenUnitsPerMm = 100.0f;
constexpr float kTwipsPerMm = 56.692913f;
constexpr int kTwipsPerInch = 1440;
} // namespace

RecordingDevice::RecordingDevice(float left, float bottom, float right, float top, bool printing)
    : m_unitsPerMm(printing ? kTwipsPerMm : kScreenUnitsPerMm),
      m_engine(std::make_unique<RecordingEngine>(this)) {
    // The same truncations as the page mappings, so the scale is exactly 1.
    const int originX = static_cast<int>(m_unitsPerMm * left);
    const int originY = static_cast<int>(m_unitsPerMm * top);
    m_width = static_cast<int>(m_unitsPerMm * (right - left));
    m_height = std::abs(static_cast<int>(m_unitsPerMm * (bottom - top)));
    m_dpi = printing ? kTwipsPerInch : 96;
    m_deviceToLogical = QTransform(1, 0, 0, -1, originX, originY);
}

RecordingDevice::~RecordingDevice() = default;

QPaintEngine* RecordingDevice::paintEngine() const {
    return m_engine.get();
}

int RecordingDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return m_width;
    case PdmHeight:
        return m_height;
    case PdmWidthMM:
        return static_cast<int>(m_width * 25.4 / m_dpi);
    case PdmHeightMM:
        return static_cast<int>(m_height * 25.4 / m_dpi);
    case PdmNumColors:
        return 0x7fffffff;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return m_dpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    default:
        return 0;
    }
}

QVector<RecordingDevice::Item> RecordingDevice::ItemsOfKind(Kind kind) const {
    QVector<Item> found;
    for (const Item& item : m_items)
        if (item.kind == kind) found.append(item);
    return found;
}

QVector<RecordingDevice::Item> RecordingDevice::FilledRects(const QColor& colour) const {
    QVector<Item> found;
    for (const Item& item : m_items)
        if (item.kind == Rect && item.brushStyle != Qt::NoBrush && item.brushColour == colour)
            found.append(item);
    return found;
}

QVector<RecordingDevice::Item> RecordingDevice::TextsEqualTo(const QString& text) const {
    QVector<Item> found;
    for (const Item& item : m_items)
        if (item.kind == Text && item.text == text) found.append(item);
    return found;
}
