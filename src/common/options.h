#pragma once

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The one command-line reader of the program and the simulators.
//
// Each command is one usage line, which is also its grammar:
//   lineatix --fit CURVE FROM TO DEGREE [--slot N] [--save OUT.cod] IN.cod
// After the program's name come the command's words ("--fit", or
// "--acquire tds"), then its own arguments: the required words up to its
// first option or optional word; they follow the command directly on the
// command line. Options ("--name VALUE", "--flag"; in brackets when optional,
// "..." after the bracket when they may repeat) and the operands (every other
// word: the files the command reads, "[IN.cod]" when optional) may stand
// anywhere around the command. A required word that ends the line is an
// operand ("--export-txt OUT.txt IN.cod"). A program may have a line without
// a command (the window), taken when no command is named.

struct UsageOption {
    QString name;  // "--zoom"
    QString value; // "XMIN,YMIN,XMAX,YMAX"; empty for a flag
    bool required = false;
    bool repeatable = false;
};

struct CommandUsage {
    QString line;          // the usage line as written
    QString program;       // "lineatix"
    QStringList words;     // "--acquire", "tds"; empty for the line without a command
    QStringList arguments; // own arguments: "CURVE", "FROM", "TO", "DEGREE"
    QList<UsageOption> options;
    QStringList operands; // "IN.cod"
    int requiredOperands = 0;
    bool operandsRepeat = false; // "[FILE]..."

    const UsageOption* FindOption(const QString& name) const;
    // "--fit", "--acquire tds", or the program's name.
    QString Name() const { return words.isEmpty() ? program : words.join(QLatin1Char(' ')); }
};

// Reads a usage line whose command is words (space-separated; empty for the
// line without a command). False with *error when the line does not follow
// the form above or does not start with its program and words.
bool ReadUsageLine(const QString& line, const QString& words, CommandUsage* usage, QString* error);

// What a table of usage lines allows as a whole: every name has one arity
// (an option takes a value everywhere or nowhere; a command that is also an
// option of another takes as many words as that option). Empty when it is
// consistent, else the first problem.
QString CheckUsageTable(const QList<CommandUsage>& commands, const CommandUsage* own);

struct ParsedOptions {
    QMap<QString, QStringList> values; // every value given, in order
    QSet<QString> flags;
    QStringList positional;

    bool Has(const QString& name) const { return values.contains(name) || flags.contains(name); }
    // The last value given for the option, or fallback.
    QString Value(const QString& name, const QString& fallback = QString()) const {
        const QStringList given = values.value(name);
        return given.isEmpty() ? fallback : given.last();
    }
};

// The command a whole command line asks for.
//
// "--help" (or "-h") and "--version" anywhere, outside a value, ask for the
// help or the version. The command is the command word found among the
// arguments that is not an option of another command word also found
// ("--decode --save OUT.cod IN.cod" is --decode; "--save OUT.cod IN.cod" is
// --save); two commands at once are a usage error, and none means the line
// without a command. Then the arguments must follow that command's line:
// "--name=value" stands for "--name value"; after "--" every word is an
// operand; an unknown option, an option of another command, a missing or
// blank value or argument, a value that is an option, an option given twice
// that does not repeat, a missing required option, too many or too few
// operands are usage errors.
struct CommandLine {
    enum Kind { Run, Help, Version, UsageError };
    Kind kind = UsageError;
    int command = -1;      // index in the table; -1 for the line without a command
    ParsedOptions parsed;  // positional: the own arguments, then the operands
    QStringList arguments; // as the command reads them: its words, its own arguments,
                           // the options as given, then "--" (when an operand starts
                           // with "-") and the operands
    QString error;         // for a usage error
    QStringList usage;     // the usage lines to show with the error
};
CommandLine ReadCommandLine(const QList<CommandUsage>& commands, const CommandUsage* own,
                            const QStringList& arguments);

// The text of --help: usage lines ("Usage:", then "  or:  "), paragraphs,
// and sections of entries ("  NAME  text", text wrapped at 79 columns), in
// the form help2man turns into a manual page.
struct HelpSection {
    QString title;                       // "Commandes :", "Options:"; or a paragraph
    QList<QPair<QString, QString>> rows; // name, text
};
QString FormatHelp(const QStringList& usageLines, const QList<HelpSection>& sections);

// "PROGRAM: error", then the usage lines, for standard error.
QString FormatUsageError(const CommandLine& line, const QString& program);

// Reads arguments[from...] for a command whose line the command line already
// matched: "--name value" options (a name may repeat), "--flag" switches and
// positional arguments, in any order; after "--" only positional arguments.
// False on an unknown option, an option without its value, or a count of
// positional arguments outside the rules' range.
struct OptionRules {
    QStringList valueOptions; // "--save", "--port"...
    QStringList flags;        // "--inverted"...
    int minPositional = 0;
    int maxPositional = 0;
};
bool ParseOptions(const QStringList& arguments, int from, const OptionRules& rules,
                  ParsedOptions* parsed);
