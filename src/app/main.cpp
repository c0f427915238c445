#include <QGuiApplication>

#include "app/application.h"
#include "app/batch.h"
#include "common/format.h"

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// Scripts read the standard error of batch commands: keep Qt's notice about
// a missing runtime folder (it falls back on its own) out of it.
void BatchMessageHandler(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    g_defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (const BatchCommand* command = FindBatchCommand(arguments)) {
        // Batch commands open no window: they work without a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        g_defaultHandler = qInstallMessageHandler(BatchMessageHandler);
        QGuiApplication application(argc, argv);
        KeepCNumericLocale();
        // The window's profile (the devices of COM1 and COM2) and folders.
        SetProfileNames();
        return RunBatch(*command, arguments);
    }
    return RunApplication(argc, argv);
}
