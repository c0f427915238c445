#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The one command-line reader of the batch commands and the simulators:
// "--name value" options (a name may repeat), "--flag" switches and
// positional arguments, in any order.
struct OptionRules {
    QStringList valueOptions; // "--save", "--port"...
    QStringList flags;        // "--inverted"...
    int minPositional = 0;
    int maxPositional = 0;
};

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

// Reads arguments[from...]; false on an unknown option, an option without its
// value, or a count of positional arguments outside the rules' range.
bool ParseOptions(const QStringList& arguments, int from, const OptionRules& rules,
                  ParsedOptions* parsed);
