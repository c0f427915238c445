#include "output/spreadsheet.h"

#include <QFileInfo>
#include <array>

#include "common/atomicfile.h"
#include "common/cp1252.h"
#include "common/format.h"
#include "common/novalue.h"
#include "doc/zbdoc.h"

const char* const kSpreadsheetCreateError = "Erreur d'ouverture du fichier en mode création !";

namespace {

// One column pair per display bit, in bit order.
struct ExportColumn {
    std::int16_t bit;
    const char* header;
};

constexpr std::array<ExportColumn, 8> kExportColumns = {{
    {kChannelCh1, "CH1:t(s)\tCH1:U(V)\t"},
    {kChannelCh2, "CH2:t(s)\tCH2:U(V)\t"},
    {kChannelRef1, "REF1:t(s)\tREF1:U(V)\t"},
    {kChannelRef2, "REF2:t(s)\tREF2:U(V)\t"},
    {kChannelMath, "MATH:t(s)\tMATH\t"},
    {kChannelImage, " \t \t"},
    {kChannelEdges, " \t \t"},
    {kChannelLogic, " \t \t"}, // never filled with values: its header stays on every row
}};

QString SampleCells(float x, float y) {
    const bool noX = IsNoValue(x);
    const bool noY = IsNoValue(y);
    if (noX && noY) return QStringLiteral("?\t ?\t");
    if (noX) return Sprintf("?\t%1.8e\t", double(y));
    if (noY) return Sprintf("%1.8e\t?\t", double(x));
    return Sprintf("%1.8e\t%1.8e\t", double(x), double(y));
}

template <class Columns> void AppendLine(QString& text, const Columns& columns) {
    for (const QString& column : columns)
        text += column;
    text += QStringLiteral("\r\n");
}

} // namespace

QByteArray SpreadsheetText(const CZbDoc& doc, bool header) {
    std::array<QString, kExportColumns.size()> columns;
    QString text;
    if (header) {
        text += QStringLiteral("CODE BARRES EAN13\r\n");
        for (std::size_t k = 0; k < kExportColumns.size(); ++k)
            if (doc.m_nDisplay & kExportColumns[k].bit)
                columns[k] = QString::fromLatin1(kExportColumns[k].header);
        AppendLine(text, columns);
    }
    std::array<std::int16_t, kExportColumns.size()> xCols{}, yCols{};
    for (std::size_t k = 0; k < kExportColumns.size(); ++k)
        doc.GetChannelColumns(kExportColumns[k].bit, &xCols[k], &yCols[k]);
    const int rows = qBound(0, int(doc.m_nCapacity), CZbDoc::kCapacity);
    for (int row = 0; row < rows; ++row) {
        for (std::size_t k = 0; k < kExportColumns.size(); ++k) {
            const std::int16_t bit = kExportColumns[k].bit;
            if (bit == kChannelLogic || !(doc.m_nDisplay & bit)) continue;
            columns[k] = SampleCells(doc.m_fT[row][xCols[k]], doc.m_fT[row][yCols[k]]);
        }
        AppendLine(text, columns);
    }
    return ToWindows1252(text);
}

bool WriteSpreadsheet(const CZbDoc& doc, const QString& path, bool header) {
    // Replacing goes through a rename, which a read-only file would not stop.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isWritable()) return false;
    return WriteFileAtomically(path, SpreadsheetText(doc, header));
}
