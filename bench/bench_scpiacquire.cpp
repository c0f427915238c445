// A two-channel SCPI acquisition (CH1 and CH2) from the simulated Rigol and
// Keysight scopes on a loopback socket, through the controller the dialog and
// `lineatix --acquire scpi` share: from the opening of the link (*IDN?, the
// display queries) to "Fin d'acquisition.". Replies are complete at their line
// feed or at the end their block declares, so nothing waits on idle windows:
// the figure is the exchanges and the conversion themselves.
//
// Side by side against the same simulator, sigrok-cli's rigol-ds driver reads
// the two displayed channels of one frame, as a process (its driver reads
// the displayed record, 1200 points a channel). Our batch command is timed as
// a process too, so that process start-up is on both sides of that comparison.
//
//   bench_scpiacquire [RUNS]   medians over RUNS runs of each (default 7)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/scpi/scpicontroller.h"

namespace {

using State = CScpiAcquisition::State;

struct Simulator {
    QProcess process;
    QString address; // 127.0.0.1:PORT
    ~Simulator() {
        process.terminate();
        process.waitForFinished(3000);
    }
    QString Port() const { return address.section(QLatin1Char(':'), -1); }
};

std::unique_ptr<Simulator> StartSimulator(const QString& instrument, const QStringList& options) {
    auto sim = std::make_unique<Simulator>();
    sim->process.start(QStringLiteral(LINEATIX_SIM_PATH),
                       QStringList{instrument, QStringLiteral("--tcp"), QStringLiteral("0")} +
                           options);
    if (!sim->process.waitForStarted(5000)) return nullptr;
    while (!sim->process.canReadLine() && sim->process.waitForReadyRead(5000)) {
    }
    sim->address = QString::fromLocal8Bit(sim->process.readLine()).trimmed();
    if (!sim->address.startsWith(QStringLiteral("127.0.0.1:"))) return nullptr;
    return sim;
}

struct Acquired {
    double ms = -1;  // -1: the acquisition did not end with "Fin d'acquisition."
    QString summary; // the message's lines after "Fin d'acquisition."
};

Acquired AcquireOnce(CZbApp& app) {
    CZbDoc doc(&app);
    doc.m_nScopePort = 0;
    QElapsedTimer clock;
    clock.start();
    CScpiAcqController controller(&doc);
    CScpiAcquisition& acquisition = controller.Acquisition();
    controller.Open();
    controller.RunWhileWaiting();
    Acquired result;
    if (acquisition.CurrentState() != State::Ready) {
        result.summary = acquisition.m_strMessage;
        return result;
    }
    for (int channel = 1; channel <= CScpiAcquisition::kChannels; ++channel)
        if (!acquisition.Checked(channel)) controller.SetChannel(channel, true);
    controller.Acquire();
    controller.RunWhileWaiting();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    result.summary = acquisition.m_strMessage;
    if (!acquisition.m_strMessage.startsWith(QStringLiteral("Fin d'acquisition.")) ||
        acquisition.StoredMask() != (kChannelCh1 | kChannelCh2) || doc.m_nPoints <= 0)
        return result;
    result.summary = acquisition.m_strMessage.section(QLatin1Char('\n'), 1).replace('\n', "; ");
    result.ms = ms;
    return result;
}

// Milliseconds of a whole process run that exits 0, or -1 (its standard error shown once).
double RunProcessMs(const QString& program, const QStringList& arguments) {
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(5000) || !process.waitForFinished(60000)) return -1;
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed:\n%s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return -1;
    }
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// The median of runs of work, after one warm-up; -1 when a run failed.
template <typename Work> double MedianOf(int runs, Work work) {
    if (work() < 0) return -1;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double ms = work();
        if (ms < 0) return -1;
        times.push_back(ms);
    }
    return Median(times);
}

