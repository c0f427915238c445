// The .cod file: little-endian, no header, no version.
//
//  code string | capacity int16 | rows int16 | 4.5f | 1.0f | display int16 |
//  channels int16 | coefficient float | 8 x (bar COLORREF, space COLORREF,
//  bar width float, space width float) | rows x 6 floats | legend count int16 |
//  legend strings | legend x, y floats | 3 regression slot records |
//  5 x int16 (3) | 4 x uint32 (0)

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "common/atomicfile.h"
#include "common/novalue.h"
#include "doc/archive.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {

const char* const kBadFormat = "Format de fichier inattendu.";

constexpr float kConstantA = 4.5f; // written, ignored on reading
constexpr float kConstantB = 1.0f;
constexpr int kReservedShorts = 5;
constexpr std::int16_t kReservedShortValue = 3;
constexpr int kReservedWords = 4;

// The largest file the layout allows: every count at its largest (5000 rows,
// 32767 legend lines) and every string, the code included, as long as a
// string of ours can be (65535 characters behind a 7-byte prefix). Anything
// larger is not a .cod file and is not read.
constexpr qint64 kLongestString = 7 + 65535;
constexpr qint64 kRegressionSlotBytes = 9 * 8 + 2 * (4 + 4 + 4 * 2) + 4 * 2;
constexpr qint64 kLargestCodFile =
    (1 + 32767) * kLongestString +                             // code and legend lines
    2 + 2 + 4 + 4 + 2 + 2 + 4 + CZbDoc::kRenderings * 16 +     // fields 2 to 9
    qint64(CZbDoc::kCapacity) * CZbDoc::kColumns * 4 + 2 + 8 + // samples, legend count, position
    3 * kRegressionSlotBytes + kReservedShorts * 2 + kReservedWords * 4;

// Everything a file carries, read in full before the document is touched.
struct CodContents {
    QString code;
    std::int16_t capacity = 0;
    std::int16_t rows = 0;
    std::int16_t display = 0;
    std::int16_t channels = 0;
    float coef = 0;
    COLORREF crBar[CZbDoc::kRenderings] = {};
    COLORREF crSpace[CZbDoc::kRenderings] = {};
    float bar[CZbDoc::kRenderings] = {};
    float space[CZbDoc::kRenderings] = {};
    std::vector<float> samples; // rows x 6
    QStringList legend;
    float legendX = 0, legendY = 0;
    CRegressionSet regressions;
};

void WriteSlot(ArchiveWriter& out, const CRegressionSet& set, int s) {
    for (double coefficient : set.m_dCoef[s])
        out.Double(coefficient);
    // The ninth double is the next slot's a0; after the last slot, the bytes of
    // slot 0's first point. Readers skip it.
    if (s + 1 < CRegressionSet::kSlots) {
        out.Double(set.m_dCoef[s + 1][0]);
    } else {
        out.Float(set.m_fPoint1[0][0]);
        out.Float(set.m_fPoint1[0][1]);
    }
    for (int k = 0; k < 2; ++k) {
        out.Float(set.m_fPoint1[s][k]);
        out.Float(set.m_fPoint2[s][k]);
        out.Int16(static_cast<std::int16_t>(set.m_nPointXCol[s][k]));
        out.Int16(static_cast<std::int16_t>(set.m_nPointYCol[s][k]));
        out.Int16(static_cast<std::int16_t>(set.m_nPointRow[s][k]));
        out.Int16(static_cast<std::int16_t>(set.m_bPointFound[s][k]));
    }
    out.Int16(static_cast<std::int16_t>(set.m_nPicking[s]));
    out.Int16(static_cast<std::int16_t>(set.m_nType[s]));
    out.Int16(static_cast<std::int16_t>(set.m_bComputed[s]));
    out.Int16(static_cast<std::int16_t>(set.m_bDraw[s]));
}

void ReadSlot(ArchiveReader& in, CRegressionSet& set, int s) {
    for (double& coefficient : set.m_dCoef[s])
        coefficient = in.Double();
    in.Double(); // the ninth value
    for (int k = 0; k < 2; ++k) {
        set.m_fPoint1[s][k] = in.Float();
        set.m_fPoint2[s][k] = in.Float();
        set.m_nPointXCol[s][k] = in.Int16();
        set.m_nPointYCol[s][k] = in.Int16();
        set.m_nPointRow[s][k] = in.Int16();
        set.m_bPointFound[s][k] = in.Int16();
    }
    set.m_nPicking[s] = in.Int16();
    set.m_nType[s] = in.Int16();
    set.m_bComputed[s] = in.Int16();
    set.m_bDraw[s] = in.Int16();
}

