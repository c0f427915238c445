// Import of a deep-memory save: a 10-million-row two-channel CSV (about
// 300 MB, made here in a temporary folder and deleted at the end). Prints the
// median time of the reader in this process, the time and peak memory of
// `lineatix --import` against the program's own peak (`lineatix --save`), and
// sigrok-cli reading the same file with its CSV input module, as a ratio.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "benchtiming.h"
#include "importer/scopeimport.h"

namespace {

constexpr long long kRows = 10'000'000;

bool MakeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QByteArray block = "t,CH1,CH2\n";
    char line[64];
    for (long long row = 0; row < kRows; ++row) {
        // A 100 MS/s record of a scan: a square wave and its complement.
        const double volts = (row / 4000) % 2 ? 3.6 : 0.4;
        const int length = std::snprintf(line, sizeof line, "%.7e,%.4f,%.4f\n", row * 1e-8, volts,
                                         4.0 - volts + (row % 7) * 1e-3);
        block.append(line, length);
        if (block.size() > (1 << 22)) {
            if (file.write(block) != block.size()) return false;
            block.clear();
        }
    }
    return file.write(block) == block.size();
}

// Wall time of a program and its own peak resident memory (kB), from wait4.
struct Run {
    double ms = -1;
    long peakKb = 0;
    int status = -1;
};

Run RunChild(const QString& program, const QStringList& arguments) {
    Run run;
    QList<QByteArray> words{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        words << QFile::encodeName(argument);
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    // What the programs print is not the point; sigrok-cli prints every sample.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.ms = timer.nsecsElapsed() / 1e6;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKb = usage.ru_maxrss;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("deep.csv"));
    if (!MakeFile(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const double megabytes = QFileInfo(path).size() / 1e6;

    ScopeImport result;
    QString error;
    bool ok = true;
    const double inProcess = MedianMs(
        [&] {
            ok = ImportScopeFiles({path}, ScopeReadOptions(), &result, &error) ==
                     ScopeReadStatus::Read &&
                 ok;
        },
        3, 1);
    if (!ok) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // The program itself, against its own peak without an import.
    const QString lineatix =
        QFileInfo(QStringLiteral(LINEATIX_SIM_PATH)).dir().filePath(QStringLiteral("lineatix"));
    const Run own =
        RunChild(lineatix, {QStringLiteral("--save"), dir.filePath(QStringLiteral("empty.cod"))});
    const Run import = RunChild(lineatix, {QStringLiteral("--import"), path});
    const Run sigrok =
        RunChild(QStringLiteral("sigrok-cli"),
                 {QStringLiteral("-I"), QStringLiteral("csv:column_formats=t,2a"),
                  QStringLiteral("-i"), path, QStringLiteral("-O"), QStringLiteral("null")});
    std::printf("%lld rows x 2 channels, %.0f MB: reader %.0f ms (median of 3, %d points kept); "
                "lineatix --import %.0f ms, peak %ld kB against %ld kB for the program alone "
                "(+%.1f MB); sigrok-cli -I csv:column_formats=t,2a %.0f ms (exit %d): "
                "%.1f times the reader's time\n",
                kRows, megabytes, inProcess, int(result.channels[0].time.size()), import.ms,
                import.peakKb, own.peakKb, (import.peakKb - own.peakKb) / 1024.0, sigrok.ms,
                sigrok.status, sigrok.ms / inProcess);
    return import.status == 0 ? 0 : 1;
}