// Rows (not counting the header) of analog values sigrok-cli wrote, and their columns.
void CountCsv(const QString& path, int* rows, int* columns) {
    QFile file(path);
    *rows = *columns = 0;
    if (!file.open(QIODevice::ReadOnly)) return;
    // Its CSV mixes comment lines and lines such as "A0: -10.0000 V DC" into the values.
    static const QRegularExpression values(QStringLiteral("^-?[0-9.eE+-]+(,-?[0-9.eE+-]+)+$"));
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        if (!values.match(line).hasMatch()) continue;
        ++*rows;
        *columns = int(line.count(QLatin1Char(',')) + 1);
    }
}

struct Row {
    QString name;
    QString instrument;
    QStringList options;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const QString sigrok = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));
    QTemporaryDir dir;
    int failures = 0;

    const Row rows[] = {
        {QStringLiteral("Rigol DS1104Z, 12000-point memory"), QStringLiteral("rigol"), {}},
        {QStringLiteral("Rigol DS1104Z, 600000-point memory"),
         QStringLiteral("rigol"),
         {QStringLiteral("--depth"), QStringLiteral("600000")}},
        {QStringLiteral("Keysight DSOX1204G"), QStringLiteral("keysight"), {}},
    };
    for (const Row& row : rows) {
        std::unique_ptr<Simulator> sim = StartSimulator(row.instrument, row.options);
        if (!sim) {
            std::fprintf(stderr, "lineatix-sim %s did not start\n", qPrintable(row.instrument));
            return 1;
        }
        std::printf("%s (lineatix-sim %s on %s)\n", qPrintable(row.name),
                    qPrintable((QStringList{row.instrument} + row.options).join(' ')),
                    qPrintable(sim->address));

        CZbApp app;
        app.m_ports.OverrideDevicePath(0, sim->address);
        QString summary;
        const double ours = MedianOf(runs, [&] {
            const Acquired acquired = AcquireOnce(app);
            summary = acquired.summary;
            if (acquired.ms < 0)
                std::fprintf(stderr, "  acquisition failed: %s\n", qPrintable(summary));
            return acquired.ms;
        });
        if (ours < 0) {
            ++failures;
            continue;
        }
        std::printf("  ours, in-process: median %.1f ms (target under 200 ms)  [%s]\n", ours,
                    qPrintable(summary));

        const QString saved = dir.filePath(QStringLiteral("scan.cod"));
        const double batch = MedianOf(runs, [&] {
            return RunProcessMs(QStringLiteral(LINEATIX_PATH),
                                {"--acquire", "scpi", "--port", sim->address, "--channels",
                                 "CH1,CH2", "--save", saved});
        });
        std::printf("  ours, lineatix --acquire scpi as a process: median %.1f ms\n", batch);

        if (row.instrument != QStringLiteral("rigol")) continue; // no sigrok driver
        if (sigrok.isEmpty()) {
            std::printf("  sigrok-cli not found: no comparison\n");
            continue;
        }
        // Its driver reads the displayed record of each channel (1200 points); its
        // memory mode does not end against the simulator, so it is left out.
        const QString csv = dir.filePath(QStringLiteral("frame.csv"));
        const QStringList arguments = {"-d",       "rigol-ds:conn=tcp-raw/127.0.0.1/" + sim->Port(),
                                       "--frames", "1",
                                       "-O",       "csv",
                                       "-o",       csv};
        const double theirs = MedianOf(runs, [&] { return RunProcessMs(sigrok, arguments); });
        if (theirs < 0) {
            ++failures;
            continue;
        }
        int values = 0, columns = 0;
        CountCsv(csv, &values, &columns);
        std::printf("  sigrok-cli rigol-ds --frames 1 -O csv: median %.1f ms, %d rows of %d "
                    "columns; sigrok / ours: %.1f (in-process), %.2f (process to process)\n",
                    theirs, values, columns, theirs / ours, batch > 0 ? theirs / batch : 0.0);
    }
    return failures == 0 ? 0 : 1;
}
