#include "common/options.h"

#include <algorithm>

namespace {

// A word a user meant as an option: "--name", "-h". A lone "-" and negative
// numbers ("-0.5") are plain words.
bool IsOptionWord(const QString& word) {
    if (word.startsWith(QLatin1String("--"))) return word.size() > 2;
    return word.size() >= 2 && word.at(0) == QLatin1Char('-') && word.at(1).isLetter();
}

bool IsBlank(const QString& word) {
    return word.trimmed().isEmpty();
}

// One word of a usage line, or a bracketed group of them.
struct UsageElement {
    QStringList tokens;
    bool optional = false;
    bool repeat = false;
};

bool SplitElements(const QStringList& tokens, QList<UsageElement>* elements, QString* error) {
    for (int k = 0; k < tokens.size(); ++k) {
        UsageElement element;
        QString token = tokens.at(k);
        if (!token.startsWith(QLatin1Char('['))) {
            if (token.contains(QLatin1Char('[')) || token.contains(QLatin1Char(']'))) {
                *error = QStringLiteral("crochet mal placé : %1").arg(token);
                return false;
            }
            element.tokens << token;
            *elements << element;
            continue;
        }
        element.optional = true;
        token.remove(0, 1);
        for (;;) {
            if (token.endsWith(QLatin1String("]..."))) {
                element.repeat = true;
                token.chop(4);
                element.tokens << token;
                break;
            }
            if (token.endsWith(QLatin1Char(']'))) {
                token.chop(1);
                element.tokens << token;
                break;
            }
            element.tokens << token;
            if (++k >= tokens.size()) {
                *error = QStringLiteral("crochet non fermé");
                return false;
            }
            token = tokens.at(k);
        }
        for (const QString& inner : element.tokens)
            if (inner.isEmpty() || inner.contains(QLatin1Char('[')) ||
                inner.contains(QLatin1Char(']'))) {
                *error = QStringLiteral("crochets imbriqués ou vides");
                return false;
            }
        *elements << element;
    }
    return true;
}

// "--name=value" as name and value.
void SplitInlineValue(const QString& word, QString* name, QString* value, bool* hasValue) {
    const int equals =
        word.startsWith(QLatin1String("--")) ? int(word.indexOf(QLatin1Char('='))) : -1;
    *hasValue = equals > 2;
    *name = *hasValue ? word.left(equals) : word;
    *value = *hasValue ? word.mid(equals + 1) : QString();
}

// Words each name takes after it when the arguments are scanned for the
// command: one for an option with a value, a command's own arguments.
QMap<QString, int> Arities(const QList<CommandUsage>& commands, const CommandUsage* own) {
    QMap<QString, int> arities;
    auto addOptions = [&](const CommandUsage& usage) {
        for (const UsageOption& option : usage.options)
            arities.insert(option.name, option.value.isEmpty() ? 0 : 1);
    };
    for (const CommandUsage& usage : commands) {
        addOptions(usage);
        arities.insert(usage.words.first(), int(usage.words.size() - 1 + usage.arguments.size()));
    }
    if (own) addOptions(*own);
    return arities;
}

CommandLine Failure(const QString& error, const QStringList& usage) {
    CommandLine line;
    line.kind = CommandLine::UsageError;
    line.error = error;
    line.usage = usage;
    return line;
}

QStringList Lines(const QList<CommandUsage>& commands, const QList<int>& rows) {
    QStringList lines;
    for (int row : rows)
        lines << commands.at(row).line;
    return lines;
}

// The names of the lines that have the option, for "--zoom s'emploie avec ...".
QStringList LinesWithOption(const QList<CommandUsage>& commands, const CommandUsage* own,
                            const QString& name) {
    QStringList names;
    for (const CommandUsage& usage : commands)
        if (usage.FindOption(name) && !names.contains(usage.words.first()))
            names << usage.words.first();
    if (own && own->FindOption(name)) names << QStringLiteral("%1 sans commande").arg(own->program);
    return names;
}

// The arguments read against one line; command is the index of the
// command's first word in the arguments (-1 for the line without a command).
CommandLine ReadAgainst(const QList<CommandUsage>& commands, const CommandUsage* own,
                        const CommandUsage& usage, int command, const QStringList& arguments) {
    const QStringList shown{usage.line};
    QStringList ownArguments;
    QList<QPair<QString, QString>> given; // name, value (null for a flag)
    QStringList operands;
    bool afterDashes = false;
    for (int k = 0; k < arguments.size();) {
        const QString& word = arguments.at(k);
        if (k == command) {
            k += int(usage.words.size());
            for (int i = 0; i < usage.arguments.size(); ++i, ++k) {
                if (k >= arguments.size() || IsOptionWord(arguments.at(k)) ||
                    arguments.at(k) == QLatin1String("--") || IsBlank(arguments.at(k)))
                    return Failure(QStringLiteral("%1 attend %2")
                                       .arg(usage.Name(), usage.arguments.join(QLatin1Char(' '))),
                                   shown);
                ownArguments << arguments.at(k);
            }
            continue;
        }
        ++k;
        if (!afterDashes && word == QLatin1String("--")) {
            afterDashes = true;
            continue;
        }
        if (afterDashes || !IsOptionWord(word)) {
            if (IsBlank(word)) return Failure(QStringLiteral("argument vide"), shown);
            operands << word;
            continue;
        }
        QString name, value;
        bool inlineValue = false;
        SplitInlineValue(word, &name, &value, &inlineValue);
        const UsageOption* option = usage.FindOption(name);
        if (!option) {
            if (!usage.words.isEmpty() && name == usage.words.first())
                return Failure(QStringLiteral("%1 est donné deux fois").arg(name), shown);
            const QStringList users = LinesWithOption(commands, own, name);
            if (users.isEmpty())
                return Failure(QStringLiteral("option inconnue : %1").arg(name), shown);
            return Failure(QStringLiteral("%1 s'emploie avec %2")
                               .arg(name, users.join(QStringLiteral(" ou "))),
                           shown);
        }
        bool again = false;
        for (const auto& earlier : given)
            again = again || earlier.first == name;
        if (again && !option->repeatable)
            return Failure(QStringLiteral("%1 est donné deux fois").arg(name), shown);
        if (option->value.isEmpty()) {
            if (inlineValue)
                return Failure(QStringLiteral("%1 ne prend pas de valeur").arg(name), shown);
            given << qMakePair(name, QString());
            continue;
        }
        if (!inlineValue) {
            if (k < arguments.size() && !IsOptionWord(arguments.at(k)) &&
                arguments.at(k) != QLatin1String("--"))
                value = arguments.at(k++);
            else
                value.clear();
        }
        if (IsBlank(value))
            return Failure(QStringLiteral("%1 attend %2").arg(name, option->value), shown);
        given << qMakePair(name, value);
    }

    for (const UsageOption& option : usage.options) {
        bool present = false;
        for (const auto& earlier : given)
            present = present || earlier.first == option.name;
        if (option.required && !present)
            return Failure(
                QStringLiteral("%1 demande %2 %3").arg(usage.Name(), option.name, option.value),
                shown);
    }
    QStringList required;
    for (const QString& operand : usage.operands)
        if (!operand.startsWith(QLatin1Char('['))) required << operand;
    if (operands.size() < required.size())
        return Failure(QStringLiteral("il manque %1").arg(required.at(int(operands.size()))),
                       shown);
    if (operands.size() > usage.operands.size() && !usage.operandsRepeat)
        return Failure(
            QStringLiteral("argument en trop : %1").arg(operands.at(int(usage.operands.size()))),
            shown);

    CommandLine line;
    line.kind = CommandLine::Run;
    line.arguments = usage.words + ownArguments;
    for (const auto& option : given) {
        line.arguments << option.first;
        if (option.second.isNull()) {
            line.parsed.flags.insert(option.first);
        } else {
            line.arguments << option.second;
            line.parsed.values[option.first] << option.second;
        }
    }
    if (std::any_of(operands.begin(), operands.end(),
                    [](const QString& operand) { return operand.startsWith(QLatin1Char('-')); }))
        line.arguments << QStringLiteral("--");
    line.arguments << operands;
    line.parsed.positional = ownArguments + operands;
    return line;
}

// Words of a paragraph in lines of at most width characters.
QStringList Wrap(const QString& text, int width) {
    QStringList lines;
    QString current;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!current.isEmpty() && current.size() + 1 + word.size() > width) {
            lines << current;
            current.clear();
        }
        current += (current.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!current.isEmpty()) lines << current;
    return lines;
}

