#include <QGuiApplication>

#include "app/application.h"
#include "app/batch.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    if (const BatchCommand* command = FindBatchCommand(arguments)) {
        // Batch commands open no window: they work without a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        return RunBatch(*command, arguments);
    }
    return RunApplication(argc, argv);
}
