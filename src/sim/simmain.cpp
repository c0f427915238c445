// lineatix-sim INSTRUMENT [options]: a simulated instrument on a
// pseudo-terminal or a local socket, for practising every acquisition without
// hardware.

#include <QString>
#include <QStringList>
#include <cstdio>

#include "sim/siminstrument.h"

namespace {

struct SimCommand {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& arguments);
};

const SimCommand kSimulators[] = {
    {"tds",
     "lineatix-sim tds [--code CODE] [--code2 CODE] [--type 3xx|xxx] [--link PATH | --tcp PORT]",
     RunTdsSimulator},
    {"gds",
     "lineatix-sim gds [--code CODE] [--code2 CODE] [--channel-off 1|2] [--pieces N] "
     "[--pause MS] [--link PATH | --tcp PORT]",
     RunGdsSimulator},
    {"leuze",
     "lineatix-sim leuze [--code CODE]... [--interval MS] [--seed N] [--link PATH | --tcp PORT]",
     RunLeuzeSimulator},
    {"rigol",
     "lineatix-sim rigol [--code CODE] [--code2 CODE] [--channel-off 1|2] [--depth N] "
     "[--link PATH | --tcp PORT]",
     RunRigolSimulator},
    {"keysight",
     "lineatix-sim keysight [--code CODE] [--code2 CODE] [--channel-off 1|2] [--depth N] "
     "[--link PATH | --tcp PORT]",
     RunKeysightSimulator},
};

void PrintUsage() {
    std::fprintf(stderr, "Usage:\n");
    for (const SimCommand& command : kSimulators)
        std::fprintf(stderr, "  %s\n", command.usage);
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    for (const SimCommand& command : kSimulators) {
        if (name != QLatin1String(command.name)) continue;
        const int status = command.run(arguments);
        if (status >= 0) return status;
        std::fprintf(stderr, "Usage: %s\n", command.usage);
        return 1;
    }
    PrintUsage();
    return 1;
}