constexpr int kHelpWidth = 79;
constexpr int kHelpTextColumn = 22; // help2man reads 20 or more spaces as a description

} // namespace

const UsageOption* CommandUsage::FindOption(const QString& name) const {
    for (const UsageOption& option : options)
        if (option.name == name) return &option;
    return nullptr;
}

bool ReadUsageLine(const QString& line, const QString& words, CommandUsage* usage, QString* error) {
    *usage = CommandUsage();
    usage->line = line;
    const QStringList tokens = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    usage->words = words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const int head = int(1 + usage->words.size());
    if (tokens.size() < head || tokens.mid(1, head - 1) != usage->words) {
        *error = QStringLiteral("la ligne ne commence pas par le programme et « %1 »").arg(words);
        return false;
    }
    usage->program = tokens.first();
    QList<UsageElement> elements;
    if (!SplitElements(tokens.mid(head), &elements, error)) return false;

    bool ownArguments = true; // still in the words that follow the command
    for (int k = 0; k < elements.size(); ++k) {
        const UsageElement& element = elements.at(k);
        const QString& first = element.tokens.first();
        if (first.startsWith(QLatin1String("--"))) {
            ownArguments = false;
            UsageOption option;
            option.name = first;
            option.required = !element.optional;
            option.repeatable = element.repeat;
            if (element.optional) {
                if (element.tokens.size() > 2) {
                    *error = QStringLiteral("%1 : une seule valeur").arg(first);
                    return false;
                }
                option.value = element.tokens.value(1);
            } else if (k + 1 < elements.size() && !elements.at(k + 1).optional &&
                       !elements.at(k + 1).tokens.first().startsWith(QLatin1Char('-'))) {
                option.value = elements.at(++k).tokens.first();
            }
            if (option.name.size() < 3 || option.name.contains(QLatin1Char('=')) ||
                usage->FindOption(option.name)) {
                *error = QStringLiteral("option mal écrite ou répétée : %1").arg(first);
                return false;
            }
            usage->options << option;
            continue;
        }
        if (element.tokens.size() != 1 || first.startsWith(QLatin1Char('-'))) {
            *error = QStringLiteral("argument mal écrit : %1").arg(element.tokens.join(' '));
            return false;
        }
        if (element.optional) ownArguments = false;
        if (usage->operandsRepeat) {
            *error = QStringLiteral("« ... » ne va qu'au dernier fichier");
            return false;
        }
        if (ownArguments) {
            usage->arguments << first;
        } else {
            usage->operands << (element.optional ? QStringLiteral("[%1]").arg(first) : first);
            usage->operandsRepeat = element.repeat;
        }
    }
    // A line of plain words ends with the file the command reads.
    if (ownArguments && !usage->arguments.isEmpty()) usage->operands << usage->arguments.takeLast();
    usage->requiredOperands = 0;
    for (const QString& operand : usage->operands)
        if (!operand.startsWith(QLatin1Char('['))) ++usage->requiredOperands;
    return true;
}

