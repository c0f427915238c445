#include "app/batch.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/batchcommands.h"
#include "common/novalue.h"
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

bool ParseScopeAcquireOptions(const QStringList& arguments, ParsedOptions* options,
                              std::int16_t* channels) {
    OptionRules rules;
    rules.valueOptions = {QStringLiteral("--port"), QStringLiteral("--channels"),
                          QStringLiteral("--timeout"), QStringLiteral("--save")};
    rules.maxPositional = 1;
    if (!ParseOptions(arguments, 2, rules, options) || !options->Has(QStringLiteral("--port")))
        return false;
    *channels = 0;
    const QString list = options->Value(QStringLiteral("--channels"), "CH1");
    for (const QString& name : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::int16_t channel = ChannelFromName(name.trimmed().toUpper());
        if (channel != kChannelCh1 && channel != kChannelCh2) return false;
        *channels = std::int16_t(*channels | channel);
    }
    return *channels != 0;
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
    ParsedOptions parsed;
    if (!ParseOptions(arguments, 1, OptionRules{{}, {}, 1, 2}, &parsed)) return -1;
    CZbApp app;
    CZbDoc doc(&app);
    if (!LoadBatchInput(doc, parsed.positional.value(1))) return 1;
    QString error;
    if (!doc.Save(parsed.positional.at(0), &error)) {
        PrintBatchError(error);
        return 1;
    }
    return 0;
}

// One row a command; the usage line is also what the command line must follow.
const BatchCommand kCommands[] = {
    {"--save", "lineatix --save OUT.cod [IN.cod]", SaveCommand,
     "enregistre IN.cod (ou un document neuf) sous OUT.cod"},
    {"--print-pdf", "lineatix --print-pdf OUT.pdf [--zoom XMIN,YMIN,XMAX,YMAX] [IN.cod]",
     PrintPdfCommand,
     "imprime ce que montre la vue dans le fichier PDF OUT.pdf, à taille réelle ; --zoom fixe "
     "la fenêtre du graphe (unités des données) avant de dessiner"},
    {"--print", "lineatix --print [--printer NAME] FILE.cod", PrintCommand,
     "imprime FILE.cod sans dialogue sur l'imprimante par défaut, ou sur NAME"},
    {"--render-png",
     "lineatix --render-png OUT.png [--size WxH] [--zoom XMIN,YMIN,XMAX,YMAX] [IN.cod]",
     RenderPngCommand,
     "dessine la vue comme à l'écran dans l'image PNG OUT.png (1280x800 par défaut)"},
    {"--decode", "lineatix --decode [--uref V] [--save OUT.cod] IN.cod", DecodeCommand,
     "les trois étapes de « Analyser code... » sur le relevé de IN.cod ; état 2 quand le "
     "décodeur signale des erreurs"},
    {"--fit", "lineatix --fit CURVE FROM TO DEGREE [--slot N] [--save OUT.cod] IN.cod", FitCommand,
     "régression de CURVE entre les lignes FROM et TO : droite (DEGREE 1) ou polynôme (2 à 7) "
     "; état 2 quand le calcul échoue"},
    {"--export-txt", "lineatix --export-txt OUT.txt IN.cod", ExportTextCommand,
     "écrit les courbes que montre IN.cod en texte pour tableur (« Ecrire [.TXT] Excel... »)"},
    {"--image-row", "lineatix --image-row ROW IMAGE [--save OUT.cod]", ImageRowCommand,
     "la ligne ROW d'une image TIFF ou JPEG en relevé de la voie 1"},
    {"--import", "lineatix --import FILE [FILE2] [--save OUT.cod]", ImportCommand,
     "importe le fichier CSV d'un oscilloscope (ou les deux fichiers d'un enregistrement) "
     "comme une acquisition"},
    {"--acquire tds",
     "lineatix --acquire tds --port COM1|COM2|PATH [--channels LIST] [--type 3xx|xxx] "
     "[--timeout SECONDS] [--save OUT.cod] [IN.cod]",
     AcquireTdsCommand,
     "acquisition d'une ou deux sources d'un oscilloscope Tektronix TDS (CH1 par défaut)"},
    {"--acquire gds",
     "lineatix --acquire gds --port COM1|COM2|PATH [--channels CH1,CH2] [--timeout SECONDS] "
     "[--save OUT.cod] [IN.cod]",
     AcquireGdsCommand, "acquisition des voies d'un oscilloscope GW Instek GDS-820C"},
    {"--acquire scpi",
     "lineatix --acquire scpi --port COM1|COM2|ADDRESS [--channels CH1,CH2] [--timeout SECONDS] "
     "[--save OUT.cod] [IN.cod]",
     AcquireScpiCommand,
     "acquisition des voies d'un oscilloscope Rigol ou Keysight par USB ou Ethernet (SCPI)"},
    {"--acquire leuze",
     "lineatix --acquire leuze --port COM1|COM2|PATH [--timeout SECONDS] [--save OUT.cod] "
     "[IN.cod]",
     AcquireLeuzeCommand, "lit un code au lecteur Leuze BCL32 (10 s au plus par défaut)"},
    {"--acquire pcmes3",
     "lineatix --acquire pcmes3 --simulated-card CODE [--save OUT.cod] [IN.cod]",
     AcquirePcmes3Command, "acquisition sur une carte PC-MES3 simulée qui délivre CODE"},
};

