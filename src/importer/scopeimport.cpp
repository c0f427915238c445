#include "importer/scopeimport.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "common/format.h"
#include "common/novalue.h"
#include "doc/zbdoc.h"

namespace {

// Two files of one save agree on the time step to this relative tolerance
// (their values are printed with six or more digits).
constexpr double kStepTolerance = 1e-6;

// 0 for a file whose "Source" is CH1, 1 for CH2, -1 when it names none.
int SourceRank(const ScopeRecord& record) {
    const QString source = record.source.trimmed().toUpper();
    if (source == QLatin1String("CH1")) return 0;
    if (source == QLatin1String("CH2")) return 1;
    return -1;
}

// Whether the second file chosen holds CH1 by its own account.
bool SwapBySource(const ScopeRecord& first, const ScopeRecord& second) {
    const int a = SourceRank(first), b = SourceRank(second);
    if (a >= 0 && b >= 0) return a > b;
    return a == 1 || b == 0;
}

} // namespace

ScopeReadStatus ImportScopeFiles(const QStringList& paths, const ScopeReadOptions& options,
                                 ScopeImport* result, QString* error) {
    if (paths.isEmpty() || paths.size() > 2) {
        *error = QStringLiteral("Choisir un fichier, ou les deux fichiers d'un même "
                                "enregistrement.");
        return ScopeReadStatus::Failed;
    }
    const int count = int(paths.size());
    // One file twice would give two channels of the same curve.
    if (count == 2) {
        const QString a = QFileInfo(paths[0]).canonicalFilePath();
        if (!a.isEmpty() && a == QFileInfo(paths[1]).canonicalFilePath()) {
            *error = Sprintf("%s est choisi deux fois : choisir les deux fichiers d'un même "
                             "enregistrement.",
                             QFileInfo(paths[0]).fileName());
            return ScopeReadStatus::Failed;
        }
    }
    ScopeRecord records[2];
    QString names[2];
    for (int i = 0; i < count; ++i) {
        ScopeReadOptions one = options;
        if (options.progress)
            one.progress = [&options, i, count](int permille) {
                options.progress((i * 1000 + permille) / count);
            };
        const ScopeReadStatus status = ReadScopeCsvFile(paths[i], one, &records[i], error);
        if (status != ScopeReadStatus::Read) return status;
        names[i] = QFileInfo(paths[i]).fileName();
    }
    if (count == 2 && SwapBySource(records[0], records[1])) {
        std::swap(records[0], records[1]);
        std::swap(names[0], names[1]);
    }
    ScopeImport import;
    if (count == 2) {
        const QString source = records[0].source.trimmed();
        if (!source.isEmpty() &&
            source.compare(records[1].source.trimmed(), Qt::CaseInsensitive) == 0) {
            *error = Sprintf("%s et %s enregistrent tous deux la même voie (%s).", names[0],
                             names[1], source);
            return ScopeReadStatus::Failed;
        }
        if (records[0].fileRows != records[1].fileRows) {
            *error = Sprintf("%s et %s n'ont pas le même nombre de points (%d et %d).", names[0],
                             names[1], records[0].fileRows, records[1].fileRows);
            return ScopeReadStatus::Failed;
        }
        const double a = records[0].timeStep, b = records[1].timeStep;
        if (std::abs(a - b) > kStepTolerance * std::max(std::abs(a), std::abs(b))) {
            *error = Sprintf("%s et %s n'ont pas le même pas de temps (%g s et %g s).", names[0],
                             names[1], a, b);
            return ScopeReadStatus::Failed;
        }
    }
    import.fileRows = records[0].fileRows;
    import.timeStep = records[0].timeStep;
    import.thinned = records[0].Thinned();
    for (int i = 0; i < count; ++i) {
        import.files << names[i];
        if (!import.layouts.contains(records[i].layout)) import.layouts << records[i].layout;
        // One file gives its first two curves, two files the first of each.
        const size_t take = count == 2 ? 1 : std::min<size_t>(2, records[i].channels.size());
        for (size_t k = 0; k < take; ++k)
            import.channels[import.channelCount++] = std::move(records[i].channels[k]);
    }
    *result = std::move(import);
    return ScopeReadStatus::Read;
}

void StoreScopeImport(CZbDoc& doc, const ScopeImport& result) {
    doc.ClearSamples();
    const std::int16_t mask =
        std::int16_t(result.channelCount > 1 ? kChannelCh1 | kChannelCh2 : kChannelCh1);
    doc.m_nChannels = mask;
    doc.m_nDisplay = mask;
    int points = 0;
    for (int k = 0; k < result.channelCount; ++k) {
        std::int16_t xColumn = 0, yColumn = 1;
        doc.GetChannelColumns(std::int16_t(k == 0 ? kChannelCh1 : kChannelCh2), &xColumn, &yColumn);
        const ScopeTrace& trace = result.channels[k];
        const int rows = std::min<int>(CZbDoc::kCapacity, int(trace.time.size()));
        for (int row = 0; row < rows; ++row) {
            doc.m_fT[row][xColumn] = trace.time[size_t(row)];
            doc.m_fT[row][yColumn] = trace.value[size_t(row)];
        }
        points = std::max(points, rows);
    }
    doc.m_nPoints = std::int16_t(points);
    doc.m_astrLegend = {QStringLiteral("IMPORT ") + result.files.join(QStringLiteral(" + ")),
                        QStringLiteral("Nom(s)/Prénom(s):")};
    doc.m_pRegressions->Reset();
}

QString ScopeImportMessage(const ScopeImport& result) {
    QString text =
        QStringLiteral("Format reconnu : %1").arg(result.layouts.join(QStringLiteral(", ")));
    for (int k = 0; k < result.channelCount; ++k) {
        text += QStringLiteral("\nCH%1 : %2").arg(k + 1).arg(result.channels[k].name);
        if (result.files.size() == 2) text += QStringLiteral(" (%1)").arg(result.files.value(k));
    }
    const int points = result.channelCount > 0 ? int(result.channels[0].time.size()) : 0;
    text += Sprintf("\n%d points, pas de temps du fichier %g s", points, result.timeStep);
    text += result.thinned
                ? Sprintf("\nEnregistrement réduit : %d points gardés sur %d, régulièrement "
                          "espacés.",
                          points, result.fileRows)
                : QStringLiteral("\nEnregistrement complet, non réduit.");
    return text;
}