QString CheckUsageTable(const QList<CommandUsage>& commands, const CommandUsage* own) {
    QMap<QString, int> arities;
    auto check = [&](const QString& name, int arity, const QString& line) {
        if (name == QLatin1String("--help") || name == QLatin1String("--version"))
            return QStringLiteral("%1 est réservé : %2").arg(name, line);
        if (arities.contains(name) && arities.value(name) != arity)
            return QStringLiteral("%1 ne prend pas partout autant de mots : %2").arg(name, line);
        arities.insert(name, arity);
        return QString();
    };
    QList<CommandUsage> all = commands;
    if (own) {
        if (!own->words.isEmpty()) return QStringLiteral("la ligne sans commande a une commande");
        all << *own;
    }
    QMap<QString, int> wordCounts;
    for (int row = 0; row < all.size(); ++row) {
        const CommandUsage& usage = all.at(row);
        for (const UsageOption& option : usage.options) {
            const QString problem = check(option.name, option.value.isEmpty() ? 0 : 1, usage.line);
            if (!problem.isEmpty()) return problem;
        }
        for (int other = 0; other < row; ++other)
            if (all.at(other).line == usage.line)
                return QStringLiteral("ligne répétée : %1").arg(usage.line);
        if (row >= commands.size()) continue; // the line without a command
        if (usage.words.isEmpty()) return QStringLiteral("commande sans nom : %1").arg(usage.line);
        const QString first = usage.words.first();
        if (wordCounts.contains(first) && wordCounts.value(first) != usage.words.size())
            return QStringLiteral("%1 : nombre de mots variable").arg(first);
        wordCounts.insert(first, int(usage.words.size()));
        const QString problem =
            check(first, int(usage.words.size() - 1 + usage.arguments.size()), usage.line);
        if (!problem.isEmpty()) return problem;
    }
    return QString();
}

