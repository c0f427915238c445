// lineatix-sim INSTRUMENT [options]: a simulated instrument on a
// pseudo-terminal or a local socket, for practising every acquisition without
// hardware.

#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "common/options.h"
#include "sim/siminstrument.h"

namespace {

// One row a simulator; the usage line is also what its command line must follow.
struct SimCommand {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& arguments); // the arguments after the name
    const char* summary = nullptr;            // one line of --help
};

const SimCommand kSimulators[] = {
    {"tds",
     "lineatix-sim tds [--code CODE] [--code2 CODE] [--type 3xx|xxx] [--link PATH] [--tcp PORT]",
     RunTdsSimulator,
     "un oscilloscope Tektronix TDS 340A (3xx) ou TDS 220 (xxx) qui renvoie le relevé de CODE"},
    {"gds",
     "lineatix-sim gds [--code CODE] [--code2 CODE] [--channel-off 1|2] [--pieces N] "
     "[--pause MS] [--link PATH] [--tcp PORT]",
     RunGdsSimulator,
     "un oscilloscope GW Instek GDS-820C ; sa réponse en N morceaux espacés de MS ms"},
    {"leuze",
     "lineatix-sim leuze [--code CODE]... [--interval MS] [--seed N] [--link PATH] [--tcp PORT]",
     RunLeuzeSimulator,
     "un lecteur Leuze BCL32 qui lit les codes CODE tour à tour (ou au hasard) toutes les MS ms"},
    {"rigol",
     "lineatix-sim rigol [--code CODE] [--code2 CODE] [--channel-off 1|2] [--depth N] "
     "[--link PATH] [--tcp PORT]",
     RunRigolSimulator,
     "un oscilloscope Rigol DS1104Z (SCPI) ; sa mémoire de N points porte le relevé de CODE"},
    {"keysight",
     "lineatix-sim keysight [--code CODE] [--code2 CODE] [--channel-off 1|2] [--depth N] "
     "[--link PATH] [--tcp PORT]",
     RunKeysightSimulator,
     "un oscilloscope Keysight DSOX1204G (SCPI) ; sa mémoire de N points porte le relevé de CODE"},
};

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

QList<CommandUsage> Grammar() {
    QList<CommandUsage> commands;
    QString error;
    for (const SimCommand& command : kSimulators) {
        CommandUsage usage;
        if (!ReadUsageLine(QLatin1String(command.usage), QLatin1String(command.name), &usage,
                           &error)) {
            Print(stderr, QStringLiteral("%1 : %2\n").arg(QLatin1String(command.usage), error));
            std::abort();
        }
        commands << usage;
    }
    error = CheckUsageTable(commands, nullptr);
    if (!error.isEmpty()) {
        Print(stderr, error + QLatin1Char('\n'));
        std::abort();
    }
    return commands;
}

QString HelpText() {
    QStringList lines;
    HelpSection commands{QStringLiteral("Instruments :"), {}};
    for (const SimCommand& command : kSimulators) {
        lines << QLatin1String(command.usage);
        commands.rows << qMakePair(QLatin1String(command.name),
                                   QString::fromUtf8(command.summary ? command.summary : ""));
    }
    const QList<HelpSection> sections{
        {QStringLiteral("Instruments simulés pour s'exercer aux acquisitions de Lineatix sans "
                        "matériel. Chacun sert un pseudo-terminal, dont il affiche le chemin, "
                        "jusqu'à son interruption ; --link PATH en fait un lien symbolique ; "
                        "--tcp PORT sert plutôt une connexion réseau sur 127.0.0.1 (0 : un port "
                        "libre), dont il affiche l'adresse. Le "
                        "code par défaut est 5410673004208."),
         {}},
        commands,
        {QStringLiteral("Options:"),
         {{QStringLiteral("--help"), QStringLiteral("affiche cette aide")},
          {QStringLiteral("--version"), QStringLiteral("affiche le nom et la version")}}},
        {QStringLiteral("Les options se placent avant ou après l'instrument ; --option=valeur "
                        "vaut --option valeur."),
         {}},
    };
    return FormatHelp(lines, sections);
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QList<CommandUsage> grammar = Grammar();
    const CommandLine line = ReadCommandLine(grammar, nullptr, arguments);
    switch (line.kind) {
    case CommandLine::Help:
        Print(stdout, HelpText());
        return 0;
    case CommandLine::Version:
        Print(stdout, QStringLiteral("lineatix-sim %1\n").arg(QLatin1String(LINEATIX_VERSION)));
        return 0;
    case CommandLine::UsageError:
        Print(stderr, FormatUsageError(line, QStringLiteral("lineatix-sim")));
        return 1;
    case CommandLine::Run:
        break;
    }
    const SimCommand& command = kSimulators[line.command];
    const int status = command.run(line.arguments.mid(1));
    if (status >= 0) return status;
    Print(stderr, QStringLiteral("Usage: %1\n").arg(QLatin1String(command.usage)));
    return 1;
}
