// "Acquisition spectre GDS-820C" as a state machine, without a port: a fake
// transport, the link's capture monitor on a test clock, and a scripted
// oscilloscope answering what was written. Every tick is driven here.

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <deque>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "faketransport.h"
#include "instruments/gwinstek/gdsacquisition.h"
#include "instruments/gwinstek/gdscontroller.h"
#include "instruments/gwinstek/gdsidentify.h"
#include "instruments/gwinstek/gdslink.h"

namespace {

using State = CGdsAcquisition::State;

// The settings query, byte for byte, as the instrument must receive it.
const QByteArray kQuery = ":TIMebase:SCALe?\n:CHANNEL1:SCALE?\n:CHANNEL2:SCALE?\n"
                          ":MEASURE:SOURce 1\n:MEASURE:VMAX?\n:MEASure:SOURce 2\n:MEASure:VMAX?\n";

// A waveform block from the instrument's layout: '#', '4', four length
// digits, nine bytes, then (0x00, level) pairs.
QByteArray Block(const QList<int>& levels) {
    QByteArray samples;
    for (int level : levels) {
        samples.append(char(0));
        samples.append(char(level & 0xFF));
    }
    const QByteArray length = QByteArray::number(9 + samples.size()).rightJustified(4, '0');
    return "#4" + length + QByteArray(9, char(0x01)) + samples;
}

QList<int> Ramp(int count, int offset) {
    QList<int> levels;
    for (int k = 0; k < count; ++k)
        levels << (k + offset) % 100 + 1;
    return levels;
}

// The document, a link over a fake transport, the acquisition, a clock.
struct Rig {
    QTemporaryDir dir;
    CZbApp app;
    CZbDoc doc{&app};
    CFakeTransport* transport = nullptr;
    std::unique_ptr<CGdsLink> link;
    std::unique_ptr<CGdsAcquisition> acquisition;
    std::int64_t now = 100000;
    QStringList boxes; // message boxes shown

    // The scripted oscilloscope: the reply to each command line.
    QMap<QByteArray, QByteArray> replies;
    int pieces = 1;
    int pauseMs = 0;
    std::deque<std::pair<std::int64_t, QByteArray>> queue;
    int consumed = 0; // writes already answered
    QByteArray line;

    Rig() {
        doc.m_strCapturePath = dir.filePath(QStringLiteral("zb.$$$"));
        auto fake = std::make_unique<CFakeTransport>();
        transport = fake.get();
        link = std::make_unique<CGdsLink>(&doc, 0, std::move(fake), QString());
        link->SetClock([this] { return now; });
        acquisition = std::make_unique<CGdsAcquisition>(&doc, link.get());
        acquisition->m_onMessageBox = [this](const QString& text) { boxes << text; };
        replies[":TIMebase:SCALe?"] = "2.000ms\n";
        replies[":CHANNEL1:SCALE?"] = "500mV\n";
        replies[":CHANNEL2:SCALE?"] = "1.00V\n";
        replies[":MEASURE:VMAX?"] = "1.2V\n";
        replies[":MEASure:VMAX?"] = "3.1V\n";
        replies[":ACQuire1:POINt"] = Block(Ramp(300, 0));
        replies[":ACQuire2:POINt"] = Block(Ramp(200, 50));
        replies[":ACQuire1:MEMory?"] = Block(Ramp(100, 10));
    }

    void Answer() {
        for (; consumed < transport->m_written.size(); ++consumed) {
            line += transport->m_written.at(consumed);
            for (qsizetype end; (end = line.indexOf('\n')) >= 0;) {
                const QByteArray reply = replies.value(line.left(end));
                line.remove(0, end + 1);
                std::int64_t at = queue.empty() ? now : queue.back().first;
                const qsizetype size = (reply.size() + pieces - 1) / std::max(pieces, 1);
                for (qsizetype from = 0; from < reply.size(); from += size) {
                    queue.emplace_back(at, reply.mid(from, size));
                    at += pauseMs;
                }
            }
        }
        while (!queue.empty() && queue.front().first <= now) {
            transport->Receive(queue.front().second);
            queue.pop_front();
        }
    }

