// Placeholder until the simulated instrument is written.

#include <cstdio>

#include "sim/siminstrument.h"

int RunTdsSimulator(const QStringList& arguments) {
    (void)arguments;
    std::fprintf(stderr, "Simulateur pas encore disponible.\n");
    return 1;
}
