// The Tektronix acquisition against the simulated oscilloscope on a
// pseudo-terminal, offscreen, and the cost of an open monitor window.
//
// The instrument answers at once, so an acquisition costs the idle windows
// the steps wait for: a reply is seen growing on one tick and complete after
// more than 20 (identification, curve) or 50 (preamble) ticks of 10 ms
// without growth; each source also takes one tick to start. The figure is
// the wall time against that floor. The monitor's figure is the CPU time of
// this process over a few seconds with a monitor window open on a port that
// stays silent.
//
//   bench_tdsacquire [RUNS]   median over RUNS acquisitions (default 5)
//   (LINEATIX_SIM names lineatix-sim; by default ../src/lineatix-sim)

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/serial/ui/serialmonitordlg.h"
#include "instruments/tektronix/tekacqcontroller.h"

namespace {

constexpr int kMonitorSeconds = 5;

struct Simulator {
    QProcess process;
    QString device;
    ~Simulator() {
        process.terminate();
        process.waitForFinished(3000);
    }
};

bool StartSimulator(Simulator* sim) {
    QString program = qEnvironmentVariable("LINEATIX_SIM");
    if (program.isEmpty())
        program = QCoreApplication::applicationDirPath() + "/../src/lineatix-sim";
    sim->process.start(program, {"tds"});
    if (!sim->process.waitForStarted(5000)) return false;
    while (!sim->process.canReadLine() && sim->process.waitForReadyRead(5000)) {
    }
    sim->device = QString::fromLocal8Bit(sim->process.readLine()).trimmed();
    return !sim->device.isEmpty();
}

void RunUntilIdle(CTekAcqController& controller) {
    if (!controller.TimerRunning()) return;
    QEventLoop loop;
    QObject::connect(&controller, &CTekAcqController::idle, &loop, &QEventLoop::quit);
    loop.exec();
}

// Milliseconds of one whole acquisition (opening to "Fin d'acquisition."), or -1.
double Acquire(CZbApp& app, int sources) {
    CZbDoc doc(&app);
    CTekAcqController controller(&doc);
    QElapsedTimer clock;
    clock.start();
    controller.Open();
    RunUntilIdle(controller);
    CTekAcquisition& acquisition = controller.m_acquisition;
    if (!acquisition.Identified()) return -1;
    for (int i = 0; i < kTekSourceCount; ++i)
        acquisition.SetChecked(i, i < sources);
    controller.SourceClicked();
    controller.Acquire();
    RunUntilIdle(controller);
    if (!acquisition.m_strMessage.startsWith(QStringLiteral("Fin d'acquisition."))) return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}

double FloorMs(int sources) {
    const int reply = 2; // the tick that sees it grow, and the one past the limit
    const int ticks = (CTekAcquisition::kIdentificationIdle + reply) +
                      sources * (1 + CTekAcquisition::kPreambleIdle + reply +
                                 CTekAcquisition::kCurveIdle + reply) +
                      1;
    return ticks * double(CTekAcquisition::kTickMs);
}

double CpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    Simulator sim;
    if (!StartSimulator(&sim)) {
        std::fprintf(stderr, "lineatix-sim tds did not start\n");
        return 1;
    }
    CZbApp app;
    app.m_ports.OverrideDevicePath(0, sim.device);

    for (int sources = 1; sources <= 2; ++sources) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            const double ms = Acquire(app, sources);
            if (ms < 0) {
                std::fprintf(stderr, "acquisition failed\n");
                return 1;
            }
            times.push_back(ms);
        }
        const double median = Median(times), floor = FloorMs(sources);
        std::printf("acquisition of %d source(s): median %.0f ms, floor %.0f ms (+%.1f %%)\n",
                    sources, median, floor, 100 * (median - floor) / floor);
    }

    // A monitor window open on a port where nothing arrives.
    CTekLink link(0, app.m_ports);
    auto* window = new CSerialMonitorDlg(&link, nullptr);
    (void)window; // goes with the link
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = CpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(kMonitorSeconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = CpuSeconds() - cpuStart;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    std::printf("open monitor on a silent port: %.3f %% of a core over %.1f s\n",
                100 * cpu / seconds, seconds);
    return 0;
}
