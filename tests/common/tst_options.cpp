// The command-line reader on a table of usage lines shaped as the program's:
// a command that is also an option of others (--save), own arguments,
// commands of two words, a flag, a repeatable option and the line without a
// command.

#include <QTest>

#include "common/options.h"

namespace {

const char* const kProgram[][2] = {
    {"--save", "prog --save OUT.cod [IN.cod]"},
    {"--print-pdf", "prog --print-pdf OUT.pdf [--zoom BOX] [IN.cod]"},
    {"--decode", "prog --decode [--uref V] [--save OUT.cod] IN.cod"},
    {"--fit", "prog --fit CURVE FROM TO DEGREE [--slot N] [--save OUT.cod] IN.cod"},
    {"--export-txt", "prog --export-txt OUT.txt IN.cod"},
    {"--image-row", "prog --image-row ROW IMAGE [--save OUT.cod]"},
    {"--print", "prog --print [--printer NAME] [--dry] FILE.cod"},
    {"--acquire tds", "prog --acquire tds --port PORT [--channels LIST] [--save OUT.cod] [IN.cod]"},
    {"--acquire pcmes3", "prog --acquire pcmes3 --simulated-card CODE [--save OUT.cod] [IN.cod]"},
};
const char* const kWindow = "prog [--com1 PATH] [--simulated-card CODE] [FILE.cod]";

const char* const kSimulator[][2] = {
    {"tds", "sim tds [--code CODE] [--link PATH]"},
    {"leuze", "sim leuze [--code CODE]... [--link PATH]"},
};

template <std::size_t N> QList<CommandUsage> Table(const char* const (&rows)[N][2]) {
    QList<CommandUsage> table;
    for (const auto& row : rows) {
        CommandUsage usage;
        QString error;
        if (!ReadUsageLine(QLatin1String(row[1]), QLatin1String(row[0]), &usage, &error))
            qFatal("%s: %s", row[1], qPrintable(error));
        table << usage;
    }
    return table;
}

// "help", "version", "error: MESSAGE", or "NAME | ARGUMENTS" as the command reads them.
QString Outcome(const CommandLine& line, const QList<CommandUsage>& table,
                const CommandUsage* own) {
    switch (line.kind) {
    case CommandLine::Help:
        return QStringLiteral("help");
    case CommandLine::Version:
        return QStringLiteral("version");
    case CommandLine::UsageError:
        return QStringLiteral("error: ") + line.error;
    case CommandLine::Run:
        break;
    }
    const QString name = line.command < 0 ? own->Name() : table.at(line.command).Name();
    return name + QStringLiteral(" | ") + line.arguments.join(QLatin1Char(' '));
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
  private slots:
    void commandLines_data() {
        QTest::addColumn<bool>("simulator");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("outcome");
        auto row = [](const char* name, const QStringList& arguments, const char* outcome,
                      bool simulator = false) {
            QTest::newRow(name) << simulator << arguments << QString::fromUtf8(outcome);
        };
        // The window.
        row("nothing", {}, "prog | ");
        row("a file", {"in.cod"}, "prog | in.cod");
        row("window options", {"in.cod", "--com1", "/dev/x"}, "prog | --com1 /dev/x in.cod");
        row("two files", {"a.cod", "b.cod"}, "error: argument en trop : b.cod");
        row("unknown option", {"--bogus"}, "error: option inconnue : --bogus");
        row("unknown short option", {"-x"}, "error: option inconnue : -x");
        row("a command's option alone", {"--zoom", "0,0,1,1", "in.cod"},
            "error: --zoom s'emploie avec --print-pdf");
        row("an option of several", {"--slot", "1", "--uref", "2"},
            "error: --slot s'emploie avec --fit");
        row("a value checked by its user", {"--simulated-card", "123"},
            "prog | --simulated-card 123");
        row("empty file name", {""}, "error: argument vide");
        row("window option without value", {"--com1"}, "error: --com1 attend PATH");
        // Help and version win wherever they stand, never as a value.
        row("help", {"--help"}, "help");
        row("short help", {"-h"}, "help");
        row("help after errors", {"in.cod", "--bogus", "--help"}, "help");
        row("help where a value was due", {"--save", "--help"}, "help");
        row("version", {"--fit", "--version"}, "version");
        row("help after --", {"--decode", "--", "--help"}, "--decode | --decode -- --help");
        // Options and files around the command, own arguments right after it.
        row("zoom before", {"--zoom", "0,0,1,1", "--print-pdf", "out.pdf", "in.cod"},
            "--print-pdf | --print-pdf out.pdf --zoom 0,0,1,1 in.cod");
        row("file before", {"in.cod", "--print-pdf", "out.pdf"},
            "--print-pdf | --print-pdf out.pdf in.cod");
        row("own argument missing", {"--print-pdf", "--zoom", "0,0,1,1", "in.cod"},
            "error: --print-pdf attend OUT.pdf");
        row("fit in order", {"--fit", "CH1", "0", "2", "1", "in.cod"},
            "--fit | --fit CH1 0 2 1 in.cod");
        row("fit among options", {"in.cod", "--slot", "1", "--fit", "CH1", "0", "2", "1"},
            "--fit | --fit CH1 0 2 1 --slot 1 in.cod");
        row("fit arguments split", {"--fit", "CH1", "--slot", "1", "0", "2", "1", "in.cod"},
            "error: --fit attend CURVE FROM TO DEGREE");
        row("fit without its file", {"--fit", "CH1", "0", "2", "1"}, "error: il manque IN.cod");
        row("a line's last word is its file", {"in.cod", "--export-txt", "out.txt"},
            "--export-txt | --export-txt out.txt in.cod");
        row("image row and save", {"--save", "o.cod", "--image-row", "-5", "img.tif"},
            "--image-row | --image-row -5 img.tif --save o.cod");
        row("negative value", {"--decode", "in.cod", "--uref", "-0.5"},
            "--decode | --decode --uref -0.5 in.cod");
        // --save: a command alone, an option of the others.
        row("save", {"--save", "out.cod", "in.cod"}, "--save | --save out.cod in.cod");
        row("save, file first", {"in.cod", "--save", "out.cod"}, "--save | --save out.cod in.cod");
        row("save a new document", {"--save", "out.cod"}, "--save | --save out.cod");
        row("save without a name", {"--save"}, "error: --save attend OUT.cod");
        row("save after decode", {"--decode", "--save", "out.cod", "in.cod"},
            "--decode | --decode --save out.cod in.cod");
        row("save before decode", {"--save", "out.cod", "--decode", "in.cod"},
            "--decode | --decode --save out.cod in.cod");
        row("decode's save without a name", {"--decode", "in.cod", "--save"},
            "error: --save attend OUT.cod");
        row("save twice", {"--save", "a.cod", "--save", "b.cod"},
            "error: --save est donné deux fois");
        row("decode's save twice", {"--decode", "--save", "a", "--save", "b", "in.cod"},
            "error: --save est donné deux fois");
        row("two commands", {"--decode", "--fit", "CH1", "0", "2", "1", "in.cod"},
            "error: une seule commande à la fois : --decode, --fit");
        row("save is no option of print-pdf", {"--print-pdf", "a.pdf", "--save", "b.cod"},
            "error: une seule commande à la fois : --print-pdf, --save");
        // Values.
        row("name=value", {"--decode", "--save=out.cod", "in.cod"},
            "--decode | --decode --save out.cod in.cod");
        row("flag", {"--print", "--dry", "f.cod"}, "--print | --print --dry f.cod");
        row("flag with a value", {"--print", "--dry=yes", "f.cod"},
            "error: --dry ne prend pas de valeur");
        row("empty value", {"--acquire", "tds", "--port", ""}, "error: --port attend PORT");
        row("blank value", {"--acquire", "tds", "--port=  "}, "error: --port attend PORT");
        row("an option for a value", {"--acquire", "tds", "--port", "--save", "x"},
            "error: --port attend PORT");
        row("empty file", {"--save", "out.cod", ""}, "error: argument vide");
        row("files after --", {"--decode", "--", "-in.cod"}, "--decode | --decode -- -in.cod");
        // Commands of two words.
        row("acquire", {"--acquire", "tds", "--port", "/dev/x"},
            "--acquire tds | --acquire tds --port /dev/x");
        row("acquire, options first", {"--port", "COM1", "in.cod", "--acquire", "tds"},
            "--acquire tds | --acquire tds --port COM1 in.cod");
        row("acquire without its port", {"--acquire", "tds"},
            "error: --acquire tds demande --port PORT");
        row("unknown kind", {"--acquire", "scope"}, "error: --acquire attend tds|pcmes3");
        row("no kind", {"--acquire"}, "error: --acquire attend tds|pcmes3");
        // A program whose command is a plain word, and no window.
        row("no instrument", {}, "error: il manque la commande (tds, leuze)", true);
        row("unknown instrument", {"scope"}, "error: commande inconnue : scope", true);
        row("options first", {"--link", "/tmp/x", "tds"}, "tds | tds --link /tmp/x", true);
        row("a value named as a command", {"--link", "tds", "leuze"}, "leuze | leuze --link tds",
            true);
        row("repeatable", {"leuze", "--code", "1", "--code", "2"},
            "leuze | leuze --code 1 --code 2", true);
        row("not repeatable", {"tds", "--code", "1", "--code", "2"},
            "error: --code est donné deux fois", true);
        row("two instruments", {"tds", "leuze"}, "error: une seule commande à la fois : tds, leuze",
            true);
    }
    void commandLines() {
        QFETCH(bool, simulator);
        QFETCH(QStringList, arguments);
        QFETCH(QString, outcome);
        const QList<CommandUsage> table = simulator ? Table(kSimulator) : Table(kProgram);
        CommandUsage window;
        QString error;
        QVERIFY2(ReadUsageLine(QLatin1String(kWindow), QString(), &window, &error),
                 qPrintable(error));
        const CommandUsage* own = simulator ? nullptr : &window;
        QCOMPARE(CheckUsageTable(table, own), QString());
        const CommandLine line = ReadCommandLine(table, own, arguments);
        QCOMPARE(Outcome(line, table, own), outcome);
        if (line.kind == CommandLine::UsageError) QVERIFY(!line.usage.isEmpty());
        // What the command reads again gives the same options.
        if (line.kind == CommandLine::Run) {
            const CommandUsage& usage = line.command < 0 ? *own : table.at(line.command);
            const CommandLine again = ReadCommandLine(table, own, line.arguments);
            QCOMPARE(again.arguments, line.arguments);
            QCOMPARE(again.parsed.values, line.parsed.values);
            QCOMPARE(again.parsed.positional, line.parsed.positional);
            QVERIFY(line.parsed.positional.size() >= usage.arguments.size());
        }
    }

    void usageLines_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("read"); // own arguments | options | operands, or "refused"
        QTest::newRow("own arguments, options, file")
            << "--fit"
            << "p --fit C F T D [--slot N] [--save OUT] IN"
            << "C F T D | --slot N, --save OUT | IN";
        QTest::newRow("words that end the line end with the file") << "--export-txt"
                                                                   << "p --export-txt OUT IN"
                                                                   << "OUT |  | IN";
        QTest::newRow("an optional file") << "--save"
                                          << "p --save OUT [IN]"
                                          << "OUT |  | [IN]";
        QTest::newRow("a required option and a flag") << "--acquire tds"
                                                      << "p --acquire tds --port P [--fast]"
                                                      << " | --port P!, --fast | ";
        QTest::newRow("repeated files") << "x"
                                        << "p x [FILE]..."
                                        << " |  | [FILE]...";
        QTest::newRow("other words") << "--fit"
                                     << "p --save OUT"
                                     << "refused";
        QTest::newRow("bracket left open") << "--fit"
                                           << "p --fit [--slot N"
                                           << "refused";
        QTest::newRow("nested brackets") << "--fit"
                                         << "p --fit [--slot [N]]"
                                         << "refused";
        QTest::newRow("option twice") << "--fit"
                                      << "p --fit [--a] [--a]"
                                      << "refused";
        QTest::newRow("words after a repeat") << "x"
                                              << "p x [A]... B"
                                              << "refused";
    }
    void usageLines() {
        QFETCH(QString, words);
        QFETCH(QString, line);
        QFETCH(QString, read);
        CommandUsage usage;
        QString error;
        if (!ReadUsageLine(line, words, &usage, &error)) {
            QCOMPARE(QStringLiteral("refused"), read);
            QVERIFY(!error.isEmpty());
            return;
        }
        QStringList options;
        for (const UsageOption& option : usage.options)
            options << (option.name + (option.value.isEmpty() ? QString() : " " + option.value) +
                        (option.required ? "!" : ""));
        QString operands = usage.operands.join(QLatin1Char(' '));
        if (usage.operandsRepeat) operands += QStringLiteral("...");
        QCOMPARE(usage.arguments.join(' ') + " | " + options.join(", ") + " | " + operands, read);
    }

