#include <QByteArray>
#include <QGuiApplication>
#include <cstdio>
#include <vector>

#include "app/application.h"
#include "app/batch.h"
#include "common/format.h"
#include "instruments/pcmes3/simulatedcard.h"

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// Scripts read the standard error of batch commands: keep Qt's notice about
// a missing runtime folder (it falls back on its own) out of it.
void BatchMessageHandler(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    g_defaultHandler(type, context, message);
}

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The window reads its options from the arguments in the order the command
// line was checked in (Qt takes argc and argv as they are for the program's life).
int RunWindow(const char* program, const QStringList& arguments) {
    std::vector<QByteArray> words{QByteArray(program)};
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return RunApplication(int(words.size()), argv.data());
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    // Help, version and usage errors need neither a window nor a display.
    const CommandLine line = ReadBatchCommandLine(arguments);
    switch (line.kind) {
    case CommandLine::Help:
        Print(stdout, BatchHelpText());
        return 0;
    case CommandLine::Version:
        Print(stdout, QStringLiteral("lineatix %1\n").arg(QLatin1String(LINEATIX_VERSION)));
        return 0;
    case CommandLine::UsageError:
        Print(stderr, FormatUsageError(line, QStringLiteral("lineatix")));
        return 1;
    case CommandLine::Run:
        break;
    }
    if (line.command < 0) {
        const QString card = line.parsed.Value(QStringLiteral("--simulated-card"));
        if (!card.isNull() && !CSimulatedCard::IsCardCode(card)) {
            Print(stderr, QStringLiteral("--simulated-card : le code doit avoir 13 chiffres.\n"));
            return 1;
        }
        return RunWindow(argv[0], line.arguments);
    }

    // Batch commands open no window: they work without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultHandler = qInstallMessageHandler(BatchMessageHandler);
    QGuiApplication application(argc, argv);
    KeepCNumericLocale();
    // The window's profile (the devices of COM1 and COM2) and folders.
    SetProfileNames();
    return RunBatch(BatchCommandAt(line.command), line.arguments);
}
