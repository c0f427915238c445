#include "output/imagerow.h"

#include <QFileInfo>
#include <QtGlobal>

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

bool WriteImageRow(CZbDoc& doc, int row, QString* error) {
    if (!InImage(doc, 0, row)) {
        *error = QStringLiteral("La ligne %1 est hors de l'image (%2 lignes).")
                     .arg(row)
                     .arg(doc.m_pImage ? doc.m_pImage->Height() : 0);
        return false;
    }
    const CImage& image = *doc.m_pImage;
    const int width = qMin<int>(image.Width(), doc.m_nImageWidth);
    const int group = (width + CZbDoc::kCapacity - 1) / CZbDoc::kCapacity;
    doc.ClearSamples();
    int points = 0;
    for (int column = 0; column < width; column += group, ++points) {
        const int end = qMin(width, column + group);
        int sum = 0;
        for (int x = column; x < end; ++x)
            sum += GreyLevel(image, x, row);
        const float grey = float(sum) / float(end - column);
        doc.m_fT[points][0] = float(column);
        doc.m_fT[points][1] = (255.0f - grey) * kFullScaleVolts / 255.0f;
    }
    doc.m_nPoints = static_cast<std::int16_t>(points);
    doc.m_nChannels = kChannelCh1;
    doc.m_nDisplay = kChannelCh1;
    const QString name = QFileInfo(image.SourcePath()).fileName();
    const QString source =
        name.isEmpty() ? QStringLiteral("IMAGE") : QStringLiteral("IMAGE ") + name;
    doc.m_astrLegend = {source + QStringLiteral(" - LIGNE %1").arg(row),
                        QStringLiteral("Nom(s)/Prénom(s):")};
    doc.m_pRegressions->Reset();
    return true;
}
