#pragma once

#include <QColor>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPolygonF>
#include <QString>
#include <QTransform>
#include <QVector>
#include <memory>

// A paint device that draws nothing and records what a painter sends it, so a
// test can check what the drawing code painted at which position.
//
// Everything is recorded in the drawing code's logical units with y upward,
// that is, taken back through the page mapping. To make that exact the device
// is sized for one page window (left, bottom, right, top in mm):
// - screen: 100 x (right - left) by 100 x (top - bottom) pixels, so
//   SetScreenMapping(device size, same window) scales by exactly 1;
// - printer: 1440 dpi, so the twips of SetPrintMapping are device pixels.
// The drawing code must then set that mapping with that window (the code sheet
// always uses (-30, -95, 240, 95)). Divide by UnitsPerMm() for millimetres.
//
//   RecordingDevice device(-30, -95, 240, 95, /*printing=*/false);
//   { QPainter painter(&device); DrawDocument(painter, doc, app, false, false); }
//   for (const RecordingDevice::Item& item : device.Items()) ...
class RecordingDevice : public QPaintDevice {
  public:
    enum Kind { Line, Rect, Ellipse, Polygon, Path, Point, Text, Image };

    struct Item {
        Kind kind;
        // Bounding box in logical units, y upward (bottom < top). For a line
        // it spans its two ends; for text it is the box of the drawn string.
        double left = 0, bottom = 0, right = 0, top = 0;
        // Lines: the two ends; polygons, paths and points: their points.
        QPolygonF points;
        QColor penColour; // for text: the text colour
        Qt::PenStyle penStyle = Qt::NoPen;
        double penWidth = 0; // as set on the pen, logical units
        QColor brushColour;
        Qt::BrushStyle brushStyle = Qt::NoBrush;
        // Text only.
        QString text;
        QPointF origin;         // painter's local origin: the anchor the
                                // drawing code aimed the text at
        QPointF baseline;       // start of the baseline actually used
        int fontPixelSize = -1; // -1 when the font was sized in points
        QString fontFamily;
        int fontWeight = 0;

        double Width() const { return right - left; }
        double Height() const { return top - bottom; }
    };

    RecordingDevice(float left, float bottom, float right, float top, bool printing);
    ~RecordingDevice() override;

    QPaintEngine* paintEngine() const override;

    const QVector<Item>& Items() const { return m_items; }
    QVector<Item> ItemsOfKind(Kind kind) const;
    // Filled rectangles (any brush) whose colour is the given one.
    QVector<Item> FilledRects(const QColor& colour) const;
    QVector<Item> TextsEqualTo(const QString& text) const;
    float UnitsPerMm() const { return m_unitsPerMm; }

  protected:
    int metric(PaintDeviceMetric metric) const override;

  private:
    friend class RecordingEngine;
    void Record(const Item& item) { m_items.append(item); }
    // Device pixels to logical units (y upward).
    const QTransform& DeviceToLogical() const { return m_deviceToLogical; }

    float m_unitsPerMm;
    int m_width, m_height, m_dpi;
    QTransform m_deviceToLogical;
    QVector<Item> m_items;
    std::unique_ptr<QPaintEngine> m_engine;
};
