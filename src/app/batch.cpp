#include "app/batch.h"

#include <QFileInfo>
#include <cstdio>

#include "app/batchcommands.h"
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
    {"--print-pdf", "lineatix --print-pdf OUT.pdf [IN.cod]", PrintPdfCommand},
    {"--render-png", "lineatix --render-png OUT.png [--size WxH] [IN.cod]", RenderPngCommand},
    {"--decode", "lineatix --decode [--uref V] [--save OUT.cod] IN.cod", DecodeCommand},
    {"--acquire", "lineatix --acquire tds|gds|leuze|pcmes3 --port COM1|COM2|PATH ...",
     AcquireCommand},
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