CommandLine ReadCommandLine(const QList<CommandUsage>& commands, const CommandUsage* own,
                            const QStringList& arguments) {
    const QMap<QString, int> arities = Arities(commands, own);
    QMap<QString, QList<int>> rowsByWord;
    for (int row = 0; row < commands.size(); ++row)
        rowsByWord[commands.at(row).words.first()] << row;

    // The command words present, outside the values of options.
    QStringList found;
    QMap<QString, int> firstAt;
    for (int k = 0; k < arguments.size(); ++k) {
        const QString& word = arguments.at(k);
        if (word == QLatin1String("--")) break;
        QString name, value;
        bool inlineValue = false;
        if (IsOptionWord(word)) {
            SplitInlineValue(word, &name, &value, &inlineValue);
            CommandLine line;
            if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
                line.kind = CommandLine::Help;
                return line;
            }
            if (name == QLatin1String("--version")) {
                line.kind = CommandLine::Version;
                return line;
            }
        } else {
            name = word;
        }
        if (rowsByWord.contains(name) && !inlineValue && !firstAt.contains(name)) {
            found << name;
            firstAt.insert(name, k);
        }
        if (!IsOptionWord(word) && !rowsByWord.contains(name)) continue;
        // A value is never an option: "--save --help" asks for the help.
        for (int skip = arities.value(name) - (inlineValue ? 1 : 0);
             skip > 0 && k + 1 < arguments.size() && !IsOptionWord(arguments.at(k + 1)) &&
             arguments.at(k + 1) != QLatin1String("--");
             --skip)
            ++k;
    }

    if (found.isEmpty()) {
        if (own) return ReadAgainst(commands, own, *own, -1, arguments);
        QStringList names;
        for (const CommandUsage& usage : commands)
            if (!names.contains(usage.words.first())) names << usage.words.first();
        QList<int> all;
        for (int row = 0; row < commands.size(); ++row)
            all << row;
        if (!arguments.isEmpty() && !IsOptionWord(arguments.first()))
            return Failure(QStringLiteral("commande inconnue : %1").arg(arguments.first()),
                           Lines(commands, all));
        return Failure(
            QStringLiteral("il manque la commande (%1)").arg(names.join(QStringLiteral(", "))),
            Lines(commands, all));
    }
    QStringList chosen;
    for (const QString& candidate : found) {
        bool optionOfAnother = false;
        for (const QString& other : found)
            for (int row : rowsByWord.value(other))
                optionOfAnother = optionOfAnother ||
                                  (other != candidate && commands.at(row).FindOption(candidate));
        if (!optionOfAnother) chosen << candidate;
    }
    if (chosen.size() != 1) {
        const QStringList named = chosen.isEmpty() ? found : chosen;
        QList<int> rows;
        for (const QString& name : named)
            rows << rowsByWord.value(name);
        return Failure(QStringLiteral("une seule commande à la fois : %1")
                           .arg(named.join(QStringLiteral(", "))),
                       Lines(commands, rows));
    }

    const QString name = chosen.first();
    const int at = firstAt.value(name);
    const QList<int> rows = rowsByWord.value(name);
    for (int row : rows) {
        const CommandUsage& usage = commands.at(row);
        if (arguments.mid(at, usage.words.size()) != usage.words) continue;
        CommandLine line = ReadAgainst(commands, own, usage, at, arguments);
        line.command = row;
        return line;
    }
    QStringList kinds;
    for (int row : rows)
        kinds << commands.at(row).words.mid(1).join(QLatin1Char(' '));
    return Failure(QStringLiteral("%1 attend %2").arg(name, kinds.join(QLatin1Char('|'))),
                   Lines(commands, rows));
}

