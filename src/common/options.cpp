#include "common/options.h"

bool ParseOptions(const QStringList& arguments, int from, const OptionRules& rules,
                  ParsedOptions* parsed) {
    *parsed = ParsedOptions();
    for (int k = from; k < arguments.size(); ++k) {
        const QString& argument = arguments.at(k);
        if (rules.valueOptions.contains(argument)) {
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
    const int count = parsed->positional.size();
    return count >= rules.minPositional && count <= rules.maxPositional;
}