bool Parse(const QByteArray& bytes, CodContents* c) {
    ArchiveReader in(bytes);
    c->code = in.String();
    // A negative count means no rows; the table has 5000, so a file that
    // claims more is not one of ours.
    c->capacity = std::max<std::int16_t>(in.Int16(), 0);
    c->rows = std::max<std::int16_t>(in.Int16(), 0);
    if (!in.Ok() || c->capacity > CZbDoc::kCapacity || c->rows > CZbDoc::kCapacity) return false;
    in.Float();
    in.Float();
    c->display = in.Int16();
    c->channels = in.Int16();
    c->coef = in.Float();
    for (int k = 0; k < CZbDoc::kRenderings; ++k) {
        c->crBar[k] = in.UInt32();
        c->crSpace[k] = in.UInt32();
        c->bar[k] = in.Float();
        c->space[k] = in.Float();
    }
    if (!in.Ok()) return false;
    // Check the size before reserving memory for the samples.
    c->samples.resize(static_cast<std::size_t>(c->rows) * CZbDoc::kColumns);
    for (float& cell : c->samples)
        cell = in.Float();
    const std::int16_t legendCount = in.Int16();
    if (!in.Ok() || legendCount < 0) return false;
    for (int i = 0; i < legendCount && in.Ok(); ++i)
        c->legend.append(in.String());
    c->legendX = in.Float();
    c->legendY = in.Float();
    for (int s = 0; s < CRegressionSet::kSlots; ++s)
        ReadSlot(in, c->regressions, s);
    for (int i = 0; i < kReservedShorts; ++i)
        in.Int16();
    for (int i = 0; i < kReservedWords; ++i)
        in.UInt32();
    return in.Ok();
}

void CopySlots(const CRegressionSet& from, CRegressionSet* to) {
    // The selected slot and the tolerance are not part of the file.
    const std::int32_t slot = to->m_nSlot;
    const float tolerance = to->m_fTolerance;
    *to = from;
    to->m_nSlot = slot;
    to->m_fTolerance = tolerance;
}

} // namespace

bool CZbDoc::Load(const QString& path, QString* error) {
    auto refuse = [error](const QString& text) {
        if (error) *error = text;
        return false;
    };
    // A FIFO or a device would be read without end, and opening a FIFO waits
    // for a writer: only a regular file of a size a .cod can have is read.
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || info.size() > kLargestCodFile))
        return refuse(QString::fromUtf8(kBadFormat));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("Impossible d'ouvrir le fichier %1.").arg(path));
    // The file may have been replaced since it was looked at.
    if (file.isSequential() || file.size() > kLargestCodFile)
        return refuse(QString::fromUtf8(kBadFormat));
    const QByteArray bytes = file.readAll();
    CodContents c;
    if (file.error() != QFileDevice::NoError || bytes.size() > kLargestCodFile || !Parse(bytes, &c))
        return refuse(QString::fromUtf8(kBadFormat));

    if (m_pApp) m_pApp->ClearReference();
    ResetZoom();
    m_strCode = c.code;
    m_nCapacity = c.capacity;
    m_nPoints = c.rows;
    m_nDisplay = c.display;
    m_nChannels = c.channels;
    m_fCoef = c.coef;
    for (int k = 0; k < kRenderings; ++k) {
        m_crBar[k] = c.crBar[k];
        m_crSpace[k] = c.crSpace[k];
        m_fBar[k] = c.bar[k];
        m_fSpace[k] = c.space[k];
    }
    // Rows beyond the loaded count keep what they held.
    for (int r = 0; r < c.rows; ++r)
        for (int col = 0; col < kColumns; ++col)
            m_fT[r][col] = c.samples[static_cast<std::size_t>(r) * kColumns + col];
    m_astrLegend = c.legend;
    m_fLegendX = c.legendX;
    m_fLegendY = c.legendY;
    CopySlots(c.regressions, m_pRegressions.get());
    return true;
}

bool CZbDoc::Save(const QString& path, QString* error) const {
    ArchiveWriter out;
    out.String(m_strCode);
    out.Int16(m_nCapacity);
    const std::int16_t rows = std::clamp<std::int16_t>(m_nPoints, 0, kCapacity);
    out.Int16(rows);
    out.Float(kConstantA);
    out.Float(kConstantB);
    out.Int16(m_nDisplay);
    out.Int16(m_nChannels);
    out.Float(m_fCoef);
    for (int k = 0; k < kRenderings; ++k) {
        out.UInt32(m_crBar[k]);
        out.UInt32(m_crSpace[k]);
        out.Float(m_fBar[k]);
        out.Float(m_fSpace[k]);
    }
    for (int r = 0; r < rows; ++r)
        for (int col = 0; col < kColumns; ++col)
            out.Float(m_fT[r][col]);
    out.Int16(static_cast<std::int16_t>(m_astrLegend.size()));
    for (const QString& line : m_astrLegend)
        out.String(line);
    out.Float(m_fLegendX);
    out.Float(m_fLegendY);
    for (int s = 0; s < CRegressionSet::kSlots; ++s)
        WriteSlot(out, *m_pRegressions, s);
    for (int i = 0; i < kReservedShorts; ++i)
        out.Int16(kReservedShortValue);
    for (int i = 0; i < kReservedWords; ++i)
        out.UInt32(0);

    if (!WriteFileAtomically(path, out.Bytes())) {
        if (error)
            *error = QStringLiteral("Impossible d'enregistrer le fichier %1.")
                         .arg(QFileInfo(path).fileName());
        return false;
    }
    return true;
}
