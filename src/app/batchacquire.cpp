// lineatix --acquire KIND ...: an instrument acquisition without a window,
// through the acquisition dialog's own steps. Each kind reads its own options.

#include "app/batch.h"
#include "app/batchcommands.h"

namespace {

// Each kind reads the whole argument list.
const BatchCommand kKinds[] = {
    {"tds",
     "lineatix --acquire tds --port COM1|COM2|PATH [--channels LIST] [--type 3xx|xxx] "
     "[--timeout SECONDS] [--save OUT.cod] [IN.cod]",
     AcquireTdsCommand},
    {"gds",
     "lineatix --acquire gds --port COM1|COM2|PATH [--channels CH1,CH2] [--timeout SECONDS] "
     "[--save OUT.cod] [IN.cod]",
     AcquireGdsCommand},
    {"leuze",
     "lineatix --acquire leuze --port COM1|COM2|PATH [--timeout SECONDS] [--save OUT.cod] "
     "[IN.cod]",
     AcquireLeuzeCommand},
    {"pcmes3", "lineatix --acquire pcmes3 --simulated-card CODE [--save OUT.cod] [IN.cod]",
     AcquirePcmes3Command},
};

} // namespace

int AcquireCommand(const QStringList& arguments) {
    const QString kind = arguments.value(1);
    for (const BatchCommand& candidate : kKinds)
        if (kind == QLatin1String(candidate.option)) return RunBatch(candidate, arguments);
    return -1;
}
