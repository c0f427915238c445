// Placeholder until this acquisition runs without a window.

#include "app/batch.h"
#include "app/batchcommands.h"

int AcquireGdsCommand(const QStringList& arguments) {
    (void)arguments;
    PrintBatchError(QStringLiteral("Acquisition pas encore disponible."));
    return 1;
}
