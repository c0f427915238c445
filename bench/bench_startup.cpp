// Time from process start to the first painted main window with a .cod file
// loaded, offscreen. The benchmark starts itself as the program: a child
// runs the real start-up and reports its first paint of the view.
//
//   bench_startup [RUNS]     prints the median over RUNS starts (default 15)
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/application.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "view/ui/zbview.h"

namespace {

const char* const kChildFlag = "--bench-child";

// In the child: once the view has painted, say so and leave.
class FirstPaintWatcher : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && qobject_cast<CZbView*>(watched) && !m_done) {
            m_done = true;
            // After this paint has run to its end.
            QTimer::singleShot(0, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

  private:
    bool m_done = false;
};

void InstallWatcher() {
    if (!qEnvironmentVariableIsSet("LINEATIX_BENCH_CHILD")) return;
    qApp->installEventFilter(new FirstPaintWatcher);
}
Q_COREAPP_STARTUP_FUNCTION(InstallWatcher)

// A document as an acquisition leaves it: 5000 samples of CH1 and CH2.
bool WriteSample(const QString& path, std::int16_t display) {
    CZbApp app;
    CZbDoc doc(&app);
    doc.m_nPoints = CZbDoc::kCapacity;
    doc.m_nChannels = 3;
    doc.m_nDisplay = display;
    for (int i = 0; i < CZbDoc::kCapacity; ++i) {
        doc.m_fT[i][0] = doc.m_fT[i][2] = i * 1e-5f;
        doc.m_fT[i][1] = (i / 40) % 2 ? 4.5f : 0.3f;
        doc.m_fT[i][3] = (i / 25) % 2 ? 4.0f : 0.5f;
    }
    QString error;
    return doc.Save(path, &error);
}

double MedianStartMs(const QString& self, const QString& file, int runs) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LINEATIX_BENCH_CHILD"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        child.start(self, {QString::fromLatin1(kChildFlag), file});
        if (!child.waitForStarted()) return -1;
        while (!child.canReadLine() && child.state() != QProcess::NotRunning)
            child.waitForReadyRead(5000);
        const double ms = timer.nsecsElapsed() / 1e6;
        if (!child.readLine().startsWith("painted")) return -1;
        child.waitForFinished();
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && qstrcmp(argv[1], kChildFlag) == 0) {
        // The program's own start-up, with the file as its only argument.
        char* childArgv[] = {argv[0], argv[2], nullptr};
        int childArgc = 2;
        return RunApplication(childArgc, childArgv);
    }
    QCoreApplication application(argc, argv);
    const int runs = argc >= 2 ? std::max(1, atoi(argv[1])) : 15;
    QTemporaryDir dir;
    const QString codeSheet = dir.filePath(QStringLiteral("sheet.cod"));
    const QString graph = dir.filePath(QStringLiteral("graph.cod"));
    if (!WriteSample(codeSheet, 0) || !WriteSample(graph, 3)) return 1;
    const QString self = QCoreApplication::applicationFilePath();
    for (const auto& [name, file] :
         {std::pair{"code sheet", codeSheet}, std::pair{"graph CH1+CH2", graph}}) {
        const double ms = MedianStartMs(self, file, runs);
        std::printf("start to first paint, %s, 5000 samples: median %.1f ms over %d runs\n", name,
                    ms, runs);
    }
    return 0;
}