    // One 10 ms tick of everything.
    void Step() {
        now += 10;
        Answer();
        link->TickMonitor();
        if (acquisition->ActiveTimer() != CGdsAcquisition::kNoTimer) acquisition->Tick();
        Answer();
    }

    // Ticks until the acquisition waits for nobody; false after maxMs.
    bool RunWhile(std::initializer_list<State> busy, int maxMs = 20000) {
        for (int t = 0; t < maxMs; t += 10) {
            bool running = false;
            for (State s : busy)
                running |= acquisition->CurrentState() == s;
            if (!running) return true;
            Step();
        }
        return false;
    }

    void OpenAndReadSettings() {
        acquisition->Open();
        QVERIFY(RunWhile({State::ReadingSettings}));
    }
    void AcquireAll() {
        acquisition->Acquire();
        QVERIFY(RunWhile({State::NextSource, State::Waveform}));
    }
    QList<QByteArray> WritesFrom(int first) const { return transport->m_written.mid(first); }
};

} // namespace

class TestGdsAcquisition : public QObject {
    Q_OBJECT

  private slots:
    void openingSendsTheQueryAndReadsTheFiveSettings() {
        Rig rig;
        rig.doc.m_nPoints = 120;
        rig.acquisition->Open();
        QCOMPARE(rig.transport->m_written, QList<QByteArray>{kQuery}); // one write
        QCOMPARE(rig.doc.m_astrLegend, (QStringList{QStringLiteral("ACQ. OSCILLOSCOPE GW INSTEK"),
                                                    QStringLiteral("Nom(s)/Prénom(s):")}));
        QCOMPARE(
            rig.acquisition->m_strMessage,
            QStringLiteral("Sélectionner les voies d'acquisition, puis cliquer sur Acquérir."));
        QVERIFY(!rig.acquisition->m_bAcquireEnabled);
        QVERIFY(rig.acquisition->Checked(1)); // a new document's mask is CH1

        // The reply is taken once the capture file closed and more than 10 ticks passed.
        rig.replies[":MEASure:VMAX?"] = "chan off\n";
        int ticksAfterClose = -1;
        while (rig.acquisition->CurrentState() == State::ReadingSettings) {
            const bool wasOpen = rig.doc.m_bCaptureOpen;
            rig.Step();
            if (wasOpen && !rig.doc.m_bCaptureOpen)
                ticksAfterClose = 1; // this tick counts
            else if (ticksAfterClose >= 0)
                ++ticksAfterClose;
        }
        QCOMPARE(ticksAfterClose, 11);
        QCOMPARE(rig.link->m_fTimebase, 0.002f);
        QCOMPARE(rig.link->m_fScale1, 0.5f);
        QCOMPARE(rig.link->m_fScale2, 1.0f);
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Base de temps (s): 2.0e-003\nCalibre voie 1 (V): 5.0e-001\n"
                                "Calibre voie 2 (V): 1.0e+000"));
        QVERIFY(rig.acquisition->Enabled(1));
        QVERIFY(!rig.acquisition->Checked(2));
        QVERIFY(!rig.acquisition->Enabled(2)); // "chan off"
        QVERIFY(rig.acquisition->m_bAcquireEnabled);
        rig.acquisition->SetSource(2, true); // a disabled box takes no click
        QVERIFY(!rig.acquisition->Checked(2));
        // Reading the reply dropped the samples shown: closing now leaves none.
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(0));
    }

    void twoChannelsInTheirColumnsWithTheirScales() {
        Rig rig;
        rig.doc.m_nChannels = 3;
        rig.doc.m_pRegressions->m_bComputed[0] = 1;
        rig.OpenAndReadSettings();
        QVERIFY(!rig.acquisition->Enabled(4) && !rig.acquisition->Enabled(8)); // two checked
        const int first = int(rig.transport->m_written.size());
        rig.acquisition->Acquire();
        QVERIFY(!rig.acquisition->m_bCloseEnabled);
        QVERIFY(!rig.acquisition->m_bAcquireEnabled && !rig.acquisition->Enabled(1));
        QVERIFY(rig.RunWhile({State::NextSource, State::Waveform}));
        QCOMPARE(rig.WritesFrom(first),
                 (QList<QByteArray>{":ACQuire1:POINt\n", ":ACQuire2:POINt\n"}));
        QVERIFY(rig.boxes.isEmpty());
        // CH1: 300 samples at 0.5 V a division, CH2: 200 at 1 V; 2 ms a division.
        QCOMPARE(rig.doc.m_fT[25][0], 25 * 0.002f * 0.04f);
        QCOMPARE(rig.doc.m_fT[10][1], 11 * 0.02f);
        QCOMPARE(rig.doc.m_fT[299][1], 100 * 0.02f);
        QCOMPARE(rig.doc.m_fT[10][3], 61 * 0.04f);
        QVERIFY(IsNoValue(rig.doc.m_fT[0][4]));
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(200)); // the last source's rows
        QCOMPARE(rig.doc.m_nChannels, std::int16_t(3));
        QCOMPARE(rig.doc.m_nDisplay, std::int16_t(3));
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Fin d'acquisition.\n201 valeurs écrites dans le tableau.\n(415)"));
        QVERIFY(rig.acquisition->m_bCloseEnabled && rig.acquisition->m_bAcquireEnabled);
        QCOMPARE(rig.doc.m_pRegressions->m_bComputed[0], 0);
        QCOMPARE(rig.acquisition->m_nFailed, std::int16_t(0));
        QCOMPARE(rig.acquisition->m_nEmptySources, std::int16_t(0));
    }

    void channel2AloneGoesToColumns0And1WithItsScale() {
        Rig rig;
        rig.doc.m_nChannels = 2;
        rig.OpenAndReadSettings();
        rig.AcquireAll();
        QCOMPARE(rig.transport->m_written.last(), QByteArray(":ACQuire2:POINt\n"));
        QCOMPARE(rig.doc.m_fT[0][1], 51 * 0.04f); // 1 V a division
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(200));
        QCOMPARE(rig.doc.m_nChannels, std::int16_t(2));
    }

    void theHiddenMemoryBoxesComeFromTheMask() {
        Rig rig;
        rig.doc.m_nChannels = 4; // REF1 stored by an earlier acquisition
        rig.OpenAndReadSettings();
        QVERIFY(rig.acquisition->Checked(4) && !rig.acquisition->Checked(1));
        const int first = int(rig.transport->m_written.size());
        rig.AcquireAll();
        QCOMPARE(rig.WritesFrom(first),
                 (QList<QByteArray>{":ACQuire:LENGth 3\n", ":ACQuire1:MEMory?\n"}));
        QCOMPARE(rig.doc.m_fT[0][1], 11 * 0.04f); // a memory takes channel 2's scale
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(100));

        // A mask of three sources presets two: there are two column pairs.
        Rig three;
        three.doc.m_nChannels = 7;
        three.OpenAndReadSettings();
        QVERIFY(three.acquisition->Checked(1) && three.acquisition->Checked(2));
        QVERIFY(!three.acquisition->Checked(4) && !three.acquisition->Enabled(4));
    }

    void theCheckBoxRule() {
        Rig rig;
        rig.OpenAndReadSettings();
        CGdsAcquisition& a = *rig.acquisition;
        a.SetSource(2, true);
        QVERIFY(!a.Enabled(4) && !a.Enabled(8) && a.Enabled(1) && a.Enabled(2));
        a.SetSource(1, false);
        a.SetSource(2, false);
        QVERIFY(!a.m_bAcquireEnabled); // nothing checked
        QVERIFY(a.Enabled(1) && a.Enabled(2));
        a.SetSource(1, true);
        QVERIFY(a.m_bAcquireEnabled);
    }

    void aSourceWithoutReplyGetsNoSamplesAndAMessage() {
        Rig rig;
        rig.doc.m_nChannels = 3;
        rig.replies.remove(":ACQuire2:POINt");
        for (int r = 0; r < CZbDoc::kCapacity; ++r)
            rig.doc.m_fT[r][3] = 9.0f; // an earlier acquisition's CH2
        rig.OpenAndReadSettings();
        rig.AcquireAll();
        QCOMPARE(rig.boxes,
                 QStringList{QStringLiteral("Pas de réponse de l'oscilloscope pour CH2 !")});
        QCOMPARE(rig.acquisition->m_nFailed, std::int16_t(2));
        // CH1's reply, still in the capture file, was not taken for CH2.
        for (int r = 0; r < CZbDoc::kCapacity; ++r)
            QVERIFY(IsNoValue(rig.doc.m_fT[r][2]) && IsNoValue(rig.doc.m_fT[r][3]));
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(300));
        QCOMPARE(rig.doc.m_fT[299][1], 100 * 0.02f);
    }

    // CH1's reply comes after CH1 was given up, just before CH2's, into the
    // same capture: CH2 gets its own samples only.
    void aLateReplyIsNotTakenForTheNextSource() {
        Rig rig;
        rig.doc.m_nChannels = 3;
        rig.replies.remove(":ACQuire1:POINt");
        rig.replies[":ACQuire2:POINt"] = Block(Ramp(300, 0)) + Block(Ramp(200, 50));
        rig.OpenAndReadSettings();
        rig.AcquireAll();
        QCOMPARE(rig.boxes,
                 QStringList{QStringLiteral("Pas de réponse de l'oscilloscope pour CH1 !")});
        QCOMPARE(rig.acquisition->m_nFailed, std::int16_t(1));
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(200));
        QCOMPARE(rig.doc.m_fT[0][3], 51 * 0.04f);
        QCOMPARE(rig.doc.m_fT[199][3], 50 * 0.04f);
        QVERIFY(IsNoValue(rig.doc.m_fT[200][3]));
        QVERIFY(IsNoValue(rig.doc.m_fT[0][1]));
    }

    // A block that holds no sample: the window's texts as for any block, and
    // the source counted as one that got nothing.
    void aBlockWithoutSamples() {
        Rig rig;
        rig.replies[":ACQuire1:POINt"] = Block({});
        rig.OpenAndReadSettings();
        rig.AcquireAll();
        QVERIFY(rig.boxes.isEmpty());
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Fin d'acquisition.\n1 valeurs écrites dans le tableau.\n(15)"));
        QCOMPARE(rig.acquisition->m_nFailed, std::int16_t(1));
        QCOMPARE(rig.acquisition->m_nEmptySources, std::int16_t(1));
    }

    // A scope that keeps sending never lets the capture close: past the
    // limit, counted from the request in the acquisition's ticks, the
    // acquisition stops; CH1, converted before, stays.
    void aReplyThatNeverEndsIsStopped_data() {
        QTest::addColumn<bool>("settings");
        QTest::newRow("settings") << true;
        QTest::newRow("second source") << false;
    }
    void aReplyThatNeverEndsIsStopped() {
        QFETCH(bool, settings);
        Rig rig;
        rig.doc.m_nChannels = 3;
        rig.acquisition->m_nReplyLimitTicks = 300;
        rig.replies.remove(":ACQuire2:POINt");
        if (settings) {
            rig.replies.remove(":TIMebase:SCALe?");
            rig.acquisition->Open();
        } else {
            rig.OpenAndReadSettings();
            rig.acquisition->Acquire();
            for (int t = 0; t < 5000 && !rig.transport->m_written.contains(":ACQuire2:POINt\n");
                 ++t)
                rig.Step();
        }
        const State waiting = rig.acquisition->CurrentState();
        QCOMPARE(waiting, settings ? State::ReadingSettings : State::Waveform);
        int ticks = 0;
        while (rig.acquisition->CurrentState() == waiting && ticks < 1000) {
            rig.transport->Receive("~");
            rig.Step();
            ++ticks;
        }
        QCOMPARE(ticks, 301);
        QCOMPARE(rig.acquisition->ActiveTimer(), CGdsAcquisition::kNoTimer);
        QCOMPARE(rig.acquisition->CurrentState(),
                 settings ? State::SettingsFailed : State::Stopped);
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("L'oscilloscope répond depuis plus de 3 s : acquisition arrêtée."));
        QVERIFY(rig.acquisition->m_bCloseEnabled);
        QVERIFY(!rig.acquisition->m_bAcquireEnabled);
        if (!settings) {
            QCOMPARE(rig.acquisition->m_nFailed, std::int16_t(2));
            QCOMPARE(rig.doc.m_fT[299][1], 100 * 0.02f);
            QVERIFY(IsNoValue(rig.doc.m_fT[0][3]));
        }
    }

    // The window closed while acquiring: no more ticks, CH1 stays.
    void abandonedDuringTheSecondSource() {
        Rig rig;
        rig.doc.m_nChannels = 3;
        rig.replies.remove(":ACQuire2:POINt");
        rig.OpenAndReadSettings();
        rig.acquisition->Acquire();
        for (int t = 0; t < 5000 && !rig.transport->m_written.contains(":ACQuire2:POINt\n"); ++t)
            rig.Step();
        rig.acquisition->Abandon();
        QCOMPARE(rig.acquisition->ActiveTimer(), CGdsAcquisition::kNoTimer);
        QCOMPARE(rig.acquisition->CurrentState(), State::Stopped);
        QVERIFY(rig.acquisition->m_bCloseEnabled);
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(300));
        QCOMPARE(rig.doc.m_fT[299][1], 100 * 0.02f);
        QVERIFY(IsNoValue(rig.doc.m_fT[0][3]));
    }

    void aBlockInManyPiecesWithPausesUnderASecond() {
        Rig rig;
        rig.replies[":ACQuire1:POINt"] = Block(Ramp(3000, 0));
        rig.OpenAndReadSettings();
        rig.pieces = 12;
        rig.pauseMs = 950;
        rig.AcquireAll();
        QVERIFY(rig.boxes.isEmpty());
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(3000));
        QCOMPARE(rig.doc.m_nCaptureCount, 6015);
        QCOMPARE(rig.doc.m_fT[2999][1], (2999 % 100 + 1) * 0.02f);
    }

    void aReplyThatIsNoBlock() {
        Rig rig;
        rig.replies[":ACQuire1:POINt"] = "ERR 113\n";
        rig.doc.m_nPoints = 40;
        rig.OpenAndReadSettings();
        rig.AcquireAll();
        QCOMPARE(rig.boxes, QStringList{QStringLiteral("Fichier non compatible !")});
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(0));
        QVERIFY(rig.acquisition->m_strMessage.startsWith(QStringLiteral("Fin d'acquisition.")));
    }

    void anUnreadableSettingIsNamedAndNotUsed() {
        Rig rig;
        rig.replies[":TIMebase:SCALe?"] = "?? ms\n";
        rig.doc.m_nChannels = 3;
        rig.OpenAndReadSettings();
        QVERIFY(rig.acquisition->m_strMessage.endsWith(
            QStringLiteral("\nBase de temps illisible : \"?? ms\"")));
        rig.AcquireAll();
        QCOMPARE(rig.boxes,
                 (QStringList{QStringLiteral("CH1 non convertie : base de temps illisible."),
                              QStringLiteral("CH2 non convertie : base de temps illisible.")}));
        QVERIFY(IsNoValue(rig.doc.m_fT[0][1]) && IsNoValue(rig.doc.m_fT[0][3]));
    }

    void aQueryThatCannotBeWritten() {
        Rig rig;
        rig.transport->m_bRefuseWrites = true;
        rig.acquisition->Open();
        QCOMPARE(rig.acquisition->CurrentState(), State::WriteFailed);
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Erreur d'écriture sur le port série n°1 !"));
        QVERIFY(!rig.acquisition->m_bAcquireEnabled);
        for (std::int16_t bit : {1, 2, 4, 8})
            QVERIFY(!rig.acquisition->Enabled(bit));
        QCOMPARE(rig.acquisition->ActiveTimer(), CGdsAcquisition::kNoTimer);
    }

    void noSettingsReply() {
        Rig rig;
        rig.replies.clear();
        QFile old(rig.doc.m_strCapturePath); // an earlier reply is no answer
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("2.000ms\n500mV\n1.00V\n1.2V\n3.1V\n");
        old.close();
        rig.acquisition->Open();
        QVERIFY(rig.RunWhile({State::ReadingSettings}, 200)); // 11 ticks: nothing came
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Erreur de communication avec oscilloscope GW Instek !"));
        QVERIFY(!rig.acquisition->m_bAcquireEnabled && !rig.acquisition->Enabled(1));
    }

    void aCaptureFileThatCannotBeCreated() {
        Rig rig;
        QFile blocker(rig.dir.filePath(QStringLiteral("plain")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        rig.doc.m_strCapturePath = rig.dir.filePath(QStringLiteral("plain/zb.$$$"));
        rig.OpenAndReadSettings();
        QCOMPARE(rig.acquisition->CurrentState(), State::SettingsFailed);
        QVERIFY(rig.acquisition->m_strMessage.startsWith(QStringLiteral(
            "Erreur de communication avec oscilloscope GW Instek !\nFichier tampon ")));
        QVERIFY(rig.acquisition->m_strMessage.contains(rig.doc.m_strCapturePath));
    }

    void aPortLostDuringTheAcquisitionKeepsWhatWasConverted() {
        Rig rig;
        rig.doc.m_nChannels = 3;
        rig.replies.remove(":ACQuire2:POINt");
        rig.OpenAndReadSettings();
        rig.acquisition->Acquire();
        while (rig.acquisition->m_nColumn < 2)
            rig.Step(); // CH1 converted
        rig.Step();
        QCOMPARE(rig.acquisition->CurrentState(), State::Waveform);
        rig.acquisition->PortLost(QStringLiteral("Le périphérique /dev/fake ne répond plus."));
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Erreur de communication avec oscilloscope GW Instek !\nLe "
                                "périphérique /dev/fake ne répond plus."));
        QVERIFY(rig.acquisition->m_bCloseEnabled);
        QVERIFY(!rig.acquisition->m_bAcquireEnabled);
        QCOMPARE(rig.acquisition->ActiveTimer(), CGdsAcquisition::kNoTimer);
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(300));
        QCOMPARE(rig.doc.m_fT[299][1], 100 * 0.02f);
        QVERIFY(IsNoValue(rig.doc.m_fT[0][3]));
        QCOMPARE(rig.acquisition->m_nFailed, std::int16_t(2));
    }

    void theControllerEndsAnAcquisitionWhenThePortGoesAway() {
        QTemporaryDir dir;
        CZbApp app;
        CZbDoc doc(&app);
        doc.m_strCapturePath = dir.filePath(QStringLiteral("zb.$$$"));
        auto fake = std::make_unique<CFakeTransport>();
        CFakeTransport* transport = fake.get();
        CGdsAcqController controller(
            &doc, std::make_unique<CGdsLink>(&doc, 0, std::move(fake), QString()));
        controller.Open();
        QCOMPARE(transport->m_written, QList<QByteArray>{kQuery});
        QCOMPARE(controller.Acquisition().ActiveTimer(), CGdsAcquisition::kTimerSettings);
        transport->Unplug();
        QCOMPARE(controller.Acquisition().CurrentState(), State::Lost);
        QVERIFY(controller.Acquisition().m_strMessage.endsWith(
            QStringLiteral("Le périphérique /dev/fake ne répond plus.")));
        QVERIFY(controller.Acquisition().m_bCloseEnabled);
        QVERIFY(controller.Link()->Monitor().m_strStatus.startsWith(
            QStringLiteral("Erreur de connexion au port COM1 !")));
        bool redrawn = false;
        connect(&controller, &CGdsAcqController::redrawRequested, [&] { redrawn = true; });
        controller.Close();
        QVERIFY(!controller.Link() && redrawn);
    }

    // Every reply cut, corrupted or padded at random, through the whole road
    // (capture file, settings, conversion): no crash, no hang, rows in the table.
    void mutatedRepliesThroughTheWholeAcquisition() {
        QRandomGenerator random(5410673);
        auto mutate = [&random](QByteArray bytes) {
            switch (random.bounded(5)) {
            case 0:
                bytes.truncate(random.bounded(int(bytes.size()) + 1));
                break;
            case 1:
                for (int k = random.bounded(1, 8); k > 0 && !bytes.isEmpty(); --k)
                    bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
                break;
            case 2:
                bytes.prepend(QByteArray(random.bounded(1, 5), char(random.bounded(256))));
                break;
            case 3:
                bytes.append(QByteArray(random.bounded(1, 400), char(random.bounded(256))));
                break;
            default:
                break; // some replies stay good
            }
            return bytes;
        };
        for (int round = 0; round < 60; ++round) {
            Rig rig;
            rig.doc.m_nChannels = std::int16_t(random.bounded(1, 16));
            for (auto it = rig.replies.begin(); it != rig.replies.end(); ++it)
                it.value() = mutate(it.value());
            rig.acquisition->Open();
            QVERIFY(rig.RunWhile({State::ReadingSettings}));
            if (rig.acquisition->m_bAcquireEnabled) {
                rig.acquisition->Acquire();
                QVERIFY(rig.RunWhile({State::NextSource, State::Waveform}));
            }
            QVERIFY(rig.doc.m_nPoints >= 0 && rig.doc.m_nPoints <= CZbDoc::kCapacity);
            QVERIFY(rig.acquisition->ActiveTimer() == CGdsAcquisition::kNoTimer);
        }
    }

    void theIdentificationTakesOnlyAFreshReply() {
        Rig rig;
        QFile old(rig.doc.m_strCapturePath);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("GW,GDS-820C,OLD\n");
        old.close();
        CGdsIdentify identify(&rig.doc, 1);
        identify.Test(rig.link.get());
        QCOMPARE(rig.transport->m_written, (QList<QByteArray>{"*CLS\n", "*IDN?\n"}));
        QVERIFY(!identify.m_bTestEnabled);
        int ticks = 0;
        while (!identify.Tick(rig.link.get()))
            ++ticks;
        QCOMPARE(ticks, 50);
        QCOMPARE(identify.m_strMessage, QStringLiteral("Erreur de lecture sur COM2."));
        QVERIFY(!identify.m_bOkEnabled && identify.m_bTestEnabled);

        rig.Answer(); // the first request went unanswered
        rig.replies["*IDN?"] = "GW,GDS-820C,EH123,V2.01\n";
        identify.Test(rig.link.get());
        do
            rig.Step();
        while (!identify.Tick(rig.link.get()));
        QCOMPARE(identify.m_strMessage,
                 QStringLiteral("Identification:\nGW,GDS-820C,EH123,V2.01\n"));
        QVERIFY(identify.m_bOkEnabled);
    }
};

QTEST_GUILESS_MAIN(TestGdsAcquisition)
#include "tst_gdsacquisition.moc"
