#include "doc/zbdoc.h"

#include <QFile>
#include <algorithm>

#include "common/novalue.h"
#include "doc/zbapp.h"

namespace {

// Default colours of renderings 1..8 (0x00BBGGRR).
constexpr COLORREF kDefaultBar[CZbDoc::kRenderings] = {0x000040, 0xFF0000, 0xFFFF00, 0x0000FF,
                                                       0x0000FF, 0x404040, 0x808080, 0x000000};
constexpr COLORREF kDefaultSpace[CZbDoc::kRenderings] = {0xFFFF40, 0x00FF00, 0x00FFFF, 0xFFFFFF,
                                                         0x000000, 0xC0C0C0, 0xC0C0C0, 0xFFFFFF};

// The image a new document shows: white, the size of a video frame.
constexpr int kBlankImageWidth = 768;
constexpr int kBlankImageHeight = 576;
constexpr int kBlankImageBits = 24;

} // namespace

CZbDoc::CZbDoc(CZbApp* app) : m_pApp(app) {
    if (m_pApp) m_pApp->m_pDoc = this;
    m_fT.reset(new float[kCapacity][kColumns]);
    ClearSamples();
    m_pRegressions = std::make_unique<CRegressionSet>();
    ResetZoom();
    m_astrLegend = {QStringLiteral("ACQ. OSCILLOSCOPE TEKTRONIX"),
                    QStringLiteral("Nom(s)/Prénom(s):")};
    SetCodeDefaults();
    m_strTitle = Title();

    m_pImage = std::make_unique<CImage>();
    m_pImage->Allocate(kBlankImageWidth, kBlankImageHeight, kBlankImageBits);
    m_pImage->Fill(255);
    m_nImageWidth = kBlankImageWidth;
    m_nImageHeight = kBlankImageHeight;
    m_nImageBits = kBlankImageBits;
}

CZbDoc::~CZbDoc() {
    if (m_pImage) m_pImage->Free();
    if (m_pApp && m_pApp->m_pDoc == this) m_pApp->m_pDoc = nullptr;
}

void CZbDoc::SetCodeDefaults() {
    m_fCoef = 1.1f;
    m_fBar[0] = m_fSpace[0] = 0.6f;
    for (int k = 1; k < kRenderings; ++k) {
        m_fBar[k] = m_fBar[k - 1] * m_fCoef;
        m_fSpace[k] = m_fSpace[k - 1] * m_fCoef;
    }
    std::copy(std::begin(kDefaultBar), std::end(kDefaultBar), m_crBar);
    std::copy(std::begin(kDefaultSpace), std::end(kDefaultSpace), m_crSpace);
    m_strCode = QStringLiteral("5410673004208");
}

void CZbDoc::ClearSamples() {
    for (int r = 0; r < kCapacity; ++r)
        for (int c = 0; c < kColumns; ++c)
            m_fT[r][c] = kNoValue;
}

void CZbDoc::GetChannelColumns(std::int16_t channel, std::int16_t* xCol, std::int16_t* yCol) const {
    // The first stored channel takes columns 0-1, the second 2-3; edges are in 4-5.
    int before = 0; // channels below this one that hold data
    switch (channel) {
    case kChannelCh1:
        before = 0;
        break;
    case kChannelCh2:
        before = m_nChannels & kChannelCh1;
        break;
    case kChannelRef1:
        before = m_nChannels & (kChannelCh1 | kChannelCh2);
        break;
    case kChannelRef2:
        before = m_nChannels & (kChannelCh1 | kChannelCh2 | kChannelRef1);
        break;
    case kChannelMath:
        before = m_nChannels & (kChannelCh1 | kChannelCh2 | kChannelRef1 | kChannelRef2);
        break;
    default:
        *xCol = 4;
        *yCol = 5;
        return;
    }
    *xCol = before ? 2 : 0;
    *yCol = before ? 3 : 1;
}

void CZbDoc::ResetZoom() {
    m_fZoomX1 = kNoValueLow;
    m_fZoomX2 = kNoValue;
    m_fZoomY1 = kNoValueLow;
    m_fZoomY2 = kNoValue;
}

void CZbDoc::SetZoom(float xa, float ya, float xb, float yb) {
    m_fZoomX1 = std::min(xa, xb);
    m_fZoomX2 = std::max(xa, xb);
    m_fZoomY1 = std::min(ya, yb);
    m_fZoomY2 = std::max(ya, yb);
}

QString CZbDoc::ReadCaptureText() {
    // The text keeps at most 999 bytes; the count records the whole file.
    constexpr int kMaxText = 999;
    QFile file(m_strCapturePath);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    m_nPoints = 0;
    const QByteArray bytes = file.readAll();
    m_nCaptureCount = static_cast<std::int32_t>(bytes.size());
    QByteArray text = bytes.left(kMaxText);
    const qsizetype zero = text.indexOf('\0');
    if (zero >= 0) text.truncate(zero);
    return QString::fromLatin1(text);
}

QString CZbDoc::Title() const {
    QString name = m_strFileName;
    name.chop(4); // the extension
    const qsizetype separator =
        std::max(name.lastIndexOf(QLatin1Char('\\')),
                 std::max(name.lastIndexOf(QLatin1Char(':')), name.lastIndexOf(QLatin1Char('/'))));
    if (separator > 0) name = name.mid(separator + 1);
    name = name.toLower();
    if (!name.isEmpty()) name[0] = name[0].toUpper();
    return name;
}