    // A name means one thing in the whole table.
    void inconsistentTables_data() {
        QTest::addColumn<QStringList>("lines"); // "words=line"
        QTest::newRow("a value here, a flag there")
            << QStringList{"--a=p --a [--x V] IN", "--b=p --b [--x] IN"};
        QTest::newRow("a command that takes a word, an option that takes none")
            << QStringList{"--save=p --save OUT [IN]", "--b=p --b [--save] IN"};
        QTest::newRow("a command word that counts differently")
            << QStringList{"--acquire a=p --acquire a", "--acquire=p --acquire X"};
        QTest::newRow("the help taken") << QStringList{"--a=p --a [--help]"};
        QTest::newRow("a line twice") << QStringList{"--a=p --a IN", "--a=p --a IN"};
    }
    void inconsistentTables() {
        QFETCH(QStringList, lines);
        QList<CommandUsage> table;
        for (const QString& entry : lines) {
            CommandUsage usage;
            QString error;
            QVERIFY2(ReadUsageLine(entry.section('=', 1), entry.section('=', 0, 0), &usage, &error),
                     qPrintable(error));
            table << usage;
        }
        QVERIFY(!CheckUsageTable(table, nullptr).isEmpty());
    }

    // Help paragraphs and entries fit 79 columns, as help2man and terminals expect.
    void helpLayout() {
        const QString text = FormatHelp({"p --a", "p --b"},
                                        {{QString(200, 'x').replace("xxxxxxxxx", "xxxxxxxx "), {}},
                                         {"Options:",
                                          {{"--a", QString(100, 'y').replace("yyyy", "yyy ")},
                                           {"--a-very-long-option VALUE", "text"},
                                           {"--b", ""}}}});
        const QStringList lines = text.split('\n');
        QCOMPARE(lines.at(0), QStringLiteral("Usage: p --a"));
        QCOMPARE(lines.at(1), QStringLiteral("  or:  p --b"));
        for (const QString& line : lines)
            QVERIFY2(line.size() <= 79, qPrintable(line));
        QVERIFY(text.contains("\n  --a" + QString(17, ' ') + "yyy yyy"));
        QVERIFY(text.contains("\n  --a-very-long-option VALUE\n                      text\n"));
        QVERIFY(text.endsWith("text\n  --b\n")); // a row without its text keeps its name
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
