// lineatix --fit CURVE FROM TO DEGREE [--slot N] [--save OUT.cod] IN.cod:
// "&Calculer" of the regression dialog for the two points on rows FROM and
// TO of a curve, without a window.

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/novalue.h"
#include "common/options.h"
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

bool ParseInteger(const QString& text, int low, int high, int* value) {
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (!ok || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool ReadOptions(const QStringList& arguments, FitOptions* options) {
    const OptionRules rules{{QStringLiteral("--slot"), QStringLiteral("--save")}, {}, 5, 5};
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 1, rules, &parsed)) return false;
    const QStringList& given = parsed.positional;
    options->curve = given.at(0).toUpper();
    options->channel = ChannelFromName(options->curve);
    options->input = given.at(4);
    options->output = parsed.Value(QStringLiteral("--save"));
    return options->channel != 0 &&
           ParseInteger(given.at(1), 0, CZbDoc::kCapacity - 1, &options->rows[0]) &&
           ParseInteger(given.at(2), 0, CZbDoc::kCapacity - 1, &options->rows[1]) &&
           ParseInteger(given.at(3), 1, kMaxFitDegree, &options->degree) &&
           ParseInteger(parsed.Value(QStringLiteral("--slot"), QStringLiteral("0")), 0,
                        CRegressionSet::kSlots - 1, &options->slot) &&
           options->rows[0] != options->rows[1];
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
    if (!ReadOptions(arguments, &options)) return -1;
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
    PrintBatchText(ComputingMessage(set, options.slot, range));
    bool succeeded = false;
    PrintBatchText(ComputeSlot(doc, options.slot, range, &succeeded));
    for (int k = 0; k < CRegressionSet::kCoefficients; ++k)
        PrintBatchText(CoefficientLine(k, set.m_dCoef[options.slot][k]));

    if (!SaveBatchOutput(doc, options.output)) return 1;
    return succeeded ? 0 : kFitFailed;
}
