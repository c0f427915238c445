// A two-channel GDS-820C acquisition (settings, CH1, CH2) against the
// simulated oscilloscope on a pseudo-terminal, through the acquisition's own
// timers. The floor is the waiting the protocol itself imposes on each reply:
// the capture monitor's silence rule (the first whole second two seconds
// after the last byte's) then the dialog's ticks (more than 10 after the
// settings, more than 50 after a waveform, 10 ms each). The instrument answers at once on a pty.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/gwinstek/gdscontroller.h"

namespace {

using State = CGdsAcquisition::State;

struct Run {
    double wallMs;
    double floorMs;
};

Run AcquireOnce(const QString& device) {
    CZbApp app;
    app.m_ports.OverrideDevicePath(0, device);
    CZbDoc doc(&app);
    doc.m_nChannels = 3;
    CGdsAcqController controller(&doc);
    double floorMs = 0;
    int replies = 0;
    QObject::connect(controller.Link(), &CGdsLink::replyComplete, [&] {
        const std::int64_t last = controller.Link()->Monitor().m_nLastByteMs;
        const std::int64_t closable = (last / 1000 + 2) * 1000;
        // The first counted tick may come right after the close: the reply is
        // taken `limit` tick periods later at the earliest.
        const int ticks =
            replies++ == 0 ? CGdsAcquisition::kSettingsTicks : CGdsAcquisition::kWaveformTicks;
        floorMs += double(closable - last) + ticks * CGdsAcqController::kTickMs;
    });
    QElapsedTimer clock;
    clock.start();
    controller.Open();
    controller.RunWhile({State::ReadingSettings});
    controller.Acquire();
    controller.RunWhile({State::NextSource, State::Waveform});
    const double wall = double(clock.nsecsElapsed()) / 1e6;
    if (doc.m_nPoints != 4000 || replies != 3)
        std::fprintf(stderr, "acquisition incomplete: %d rows, %d replies\n", doc.m_nPoints,
                     replies);
    return {wall, floorMs};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QProcess simulator;
    simulator.start(QStringLiteral(LINEATIX_SIM_PATH), {QStringLiteral("gds")});
    if (!simulator.waitForStarted(5000) || !simulator.waitForReadyRead(5000)) {
        std::fprintf(stderr, "lineatix-sim did not start\n");
        return 1;
    }
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    std::vector<double> ratios;
    for (int k = 0; k < runs; ++k) {
        const Run run = AcquireOnce(device);
        ratios.push_back(run.wallMs / run.floorMs);
        std::printf("run %d: %.0f ms, floor %.0f ms, %+.2f %%\n", k + 1, run.wallMs, run.floorMs,
                    (run.wallMs / run.floorMs - 1) * 100);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median: %+.2f %% over the floor (target within 10 %%)\n",
                (ratios[ratios.size() / 2] - 1) * 100);
    simulator.terminate();
    simulator.waitForFinished(3000);
    return 0;
}