QString FormatHelp(const QStringList& usageLines, const QList<HelpSection>& sections) {
    QString text;
    for (int k = 0; k < usageLines.size(); ++k)
        text += (k == 0 ? QStringLiteral("Usage: ") : QStringLiteral("  or:  ")) +
                usageLines.at(k) + QLatin1Char('\n');
    const QString indent(kHelpTextColumn, QLatin1Char(' '));
    for (const HelpSection& section : sections) {
        text += QLatin1Char('\n');
        if (section.rows.isEmpty()) {
            for (const QString& line : Wrap(section.title, kHelpWidth))
                text += line + QLatin1Char('\n');
            continue;
        }
        if (!section.title.isEmpty()) text += section.title + QLatin1Char('\n');
        for (const auto& row : section.rows) {
            QString head = QStringLiteral("  ") + row.first;
            const QStringList lines = Wrap(row.second, kHelpWidth - kHelpTextColumn);
            if (head.size() + 2 > kHelpTextColumn) {
                text += head + QLatin1Char('\n');
                head = indent;
            } else {
                head = head.leftJustified(kHelpTextColumn);
            }
            if (lines.isEmpty()) text += head.trimmed().prepend(QStringLiteral("  ")) + '\n';
            for (int k = 0; k < lines.size(); ++k)
                text += (k == 0 ? head : indent) + lines.at(k) + QLatin1Char('\n');
        }
    }
    return text;
}

QString FormatUsageError(const CommandLine& line, const QString& program) {
    QString text = QStringLiteral("%1: %2\n").arg(program, line.error);
    for (int k = 0; k < line.usage.size(); ++k)
        text += (k == 0 ? QStringLiteral("Usage: ") : QStringLiteral("  or:  ")) +
                line.usage.at(k) + QLatin1Char('\n');
    text += QStringLiteral("« %1 --help » décrit toutes les commandes.\n").arg(program);
    return text;
}

bool ParseOptions(const QStringList& arguments, int from, const OptionRules& rules,
                  ParsedOptions* parsed) {
    *parsed = ParsedOptions();
    bool afterDashes = false;
    for (int k = from; k < arguments.size(); ++k) {
        const QString& argument = arguments.at(k);
        if (afterDashes) {
            parsed->positional << argument;
        } else if (argument == QLatin1String("--")) {
            afterDashes = true;
        } else if (rules.valueOptions.contains(argument)) {
            if (k + 1 >= arguments.size()) return false;
            parsed->values[argument] << arguments.at(++k);
        } else if (rules.flags.contains(argument)) {
            parsed->flags.insert(argument);
        } else if (argument.startsWith(QLatin1String("--"))) {
            return false;
        } else {
            parsed->positional << argument;
        }
    }
    const int count = int(parsed->positional.size());
    return count >= rules.minPositional && count <= rules.maxPositional;
}
