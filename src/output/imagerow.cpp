#include "output/imagerow.h"

#include <QFileInfo>
#include <QtGlobal>
#include <vector>

#include "common/colorref.h"
#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/imagelib.h"

namespace {

// The photodiode's full scale: black gives 5 V, white 0 V.
constexpr float kFullScaleVolts = 5.0f;

int GreyLevel(const CImage& image, int x, int y) {
    const std::uint32_t v = image.Pixel(x, y);
    if (image.BitsPerPixel() != 24) return int(v);
    return qGray(ColorRefRed(v), ColorRefGreen(v), ColorRefBlue(v));
}

} // namespace

bool InImage(const CZbDoc& doc, int x, int y) {
    if (!doc.m_pImage || doc.m_pImage->IsNull()) return false;
    return x >= 0 && y >= 0 && x < doc.m_nImageWidth && y < doc.m_nImageHeight &&
           x < doc.m_pImage->Width() && y < doc.m_pImage->Height();
}

int ImageRowUnderCursor(const CZbDoc& doc, const CZbApp& app) {
    const bool hasReference = !(app.m_nRefPixelX == 0 && app.m_nRefPixelY == 0);
    if (hasReference && InImage(doc, app.m_nRefPixelX, app.m_nRefPixelY)) return app.m_nRefPixelY;
    if (InImage(doc, app.m_nMouseX, app.m_nMouseY)) return app.m_nMouseY;
    return -1;
}

namespace {

// How a row of `width` pixels fills the table: `perPixel` samples from each
// pixel to the next (interpolated), or one sample for each group of
// `group` pixels (averaged) when the row is wider than the table.
struct RowSampling {
    int perPixel = 1;
    int group = 1;
};

RowSampling SamplingOf(int width) {
    RowSampling sampling;
    if (width > CZbDoc::kCapacity)
        sampling.group = (width + CZbDoc::kCapacity - 1) / CZbDoc::kCapacity;
    else if (width > 1)
        sampling.perPixel = qMax(1, (CZbDoc::kCapacity - 1) / (width - 1));
    return sampling;
}

float Volts(float grey) {
    return (255.0f - grey) * kFullScaleVolts / 255.0f;
}

// A photodiode sweeping the row sees a continuous level: between two pixel
// centres the level goes linearly from one to the other, so that an edge
// falls between them rather than on a whole pixel.
int InterpolateRow(CZbDoc& doc, const std::vector<int>& levels, int perPixel) {
    const int width = int(levels.size());
    int points = 0;
    for (int column = 0; column + 1 < width; ++column)
        for (int step = 0; step < perPixel; ++step, ++points) {
            const float t = float(step) / float(perPixel);
            doc.m_fT[points][0] = float(column) + t;
            doc.m_fT[points][1] =
                Volts(float(levels[column]) + t * float(levels[column + 1] - levels[column]));
        }
    doc.m_fT[points][0] = float(width - 1);
    doc.m_fT[points][1] = Volts(float(levels[width - 1]));
    return points + 1;
}

// Each sample at the first column of its group, the group's mean level.
int AverageRow(CZbDoc& doc, const std::vector<int>& levels, int group) {
    const int width = int(levels.size());
    int points = 0;
    for (int column = 0; column < width; column += group, ++points) {
        const int end = qMin(width, column + group);
        int sum = 0;
        for (int x = column; x < end; ++x)
            sum += levels[x];
        doc.m_fT[points][0] = float(column);
        doc.m_fT[points][1] = Volts(float(sum) / float(end - column));
    }
    return points;
}

QString SamplingText(const RowSampling& sampling) {
    if (sampling.group > 1) return QStringLiteral("1 POINT/%1 PIXELS").arg(sampling.group);
    if (sampling.perPixel > 1) return QStringLiteral("%1 POINTS/PIXEL").arg(sampling.perPixel);
    return QStringLiteral("1 POINT/PIXEL");
}

} // namespace

bool WriteImageRow(CZbDoc& doc, int row, QString* error) {
    if (!InImage(doc, 0, row)) {
        *error = QStringLiteral("La ligne %1 est hors de l'image (%2 lignes).")
                     .arg(row)
                     .arg(doc.m_pImage ? doc.m_pImage->Height() : 0);
        return false;
    }
    const CImage& image = *doc.m_pImage;
    const int width = qMin<int>(image.Width(), doc.m_nImageWidth);
    std::vector<int> levels(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        levels[static_cast<std::size_t>(x)] = GreyLevel(image, x, row);
    const RowSampling sampling = SamplingOf(width);
    doc.ClearSamples();
    const int points = sampling.group > 1 ? AverageRow(doc, levels, sampling.group)
                                          : InterpolateRow(doc, levels, sampling.perPixel);
    doc.m_nPoints = static_cast<std::int16_t>(points);
    doc.m_nChannels = kChannelCh1;
    doc.m_nDisplay = kChannelCh1;
    const QString name = QFileInfo(image.SourcePath()).fileName();
    const QString source =
        name.isEmpty() ? QStringLiteral("IMAGE") : QStringLiteral("IMAGE ") + name;
    doc.m_astrLegend = {source + QStringLiteral(" - LIGNE %1 - ").arg(row) + SamplingText(sampling),
                        QStringLiteral("Nom(s)/Prénom(s):")};
    doc.m_pRegressions->Reset();
    return true;
}
