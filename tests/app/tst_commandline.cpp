// The command line of lineatix and lineatix-sim as a user meets it: the
// help, the version and usage errors without a display, options and files on
// either side of a command, and the README and manual pages that describe
// the same usage lines.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "testsupport.h"

namespace {

QString Exe(const QString& program) {
    return qEnvironmentVariable(program == QLatin1String("lineatix-sim") ? "LINEATIX_SIM"
                                                                         : "LINEATIX_EXE");
}

// Runs a program with no display of any kind: a window it tried to open
// would end it with Qt's abort.
ProcessResult RunWithoutDisplay(const QString& program, const QStringList& arguments,
                                const QString& folder = QString()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!folder.isEmpty()) process.setWorkingDirectory(folder);
    return RunProcess(process, Exe(program), arguments,
                      [&] { return process.waitForFinished(60000); });
}

QString Text(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

QString ProjectVersion() {
    static const QRegularExpression line(QStringLiteral("^CMAKE_PROJECT_VERSION:STATIC=(.*)$"),
                                         QRegularExpression::MultilineOption);
    const QByteArray cache = ReadFileBytes(qEnvironmentVariable("LINEATIX_BUILD_DIR") +
                                           QStringLiteral("/CMakeCache.txt"));
    return line.match(Text(cache)).captured(1).trimmed();
}

// The usage lines at the head of --help ("Usage: ", then "  or:  ").
QStringList HelpUsageLines(const QString& program) {
    const ProcessResult help = RunWithoutDisplay(program, {QStringLiteral("--help")});
    QStringList lines;
    for (const QString& line : Text(help.out).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Usage: ")))
            lines << line.mid(7);
        else if (line.startsWith(QLatin1String("  or:  ")))
            lines << line.mid(7);
        else
            break;
    }
    return lines;
}

// The first cells of the README's table rows that are commands of program,
// as the README writes them (Markdown's "\|" is a bar).
QStringList ReadmeUsageLines(const QString& program) {
    const QString readme = Text(
        ReadFileBytes(qEnvironmentVariable("LINEATIX_SOURCE_DIR") + QStringLiteral("/README.md")));
    static const QRegularExpression cell(QStringLiteral("^\\| `((?:[^`])*)` \\|"),
                                         QRegularExpression::MultilineOption);
    QStringList lines;
    for (auto match = cell.globalMatch(readme); match.hasNext();) {
        QString usage = match.next().captured(1);
        usage.replace(QLatin1String("\\|"), QLatin1String("|"));
        if (usage.section(QLatin1Char(' '), 0, 0) == program) lines << usage;
    }
    return lines;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;

    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

  private slots:
    // What the command line alone decides, never needing a display: the
    // stream that speaks and its first line.
    void answers_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stream"); // "out" or "err"; the other stays empty
        QTest::addColumn<QString>("firstLine");
        auto row = [](const char* name, const char* program, const QStringList& arguments,
                      int status, const char* stream, const char* firstLine) {
            QTest::newRow(name) << QString::fromLatin1(program) << arguments << status
                                << QString::fromLatin1(stream) << QString::fromUtf8(firstLine);
        };
        const char* usage = "Usage: lineatix [--com1 PATH] [--com2 PATH] [--simulated-card "
                            "CODE] [FILE.cod]";
        row("help", "lineatix", {"--help"}, 0, "out", usage);
        row("help after a file", "lineatix", {"essai.cod", "-h"}, 0, "out", usage);
        row("help of a command", "lineatix", {"--fit", "--help"}, 0, "out", usage);
        row("version", "lineatix", {"--version"}, 0, "out", "lineatix %1");
        row("unknown option", "lineatix", {"--bogus"}, 1, "err",
            "lineatix: option inconnue : --bogus");
        row("a command's option without it", "lineatix", {"--zoom", "0,0,1,1", "in.cod"}, 1, "err",
            "lineatix: --zoom s'emploie avec --print-pdf ou --render-png");
        row("a port without its device", "lineatix", {"--com2"}, 1, "err",
            "lineatix: --com2 attend PATH");
        row("two files for the window", "lineatix", {"a.cod", "b.cod"}, 1, "err",
            "lineatix: argument en trop : b.cod");
        row("a card code that is no code", "lineatix", {"--simulated-card", "123"}, 1, "err",
            "--simulated-card : le code doit avoir 13 chiffres.");
        row("own arguments missing", "lineatix", {"--fit", "CH1", "0", "in.cod"}, 1, "err",
            "lineatix: --fit attend CURVE FROM TO DEGREE");
        row("two commands", "lineatix", {"--decode", "--export-txt", "o.txt", "in.cod"}, 1, "err",
            "lineatix: une seule commande à la fois : --decode, --export-txt");
        row("an unknown kind", "lineatix", {"--acquire", "scope"}, 1, "err",
            "lineatix: --acquire attend tds|gds|scpi|leuze|pcmes3");
        row("an empty port", "lineatix", {"--acquire", "tds", "--port", ""}, 1, "err",
            "lineatix: --port attend COM1|COM2|PATH");
        row("an empty output", "lineatix", {"--decode", "--save", "", "in.cod"}, 1, "err",
            "lineatix: --save attend OUT.cod");
        row("simulator help", "lineatix-sim", {"--help"}, 0, "out",
            "Usage: lineatix-sim tds [--code CODE] [--code2 CODE] [--type 3xx|xxx] [--link PATH] "
            "[--tcp PORT]");
        row("simulator version", "lineatix-sim", {"--version"}, 0, "out", "lineatix-sim %1");
        row("no simulator", "lineatix-sim", {}, 1, "err",
            "lineatix-sim: il manque la commande (tds, gds, leuze, rigol, keysight)");
        row("unknown simulator", "lineatix-sim", {"scope"}, 1, "err",
            "lineatix-sim: commande inconnue : scope");
        row("simulator option", "lineatix-sim", {"tds", "--bogus"}, 1, "err",
            "lineatix-sim: option inconnue : --bogus");
        row("simulator value missing", "lineatix-sim", {"gds", "--pieces"}, 1, "err",
            "lineatix-sim: --pieces attend N");
    }
    void answers() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, stream);
        QFETCH(QString, firstLine);
        const ProcessResult result = RunWithoutDisplay(program, arguments, m_dir.path());
        QCOMPARE(result.exitCode, status);
        const QString spoken = Text(stream == QLatin1String("out") ? result.out : result.err);
        const QByteArray silent = stream == QLatin1String("out") ? result.err : result.out;
        QVERIFY2(silent.isEmpty(), silent.constData());
        QCOMPARE(spoken.section(QLatin1Char('\n'), 0, 0), firstLine.contains(QLatin1String("%1"))
                                                              ? firstLine.arg(ProjectVersion())
                                                              : firstLine);
        // A usage error shows the line to follow.
        if (status == 1 && spoken.startsWith(program + QLatin1Char(':')))
            QVERIFY2(spoken.section(QLatin1Char('\n'), 1, 1).startsWith(QLatin1String("Usage: ")),
                     qPrintable(spoken));
    }

    // Options and files on either side of the command, "--name=value".
    void ordersThatWork() {
        QVERIFY(m_dir.isValid());
        const QString in = Path("in.cod");
        QCOMPARE(RunWithoutDisplay("lineatix", {"--save", in}).exitCode, 0);

        ProcessResult result = RunWithoutDisplay(
            "lineatix", {"--zoom", "0,0,1,1", "--print-pdf", Path("out.pdf"), in});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QVERIFY(ReadFileBytes(Path("out.pdf")).startsWith("%PDF-"));

        result = RunWithoutDisplay("lineatix", {in, "--save", Path("copy.cod")});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(ReadFileBytes(Path("copy.cod")), ReadFileBytes(in));

        result = RunWithoutDisplay(
            "lineatix", {"--size=200x100", in, "--render-png", Path("view.png"), "--zoom=0,0,1,1"});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(QImage(Path("view.png")).size(), QSize(200, 100));

        // --save before --decode is the decode's: the analysis runs (and finds
        // no scan in a new document), nothing is saved.
        result = RunWithoutDisplay("lineatix", {"--save", Path("decoded.cod"), "--decode", in});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(Text(result.err).contains(QStringLiteral("aucune acquisition à analyser")),
                 result.err.constData());
        QVERIFY(!QFile::exists(Path("decoded.cod")));

        // A file whose name starts with "-", after "--".
        result = RunWithoutDisplay("lineatix", {"--save", "--", "-x.cod"}, m_dir.path());
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(Text(result.err).contains(QStringLiteral("attend OUT.cod")),
                 result.err.constData());
        result =
            RunWithoutDisplay("lineatix", {"--export-txt", "o.txt", "--", "-x.cod"}, m_dir.path());
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(Text(result.err).contains(QStringLiteral("-x.cod")), result.err.constData());
        QVERIFY2(!Text(result.err).contains(QStringLiteral("Usage")), result.err.constData());
    }

    // The README's tables list exactly the usage lines --help gives.
    void readmeTablesMatchTheHelp_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("lineatix") << "lineatix";
        QTest::newRow("lineatix-sim") << "lineatix-sim";
    }
    void readmeTablesMatchTheHelp() {
        QFETCH(QString, program);
        const QStringList help = HelpUsageLines(program);
        QVERIFY(help.size() >= 3);
        const QStringList readme = ReadmeUsageLines(program);
        for (const QString& line : help)
            QVERIFY2(readme.contains(line), qPrintable(QStringLiteral("not in README: ") + line));
        for (const QString& line : readme)
            QVERIFY2(help.contains(line), qPrintable(QStringLiteral("not in --help: ") + line));
        QCOMPARE(readme.size(), help.size());
    }

    // The manual pages the build made from --help hold every usage line and
    // every command.
    void manualPages_data() { readmeTablesMatchTheHelp_data(); }
    void manualPages() {
        QFETCH(QString, program);
        if (QStandardPaths::findExecutable(QStringLiteral("help2man")).isEmpty())
            QSKIP("help2man is not installed: the build makes no manual page");
        const QString page =
            qEnvironmentVariable("LINEATIX_BUILD_DIR") + QStringLiteral("/man/%1.1").arg(program);
        QVERIFY2(QFile::exists(page), qPrintable(page));
        QVERIFY(QFile::exists(page + QStringLiteral(".gz")));
        QProcess man;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("1000"));
        man.setProcessEnvironment(environment);
        man.start(QStringLiteral("man"), {QStringLiteral("-l"), page});
        QVERIFY(man.waitForFinished(30000));
        QCOMPARE(man.exitCode(), 0);
        QStringList shown;
        for (const QString& line : Text(man.readAllStandardOutput()).split(QLatin1Char('\n')))
            shown << line.simplified();
        QVERIFY2(shown.contains(program.toUpper() + QStringLiteral("(1) User Commands ") +
                                program.toUpper() + QStringLiteral("(1)")),
                 qPrintable(shown.value(0)));
        for (const QString& line : HelpUsageLines(program))
            QVERIFY2(shown.contains(line), qPrintable(QStringLiteral("not in the page: ") + line));
        QVERIFY(shown.contains(QStringLiteral("affiche le nom et la version")) ||
                shown.contains(QStringLiteral("--version affiche le nom et la version")));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
