#include "app/batch.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/batchcommands.h"
#include "common/options.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

void PrintBatchError(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

bool LoadBatchInput(CZbDoc& doc, const QString& path) {
    if (path.isEmpty()) return true;
    QString error;
    if (doc.Load(path, &error)) {
        doc.m_strFileName = path;
        return true;
    }
    PrintBatchError(error);
    return false;
}

bool SaveBatchOutput(const CZbDoc& doc, const QString& path) {
    if (path.isEmpty()) return true;
    QString error;
    if (doc.Save(path, &error)) return true;
    PrintBatchError(error);
    return false;
}

bool TakeZoomOption(QStringList* arguments, BatchZoom* zoom) {
    const int at = int(arguments->indexOf(QStringLiteral("--zoom")));
    if (at < 0) return true;
    const QString value = arguments->value(at + 1);
    arguments->remove(at, std::min<int>(2, int(arguments->size()) - at));
    const QStringList parts = value.split(QLatin1Char(','));
    float corners[4] = {};
    bool ok = parts.size() == 4;
    for (int k = 0; ok && k < 4; ++k) {
        corners[k] = parts.at(k).trimmed().toFloat(&ok);
        ok = ok && std::isfinite(corners[k]);
    }
    if (!ok) {
        PrintBatchError(
            QStringLiteral("Zoom invalide: %1 (attendu XMIN,YMIN,XMAX,YMAX)").arg(value));
        return false;
    }
    zoom->given = true;
    zoom->x1 = corners[0];
    zoom->y1 = corners[1];
    zoom->x2 = corners[2];
    zoom->y2 = corners[3];
    return true;
}

void ApplyZoomOption(CZbDoc& doc, const BatchZoom& zoom) {
    if (zoom.given) doc.SetZoom(zoom.x1, zoom.y1, zoom.x2, zoom.y2);
}

int TakeBatchPort(const QString& port, CZbApp& app) {
    // An empty path would leave COM1's own device in place and talk to it.
    if (port.trimmed().isEmpty()) return -1;
    app.m_ports.LoadProfile();
    const int index = CPortNames::IndexOf(port);
    if (index >= 0) return index;
    app.m_ports.OverrideDevicePath(0, port);
    return 0;
}

int TimeoutTicks(const ParsedOptions& options, int tickMs, int fallback) {
    const QString option = QStringLiteral("--timeout");
    if (!options.Has(option)) return fallback;
    bool ok = false;
    const double seconds = options.Value(option).trimmed().toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > 86400) return -1;
    return int(std::ceil(seconds * 1000 / tickMs));
}

void PrintBatchText(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

namespace {

// lineatix --save OUT.cod [IN.cod]
int SaveCommand(const QStringList& arguments) {
    if (arguments.size() < 2 || arguments.size() > 3) return -1;
    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, arguments.value(2))) return 1;
    QString error;
    if (!doc.Save(arguments.at(1), &error)) {
        PrintBatchError(error);
        return 1;
    }
    return 0;
}

const BatchCommand kCommands[] = {
    {"--save", "lineatix --save OUT.cod [IN.cod]", SaveCommand},
    {"--print-pdf", "lineatix --print-pdf OUT.pdf [--zoom XMIN,YMIN,XMAX,YMAX] [IN.cod]",
     PrintPdfCommand},
    {"--print", "lineatix --print FILE.cod [--printer NAME]", PrintCommand},
    {"--render-png",
     "lineatix --render-png OUT.png [--size WxH] [--zoom XMIN,YMIN,XMAX,YMAX] [IN.cod]",
     RenderPngCommand},
    {"--decode", "lineatix --decode [--uref V] [--save OUT.cod] IN.cod", DecodeCommand},
    {"--fit", "lineatix --fit CURVE FROM TO DEGREE [--slot N] [--save OUT.cod] IN.cod", FitCommand},
    {"--acquire", "lineatix --acquire tds|gds|leuze|pcmes3 --port COM1|COM2|PATH ...",
     AcquireCommand},
    {"--export-txt", "lineatix --export-txt OUT.txt IN.cod", ExportTextCommand},
    {"--image-row", "lineatix --image-row ROW IMAGE [--save OUT.cod]", ImageRowCommand},
};

} // namespace

const BatchCommand* FindBatchCommand(const QStringList& arguments) {
    if (arguments.isEmpty()) return nullptr;
    for (const BatchCommand& command : kCommands)
        if (arguments.first() == QLatin1String(command.option)) return &command;
    return nullptr;
}

int RunBatch(const BatchCommand& command, const QStringList& arguments) {
    const int status = command.run(arguments);
    if (status < 0) {
        PrintBatchError(QStringLiteral("Usage: %1").arg(QLatin1String(command.usage)));
        return 1;
    }
    return status;
}
