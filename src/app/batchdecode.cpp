// lineatix --decode [--uref V] [--save OUT.cod] IN.cod: the three steps of the
// code analysis on a stored scan, without a window.

#include <cstdio>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/novalue.h"
#include "common/options.h"
#include "decode/analysis.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/displaycurves.h"

namespace {

constexpr int kDecoderErrors = 2; // exit status when the decoder reported errors

struct DecodeOptions {
    float uRef = 2.3f;
    bool uRefGiven = false;
    QString input;
    QString output;
};

bool ReadOptions(const QStringList& arguments, DecodeOptions* options) {
    const OptionRules rules{{QStringLiteral("--uref"), QStringLiteral("--save")}, {}, 1, 1};
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 1, rules, &parsed)) return false;
    options->input = parsed.positional.at(0);
    options->output = parsed.Value(QStringLiteral("--save"));
    if (parsed.Has(QStringLiteral("--uref"))) {
        bool ok = false;
        options->uRef = parsed.Value(QStringLiteral("--uref")).toFloat(&ok);
        if (!ok) return false;
        options->uRefGiven = true;
    }
    return true;
}

} // namespace

int DecodeCommand(const QStringList& arguments) {
    DecodeOptions options;
    if (!ReadOptions(arguments, &options)) return -1;
    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, options.input)) return 1;
    if (doc.m_nPoints < 1 || !(doc.m_nChannels & kAcquiredChannelBits)) {
        PrintBatchError(QStringLiteral("%1: aucune acquisition à analyser.").arg(options.input));
        return 1;
    }
    // The analysis is opened on the graph: a document saved on its code
    // sheet or image shows its stored channels first.
    if (!(doc.m_nDisplay & kAcquiredChannelBits))
        doc.m_nDisplay = static_cast<std::int16_t>(doc.m_nChannels & kAcquiredChannelBits);
    SetGraphMultipliers(doc);

    CCodeAnalysis analysis(&doc);
    analysis.SetMessageHandler([](const QString& text) { PrintBatchError(text); });
    PrintBatchText(analysis.m_strMessage);
    if (options.uRefGiven) analysis.m_fURef = options.uRef;
    analysis.Generate();
    PrintBatchText(analysis.m_strMessage);
    analysis.Confirm();
    PrintBatchText(analysis.m_strMessage);
    const std::int16_t flags = analysis.Analyse();
    PrintBatchText(analysis.m_strMessage);
    analysis.Close(&app);

    if (!SaveBatchOutput(doc, options.output)) return 1;
    return flags == 0 ? 0 : kDecoderErrors;
}