// The usage lines read once; a line that does not read is the program's own
// fault, caught by any run.
struct BatchGrammar {
    QList<CommandUsage> commands;
    CommandUsage window;

    BatchGrammar() {
        QString error;
        for (const BatchCommand& command : kCommands) {
            CommandUsage usage;
            if (!ReadUsageLine(QLatin1String(command.usage), QLatin1String(command.option), &usage,
                               &error))
                Abort(QLatin1String(command.usage), error);
            commands << usage;
        }
        if (!ReadUsageLine(QLatin1String(kWindowUsage), QString(), &window, &error))
            Abort(QLatin1String(kWindowUsage), error);
        error = CheckUsageTable(commands, &window);
        if (!error.isEmpty()) Abort(QStringLiteral("table des commandes"), error);
    }
    [[noreturn]] static void Abort(const QString& line, const QString& error) {
        std::fprintf(stderr, "%s : %s\n", line.toLocal8Bit().constData(),
                     error.toLocal8Bit().constData());
        std::abort();
    }
};

const BatchGrammar& Grammar() {
    static const BatchGrammar grammar;
    return grammar;
}

} // namespace

const char* const kWindowUsage =
    "lineatix [--com1 PATH] [--com2 PATH] [--simulated-card CODE] [FILE.cod]";

CommandLine ReadBatchCommandLine(const QStringList& arguments) {
    return ReadCommandLine(Grammar().commands, &Grammar().window, arguments);
}

const BatchCommand& BatchCommandAt(int index) {
    return kCommands[index];
}

QString BatchHelpText() {
    QStringList lines{QLatin1String(kWindowUsage)};
    HelpSection commands{QStringLiteral("Commandes sans fenêtre :"), {}};
    for (const BatchCommand& command : kCommands) {
        lines << QLatin1String(command.usage);
        commands.rows << qMakePair(QLatin1String(command.option),
                                   QString::fromUtf8(command.summary ? command.summary : ""));
    }
    const QList<HelpSection> sections{
        {QStringLiteral("Lineatix, banc d'étude de la lecture optique des codes à barres EAN-13. "
                        "Sans commande, le programme ouvre sa fenêtre, sur FILE.cod quand il est "
                        "donné. Une commande travaille sans fenêtre et sans écran : textes sur la "
                        "sortie standard, erreurs sur la sortie d'erreur."),
         {}},
        commands,
        {QStringLiteral("Options:"),
         {{QStringLiteral("--com1 PATH"),
           QStringLiteral("le périphérique de COM1 pour cette exécution (/dev/ttyS0 par défaut)")},
          {QStringLiteral("--com2 PATH"),
           QStringLiteral("le périphérique de COM2 pour cette exécution (/dev/ttyS1 par défaut)")},
          {QStringLiteral("--simulated-card CODE"),
           QStringLiteral("une carte PC-MES3 simulée qui délivre CODE (13 chiffres)")},
          {QStringLiteral("--help"), QStringLiteral("affiche cette aide")},
          {QStringLiteral("--version"), QStringLiteral("affiche le nom et la version")}}},
        {QStringLiteral("Les arguments propres d'une commande la suivent directement, dans "
                        "l'ordre de sa ligne (--fit CURVE FROM TO DEGREE) ; ses options et son "
                        "fichier d'entrée se placent avant ou après elle. --save est une commande "
                        "seule, et une option des commandes qui l'acceptent. --option=valeur vaut "
                        "--option valeur ; après -- tout mot est un fichier."),
         {}},
        {QStringLiteral("État de sortie : 0 en cas de succès ; 1 pour une erreur de fichier, de "
                        "port ou d'usage ; 2 quand le travail s'est fait mais que son résultat est "
                        "un échec (erreurs du décodeur, régression échouée)."),
         {}},
    };
    return FormatHelp(lines, sections);
}

int RunBatch(const BatchCommand& command, const QStringList& arguments) {
    const int status = command.run(arguments);
    if (status < 0) {
        PrintBatchError(QStringLiteral("Usage: %1").arg(QLatin1String(command.usage)));
        return 1;
    }
    return status;
}
