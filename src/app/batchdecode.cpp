// lineatix --decode [--uref V] [--save OUT.cod] IN.cod: the three steps of the
// code analysis on a stored scan, without a window.

#include <cstdio>

#include "app/batch.h"
#include "app/batchcommands.h"
#include "common/novalue.h"
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

bool ParseOptions(const QStringList& arguments, DecodeOptions* options) {
    for (int k = 1; k < arguments.size(); ++k) {
        const QString& argument = arguments.at(k);
        if (argument == QLatin1String("--uref") && k + 1 < arguments.size()) {
            bool ok = false;
            options->uRef = arguments.at(++k).toFloat(&ok);
            if (!ok) return false;
            options->uRefGiven = true;
        } else if (argument == QLatin1String("--save") && k + 1 < arguments.size()) {
            options->output = arguments.at(++k);
        } else if (argument.startsWith(QLatin1String("--")) || !options->input.isEmpty()) {
            return false;
        } else {
            options->input = argument;
        }
    }
    return !options->input.isEmpty();
}


} // namespace

int DecodeCommand(const QStringList& arguments) {
    DecodeOptions options;
    if (!ParseOptions(arguments, &options)) return -1;
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
