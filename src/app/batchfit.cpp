// lineatix --fit CURVE FROM TO DEGREE [--slot N] [--save OUT.cod] IN.cod:
// "&Calculer" of the regression dialog for the two points on rows FROM and
// TO of a curve, without a window.

#include <cstdio>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/polynomialfit.h"
#include "graph/regressionpanel.h"

namespace {

constexpr int kFitFailed = 2; // exit status when the fit failed

struct FitOptions {
    std::int16_t channel = 0;
    QString curve;
    int rows[2] = {0, 0};
    int degree = 1;
    int slot = 0;
    QString input;
    QString output;
};

struct CurveName {
    const char* name;
    std::int16_t channel;
};
const CurveName kCurves[] = {{"CH1", kChannelCh1},
                             {"CH2", kChannelCh2},
                             {"REF1", kChannelRef1},
                             {"REF2", kChannelRef2},
                             {"MATH", kChannelMath}};

bool ParseInteger(const QString& text, int low, int high, int* value) {
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (!ok || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool ParseOptions(const QStringList& arguments, FitOptions* options) {
    if (arguments.size() < 5) return false;
    options->curve = arguments.at(1).toUpper();
    for (const CurveName& curve : kCurves)
        if (options->curve == QLatin1String(curve.name)) options->channel = curve.channel;
    if (!options->channel) return false;
    if (!ParseInteger(arguments.at(2), 0, CZbDoc::kCapacity - 1, &options->rows[0]) ||
        !ParseInteger(arguments.at(3), 0, CZbDoc::kCapacity - 1, &options->rows[1]) ||
        !ParseInteger(arguments.at(4), 1, kMaxFitDegree, &options->degree))
        return false;
    for (int k = 5; k < arguments.size(); ++k) {
        const QString& argument = arguments.at(k);
        if (argument == QLatin1String("--slot") && k + 1 < arguments.size()) {
            if (!ParseInteger(arguments.at(++k), 0, CRegressionSet::kSlots - 1, &options->slot))
                return false;
        } else if (argument == QLatin1String("--save") && k + 1 < arguments.size()) {
            options->output = arguments.at(++k);
        } else if (argument.startsWith(QLatin1String("--")) || !options->input.isEmpty()) {
            return false;
        } else {
            options->input = argument;
        }
    }
    return !options->input.isEmpty() && options->rows[0] != options->rows[1];
}

void Print(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
}

// The two rows as the dialog's picking would leave them in the slot.
bool PickRows(CZbDoc& doc, const FitOptions& options) {
    CRegressionSet& set = *doc.m_pRegressions;
    std::int16_t xCol = 0, yCol = 0;
    doc.GetChannelColumns(options.channel, &xCol, &yCol);
    const int slot = options.slot;
    for (int k = 0; k < 2; ++k) {
        const int row = options.rows[k];
        const float x = doc.m_fT[row][xCol], y = doc.m_fT[row][yCol];
        if (IsNoValue(x) || IsNoValue(y)) {
            PrintBatchError(QStringLiteral("%1: pas de valeur en ligne %2 de %3.")
                                .arg(options.input)
                                .arg(row)
                                .arg(options.curve));
            return false;
        }
        StorePoint(set, slot, k + 1, row, xCol, yCol, x, y);
    }
    set.m_nSlot = slot;
    set.m_nType[slot] = options.degree - 1;
    set.m_bDraw[slot] = 1;
    return true;
}

} // namespace

int FitCommand(const QStringList& arguments) {
    FitOptions options;
    if (!ParseOptions(arguments, &options)) return -1;
    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, options.input)) return 1;
    if (!(doc.m_nChannels & options.channel)) {
        PrintBatchError(QStringLiteral("%1: pas de courbe %2.").arg(options.input, options.curve));
        return 1;
    }
    if (!PickRows(doc, options)) return 1;

    const CRegressionSet& set = *doc.m_pRegressions;
    RegressionRange range;
    if (!SlotRange(set, options.slot, &range)) return -1;
    Print(ComputingMessage(set, options.slot, range));
    bool succeeded = false;
    Print(ComputeSlot(doc, options.slot, range, &succeeded));
    for (int k = 0; k < CRegressionSet::kCoefficients; ++k)
        Print(CoefficientLine(k, set.m_dCoef[options.slot][k]));
    std::fflush(stdout);

    if (!SaveBatchOutput(doc, options.output)) return 1;
    return succeeded ? 0 : kFitFailed;
}
