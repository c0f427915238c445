#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "common/colorref.h"
#include "graph/regressionset.h"
#include "output/imagelib.h"

class CZbApp;

// The single document: the current code and its eight renderings, the sample
// table, the display selection, the legend, the zoom window, the regression
// state, the image and the serial-port choices.
class CZbDoc {
  public:
    static constexpr int kCapacity = 5000; // rows of the sample table
    static constexpr int kColumns = 6;     // three (x, y) pairs: channel 1, channel 2, edges
    static constexpr int kRenderings = 8;

    explicit CZbDoc(CZbApp* app);
    ~CZbDoc();
    CZbDoc(const CZbDoc&) = delete;
    CZbDoc& operator=(const CZbDoc&) = delete;

    // Column pair of m_fT holding a channel bit (1 CH1, 2 CH2, 4 REF1, 8 REF2,
    // 16 MATH; anything else gives the edge columns 4, 5).
    void GetChannelColumns(std::int16_t channel, std::int16_t* xCol, std::int16_t* yCol) const;
    void ResetZoom();
    void SetZoom(float xa, float ya, float xb, float yb);
    // The first 999 bytes of the capture file, up to the first zero byte.
    QString ReadCaptureText();

    // Title shown in the window: "SansNom.cod" gives "Sansnom".
    QString Title() const;

    // Loads a .cod file; all or nothing. On failure returns false with the
    // message for the user in *error and leaves the document as it was.
    bool Load(const QString& path, QString* error);
    // Saves through a temporary file renamed over the target, so a failure
    // never destroys the file it replaces.
    bool Save(const QString& path, QString* error) const;

    // Every sample cell back to "no value".
    void ClearSamples();

    CZbApp* m_pApp;
    QString m_strExportPath = QStringLiteral("SansNom.cod");
    QString m_strFileName = QStringLiteral("SansNom.cod");
    // The title the window shows: a file's name, the path of an image read,
    // or the code a successful analysis decoded. Title() is what a new
    // document takes.
    QString m_strTitle;
    float m_fFrameLeft = 0, m_fFrameBottom = 0, m_fFrameRight = 270, m_fFrameTop = 190;
    float m_fMultX = 1, m_fMultY = 1;
    float m_fMmPerUnitX = 1, m_fMmPerUnitY = 1;
    float m_fOriginX = 0, m_fOriginY = 0;
    std::int16_t m_nScopePort = 0; // 0 = COM1, 1 = COM2
    std::int16_t m_nLeuzePort = 0;
    std::int16_t m_nCapacity = kCapacity;
    std::int16_t m_nPoints = 0;
    std::unique_ptr<float[][kColumns]> m_fT;
    QStringList m_astrLegend;
    float m_fLegendX = 80, m_fLegendY = 90;
    std::int32_t m_bLegend = 0;
    std::int16_t m_nChannels = 1;
    std::int16_t m_nDisplay = 0; // 0 code sheet, 32 image, otherwise graph bits
    std::int32_t m_bRegressionOpen = 0;
    std::unique_ptr<CRegressionSet> m_pRegressions;
    float m_fZoomX1, m_fZoomX2, m_fZoomY1, m_fZoomY2;
    std::int32_t m_bZoomOpen = 0;
    QRect m_tracker{0, 0, 1, 1}; // rubber-band rectangle in pixels
    std::int32_t m_bExtractOpen = 0;
    QString m_strCode;
    std::int16_t m_nRotation = 0;
    COLORREF m_crBar[kRenderings];
    COLORREF m_crSpace[kRenderings];
    float m_fCoef;
    float m_fBar[kRenderings];
    float m_fSpace[kRenderings];
    std::int16_t m_nImageWidth = 0, m_nImageHeight = 0, m_nImageBits = 0;
    std::unique_ptr<CImage> m_pImage;
    QString m_strCapturePath = QStringLiteral("zb.$$$"); // capture file, current directory
    std::int32_t m_nCaptureCount = 0;
    std::int32_t m_bCaptureOpen = 0;

    // Default code, coefficient, widths and colours of the eight renderings.
    void SetCodeDefaults();
};
