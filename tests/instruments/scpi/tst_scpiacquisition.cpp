// The SCPI acquisition's steps over a fake transport, against scripted Rigol
// and Keysight oscilloscopes that answer as their programming guides say:
// the exact commands, the conversion into the sample table, the thinning,
// the running state left as found, replies cut anywhere, and every failure
// ending the acquisition without converting the faulty reply. Time-outs are
// counted on ticks the test gives.

#include <QTest>
#include <cmath>
#include <memory>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "faketransport.h"
#include "instruments/scpi/scpicontroller.h"
#include "scriptedscope.h"

namespace {

using State = CScpiAcquisition::State;
constexpr float kMarker = 42.0f; // what the table held before

struct Bench {
    explicit Bench(CScriptedScope::Vendor vendor) : scope(vendor) {
        auto fake = std::make_unique<CFakeTransport>();
        transport = fake.get();
        controller = std::make_unique<CScpiAcqController>(
            &doc, std::make_unique<CScpiLink>(0, std::move(fake), QString()));
        for (int r = 0; r < CZbDoc::kCapacity; ++r)
            for (int c = 0; c < 4; ++c)
                doc.m_fT[r][c] = kMarker;
        doc.m_nPoints = 321;
        doc.m_nChannels = 1;
    }

    CScpiAcquisition& Acq() { return controller->Acquisition(); }

    // The scope answers everything written so far, each reply delivered whole,
    // cut at `split` bytes, or byte by byte.
    void Answer() {
        while (!transport->m_written.isEmpty()) {
            const QByteArray written = transport->AllWritten();
            transport->m_written.clear();
            const QByteArray reply = scope.Feed(written);
            if (reply.isEmpty()) continue;
            if (byteByByte) {
                for (char c : reply)
                    transport->Receive(QByteArray(1, c));
            } else if (split > 0 && split < reply.size()) {
                transport->Receive(reply.left(split));
                transport->Receive(reply.mid(split));
            } else {
                transport->Receive(reply);
            }
        }
    }

    void Open() {
        controller->Open();
        Answer();
    }

    void Acquire(bool ch1, bool ch2) {
        controller->SetChannel(1, ch1);
        controller->SetChannel(2, ch2);
        controller->Acquire();
        Answer();
    }

    // Ticks until the acquisition stops waiting; how many it took.
    int TickOut() {
        int ticks = 0;
        while (Acq().Waiting() && ticks < 100000) {
            Acq().Tick();
            ++ticks;
        }
        return ticks;
    }

    // The scope answers everything written, each reply coming `perTick` bytes
    // a tick, until the acquisition stops waiting; how many ticks it took.
    int Trickle(int perTick) {
        QByteArray coming;
        int ticks = 0;
        while (Acq().Waiting() && ticks < 100000) {
            if (!transport->m_written.isEmpty()) {
                coming += scope.Feed(transport->AllWritten());
                transport->m_written.clear();
            }
            if (!coming.isEmpty()) {
                transport->Receive(coming.left(perTick));
                coming.remove(0, perTick);
                if (!Acq().Waiting()) break;
            }
            Acq().Tick();
            ++ticks;
        }
        return ticks;
    }

    QStringList Commands() const {
        QStringList commands;
        for (const QByteArray& command : scope.m_commands)
            commands << QString::fromLatin1(command);
        return commands;
    }

    CZbApp app;
    CZbDoc doc{&app};
    CScriptedScope scope;
    CFakeTransport* transport = nullptr;
    std::unique_ptr<CScpiAcqController> controller;
    int split = 0;
    bool byteByByte = false;
};

bool Near(float actual, double expected) {
    return std::abs(double(actual) - expected) <= 1e-6 * std::max(1.0, std::abs(expected));
}

// Rigol, as its guide gives the conversion and the preamble the scope sent
// (xincrement 1e-6, xorigin -6e-3, yincrement 0.04, yorigin 0, yreference 127).
bool RigolRowIs(const CZbDoc& doc, int row, int column, int channel, long long index) {
    const double time = double(index) * 1e-6 - 6e-3;
    const double volts = (CScriptedScope::Level(channel, index) - 0 - 127) * 0.04;
    return Near(doc.m_fT[row][column], time) && Near(doc.m_fT[row][column + 1], volts);
}

// Keysight: xincrement 2e-6, xorigin -5e-3, yincrement 0.01, yorigin -0.1, yreference 128.
bool KeysightRowIs(const CZbDoc& doc, int row, int column, int channel, long long memoryIndex) {
    const double time = double(row) * 2e-6 - 5e-3;
    const double volts = (CScriptedScope::Level(channel, memoryIndex) - 128) * 0.01 - 0.1;
    return Near(doc.m_fT[row][column], time) && Near(doc.m_fT[row][column + 1], volts);
}

bool ColumnsEmpty(const CZbDoc& doc, int column) {
    for (int r = 0; r < CZbDoc::kCapacity; ++r)
        if (!IsNoValue(doc.m_fT[r][column]) || !IsNoValue(doc.m_fT[r][column + 1])) return false;
    return true;
}

} // namespace

class TestScpiAcquisition : public QObject {
    Q_OBJECT

  private slots:
    void rigolTwoChannelsFromTheWholeMemory() {
        Bench bench(CScriptedScope::Rigol);
        bench.doc.m_pRegressions->m_bComputed[0] = 1;
        bench.Open();
        QCOMPARE(bench.Acq().CurrentState(), State::Ready);
        QCOMPARE(bench.doc.m_astrLegend,
                 (QStringList{QStringLiteral("ACQ. OSCILLOSCOPE RIGOL TECHNOLOGIES DS1104Z"),
                              QStringLiteral("Nom(s)/Prénom(s):")}));
        QVERIFY(bench.Acq().m_strMessage.startsWith(
            QStringLiteral("Oscilloscope RIGOL TECHNOLOGIES DS1104Z.\nSélectionner")));
        QVERIFY(bench.Acq().Checked(1) && !bench.Acq().Checked(2)); // from the document's mask
        bench.Acquire(true, true);

        QCOMPARE(bench.Commands(), (QStringList{"*IDN?",           ":CHAN1:DISP?",
                                                ":CHAN2:DISP?",    ":CHAN1:DISP?",
                                                ":CHAN2:DISP?",    ":TRIG:STAT?",
                                                ":STOP",           ":WAV:SOUR CHAN1",
                                                ":WAV:MODE RAW",   ":WAV:FORM BYTE",
                                                ":WAV:PRE?",       ":WAV:STAR 1",
                                                ":WAV:STOP 12000", ":WAV:DATA?",
                                                ":WAV:SOUR CHAN2", ":WAV:MODE RAW",
                                                ":WAV:FORM BYTE",  ":WAV:PRE?",
                                                ":WAV:STAR 1",     ":WAV:STOP 12000",
                                                ":WAV:DATA?",      ":RUN"}));
        QVERIFY(!bench.scope.m_bReadWhileRunning);
        QVERIFY(bench.scope.m_running); // left running, as it was
        QCOMPARE(bench.Acq().CurrentState(), State::Ready);
        QCOMPARE(bench.Acq().m_strMessage,
                 QStringLiteral("Fin d'acquisition.\n"
                                "Voie 1 : 12000 points lus, 5000 gardés dans le tableau.\n"
                                "Voie 2 : 12000 points lus, 5000 gardés dans le tableau."));
        QCOMPARE(bench.doc.m_nPoints, std::int16_t(5000));
        QCOMPARE(bench.doc.m_nChannels, std::int16_t(3));
        QCOMPARE(bench.doc.m_nDisplay, std::int16_t(3));
        QCOMPARE(bench.doc.m_pRegressions->m_bComputed[0], 0);
        // 12000 points thinned to 5000: row r is point r * 12000 / 5000.
        for (int row : {0, 1, 2, 2500, 4999}) {
            const long long index = row * 12000LL / 5000;
            QVERIFY2(RigolRowIs(bench.doc, row, 0, 1, index), qPrintable(QString::number(row)));
            QVERIFY2(RigolRowIs(bench.doc, row, 2, 2, index), qPrintable(QString::number(row)));
        }
        QVERIFY(bench.Acq().m_bAcquireEnabled && bench.Acq().m_bCloseEnabled);
    }

    void rigolDeepMemoryIsReadWithinThePerReadLimit() {
        Bench bench(CScriptedScope::Rigol);
        bench.scope.m_memory = 600000;
        bench.Open();
        bench.Acquire(true, false);
        const QStringList commands = bench.Commands();
        const QStringList reads = commands.filter(QRegularExpression("^:WAV:(STAR|STOP) "));
        QCOMPARE(reads, (QStringList{":WAV:STAR 1", ":WAV:STOP 250000", ":WAV:STAR 250001",
                                     ":WAV:STOP 500000", ":WAV:STAR 500001", ":WAV:STOP 600000"}));
        QCOMPARE(commands.count(":WAV:DATA?"), 3);
        QCOMPARE(bench.transport->m_written.size(), 0);
        QVERIFY2(bench.Acq().m_strMessage.contains(
                     "Voie 1 : 600000 points lus, 5000 gardés dans le tableau."),
                 qPrintable(bench.Acq().m_strMessage));
        for (int row : {0, 2083, 2084, 4166, 4167, 4999}) // around each read's seam
            QVERIFY(RigolRowIs(bench.doc, row, 0, 1, row * 600000LL / 5000));
    }

    void theDisplayedRecordIsKeptWholeWhenThatIsAllTheScopeGives() {
        Bench bench(CScriptedScope::Rigol);
        bench.scope.m_memory = 1200;
        bench.Open();
        bench.Acquire(false, true);
        QVERIFY(bench.Acq().m_strMessage.endsWith(
            "Voie 2 : 1200 points lus, 1200 gardés dans le tableau."));
        QCOMPARE(bench.doc.m_nPoints, std::int16_t(1200));
        QCOMPARE(bench.doc.m_nChannels, std::int16_t(2));
        // The only source goes in the first columns; the rows past it hold no value.
        QVERIFY(RigolRowIs(bench.doc, 1199, 0, 2, 1199));
        QVERIFY(IsNoValue(bench.doc.m_fT[1200][0]) && IsNoValue(bench.doc.m_fT[1200][1]));
    }

    void keysightChannelTwo() {
        Bench bench(CScriptedScope::Keysight);
        bench.Open();
        QCOMPARE(bench.doc.m_astrLegend.first(),
                 QStringLiteral("ACQ. OSCILLOSCOPE KEYSIGHT TECHNOLOGIES DSO-X 1204G"));
        bench.Acquire(false, true);
        QCOMPARE(bench.Commands().mid(3),
                 (QStringList{":CHAN2:DISP?", ":RST?", ":STOP", ":WAV:SOUR CHAN2", ":WAV:FORM BYTE",
                              ":WAV:UNS ON", ":WAV:POIN:MODE RAW", ":WAV:POIN 5000", ":WAV:PRE?",
                              ":WAV:DATA?", ":RUN"}));
        QCOMPARE(bench.Acq().m_strMessage,
                 QStringLiteral("Fin d'acquisition.\n"
                                "Voie 2 : 5000 points lus, 5000 gardés dans le tableau."));
        QCOMPARE(bench.doc.m_nPoints, std::int16_t(5000));
        // The scope decimated its 62500 points to the 5000 asked.
        for (int row : {0, 1, 4999})
            QVERIFY(KeysightRowIs(bench.doc, row, 0, 2, row * 62500LL / 5000));
        QVERIFY(!bench.scope.m_bReadWhileRunning);
    }

    void theRunningStateIsLeftAsTheUserHadIt() {
        const struct {
            CScriptedScope::Vendor vendor;
            bool running;
            QByteArray status;
            bool single;
            bool restarted;
        } cases[] = {
            {CScriptedScope::Rigol, true, "TD", false, true},
            {CScriptedScope::Rigol, true, "WAIT", false, true},
            {CScriptedScope::Rigol, true, "AUTO", false, true},
            {CScriptedScope::Rigol, false, "", false, false},
            {CScriptedScope::Keysight, true, "", false, true},
            {CScriptedScope::Keysight, false, "", false, false},
            {CScriptedScope::Keysight, false, "", true, false}, // armed for a single shot
        };
        for (const auto& c : cases) {
            Bench bench(c.vendor);
            bench.scope.m_running = c.running;
            if (!c.status.isEmpty()) bench.scope.m_runningStatus = c.status;
            bench.scope.m_bSingle = c.single;
            bench.Open();
            bench.Acquire(true, true);
            QCOMPARE(bench.Acq().CurrentState(), State::Ready);
            QVERIFY(!bench.Acq().Failed());
            QCOMPARE(bench.Commands().contains(":RUN"), c.restarted);
            QCOMPARE(bench.scope.m_running, c.running);
        }
    }

    void repliesCutAnywhereGiveTheSameTable() {
        Bench whole(CScriptedScope::Rigol);
        whole.scope.m_memory = 300;
        whole.Open();
        whole.Acquire(true, false);
        QCOMPARE(whole.doc.m_nPoints, std::int16_t(300));
        const int longest = 11 + 300 + 1; // "#9" and nine digits, the data, the line feed
        for (int split = 0; split <= longest + 1; ++split) {
            for (const QByteArray& before : {QByteArray(), QByteArray(":WAV:DATA \x01\xfe ")}) {
                Bench bench(CScriptedScope::Rigol);
                bench.scope.m_memory = 300;
                bench.scope.m_beforeBlock = before;
                bench.split = split;
                bench.byteByByte = split == longest + 1;
                bench.Open();
                bench.Acquire(true, false);
                QVERIFY2(!bench.Acq().Failed(), qPrintable(bench.Acq().m_strMessage));
                QCOMPARE(bench.doc.m_nPoints, std::int16_t(300));
                for (int r = 0; r < 300; ++r)
                    QVERIFY(bench.doc.m_fT[r][0] == whole.doc.m_fT[r][0] &&
                            bench.doc.m_fT[r][1] == whole.doc.m_fT[r][1]);
            }
        }
    }

    void eachFailureEndsTheAcquisitionAndConvertsNothingOfIt() {
        const struct {
            const char* name;
            std::function<void(Bench&)> fault;
            bool ticks; // the failure shows only when the time-out passes
            const char* message;
            std::int16_t stored; // channels kept before the failure
        } cases[] = {
            {"no data", [](Bench& b) { b.scope.m_muteOn = ":WAV:DATA?"; }, true,
             "Acquisition interrompue (voie 1) :\nPas de réponse de l'oscilloscope à :WAV:DATA? "
             "en 3 s.",
             0},
            {"no data for the second",
             [](Bench& b) {
                 b.scope.m_muteOn = ":WAV:DATA?";
                 b.scope.m_muteOccurrence = 2;
             },
             true,
             "Acquisition interrompue (voie 2) :\nPas de réponse de l'oscilloscope à :WAV:DATA? "
             "en 3 s.\nVoie 1 : 12000 points lus, 5000 gardés dans le tableau.",
             1},
            {"no running state", [](Bench& b) { b.scope.m_muteOn = ":TRIG:STAT?"; }, true,
             "Acquisition interrompue :\nPas de réponse de l'oscilloscope à :TRIG:STAT? en 3 s.",
             0},
            // The line feed after the short data is one more byte of the block as far as
            // anyone can tell.
            {"short block", [](Bench& b) { b.scope.m_shortBy = 10; }, true,
             "Acquisition interrompue (voie 1) :\nBloc de données incomplet : 11991 octets reçus "
             "sur 12000 annoncés.",
             0},
            {"nine fields",
             [](Bench& b) { b.scope.m_preamble = "0,2,12000,1,1e-06,-6e-03,0,4e-02,0"; }, false,
             "Acquisition interrompue (voie 1) :\nPréambule illisible (préambule de 9 champs au "
             "lieu de 10).",
             0},
            {"infinite field",
             [](Bench& b) { b.scope.m_preamble = "0,2,12000,1,1e-06,-6e-03,0,inf,0,127"; }, false,
             "Acquisition interrompue (voie 1) :\nPréambule illisible (champ 8 du préambule non "
             "fini).",
             0},
            {"overflowing values",
             [](Bench& b) { b.scope.m_preamble = "0,2,12000,1,1e-06,-6e-03,0,1e300,0,127"; }, false,
             "Acquisition interrompue (voie 1) :\nValeurs non finies à la conversion (point 0).",
             0},
            {"block not asked for",
             [](Bench& b) { b.scope.m_preamble = "0,2,12001,1,1e-06,-6e-03,0,4e-02,0,127"; }, false,
             "Acquisition interrompue (voie 1) :\nBloc de 12000 octets au lieu des 12001 "
             "attendus.",
             0},
            {"indefinite block", [](Bench& b) { b.scope.m_beforeBlock = "#0"; }, false,
             "Acquisition interrompue (voie 1) :\nRéponse à :WAV:DATA? sans bloc de données "
             "lisible.",
             0},
        };
        for (const auto& c : cases) {
            Bench bench(CScriptedScope::Rigol);
            bench.Open();
            c.fault(bench);
            bench.Acquire(true, true);
            if (c.ticks) {
                QVERIFY2(bench.Acq().Waiting(), c.name);
                // The time-out: kDefaultTimeoutTicks ticks of silence, failing on the next.
                QCOMPARE(bench.TickOut(), CScpiAcquisition::kDefaultTimeoutTicks + 1);
                bench.Answer();
            }
            QVERIFY2(!bench.Acq().Waiting(), c.name);
            QVERIFY2(bench.Acq().Failed(), c.name);
            QCOMPARE(bench.Acq().m_strMessage, QString::fromUtf8(c.message));
            QCOMPARE(bench.Acq().CurrentState(), State::Ready); // another try is possible
            QVERIFY(bench.Acq().m_bAcquireEnabled && bench.Acq().m_bCloseEnabled);
            QCOMPARE(bench.Acq().StoredMask(), c.stored);
            // Stopped, then left running again, as the user had it.
            if (bench.Commands().contains(":STOP"))
                QCOMPARE(bench.Commands().last(), QStringLiteral(":RUN"));
            if (c.stored) {
                QCOMPARE(bench.doc.m_nPoints, std::int16_t(5000));
                QVERIFY(RigolRowIs(bench.doc, 4999, 0, 1, 4999 * 12000LL / 5000));
            } else {
                QCOMPARE(bench.doc.m_nPoints, std::int16_t(0));
                QVERIFY2(ColumnsEmpty(bench.doc, 0), c.name);
            }
            QVERIFY2(ColumnsEmpty(bench.doc, 2), c.name);
        }
    }

    void theTimeOutIsCountedInTicksOfSilence() {
        Bench bench(CScriptedScope::Keysight);
        bench.Acq().m_nTimeoutTicks = 50;
        bench.Open();
        bench.scope.m_shortBy = 100;
        bench.Acquire(true, false);
        for (int k = 0; k < 40; ++k)
            bench.Acq().Tick();
        // Bytes keep the reply alive: the count starts again.
        bench.transport->Receive(QByteArray(50, '\x80'));
        for (int k = 0; k < 50; ++k)
            bench.Acq().Tick();
        QVERIFY(bench.Acq().Waiting());
        bench.Acq().Tick();
        QVERIFY(!bench.Acq().Waiting());
        QVERIFY(bench.Acq().m_strMessage.contains(
            "Bloc de données incomplet : 4951 octets reçus sur 5000 annoncés.")); // with the line
                                                                                  // feed
        QVERIFY(bench.Acq().m_strMessage.contains("(voie 1)"));
    }

    // The limit counts from each request, bytes or not: a deep memory read
    // slowly still comes whole when each read fits, a read that keeps coming
    // past it ends the acquisition.
    void eachReplyIsBoundedFromItsRequest_data() {
        QTest::addColumn<int>("perTick");
        QTest::addColumn<QString>("message");
        QTest::newRow("each read within the limit")
            << 1000
            << QStringLiteral("Fin d'acquisition.\nVoie 1 : 600000 points lus, 5000 gardés dans "
                              "le tableau.");
        QTest::newRow("a read past the limit")
            << 500
            << QStringLiteral("Acquisition interrompue (voie 1) :\nL'oscilloscope répond depuis "
                              "plus de 3 s : acquisition arrêtée.");
    }
    void eachReplyIsBoundedFromItsRequest() {
        QFETCH(int, perTick);
        QFETCH(QString, message);
        Bench bench(CScriptedScope::Rigol);
        bench.scope.m_memory = 600000; // three reads of at most 250000
        bench.Acq().m_nReplyLimitTicks = 300;
        bench.Open();
        bench.controller->SetChannel(1, true);
        bench.controller->Acquire();
        const int ticks = bench.Trickle(perTick);
        bench.Answer(); // what was written last reaches the scope
        QCOMPARE(bench.Acq().m_strMessage, message);
        QCOMPARE(bench.Acq().CurrentState(), State::Ready);
        QVERIFY(bench.scope.m_running); // let run again in both cases
        if (perTick == 1000) {
            QVERIFY(ticks > 2 * 300); // far more than one reply may take
            QVERIFY(RigolRowIs(bench.doc, 4999, 0, 1, 4999LL * 600000 / 5000));
        } else {
            // The preamble and the other queries take a tick each; the first read 301.
            QVERIFY2(ticks > 300 && ticks < 320, qPrintable(QString::number(ticks)));
            QVERIFY(ColumnsEmpty(bench.doc, 0));
            QCOMPARE(bench.doc.m_nPoints, std::int16_t(0));
        }
    }

    // A scope that keeps sending a block (a byte a tick, never its end) holds
    // the acquisition until the reply limit (60 s of ticks by default), or
    // until the window is closed: either way channel 1, converted before,
    // stays, nothing of channel 2 is stored and the scope runs again.
    void aBabblingScopeIsStopped_data() {
        QTest::addColumn<bool>("windowClosed");
        QTest::addColumn<QString>("message");
        QTest::newRow("reply limit")
            << false
            << QStringLiteral("Acquisition interrompue (voie 2) :\nL'oscilloscope répond depuis "
                              "plus de 60 s : acquisition arrêtée.\nVoie 1 : 12000 points lus, "
                              "5000 gardés dans le tableau.");
        QTest::newRow("window closed")
            << true
            << QStringLiteral("Acquisition arrêtée à la fermeture de la fenêtre (voie 2).\nVoie 1 "
                              ": 12000 points lus, 5000 gardés dans le tableau.");
    }
    void aBabblingScopeIsStopped() {
        QFETCH(bool, windowClosed);
        QFETCH(QString, message);
        Bench bench(CScriptedScope::Rigol);
        bench.Open();
        const QString ready = bench.Acq().m_strMessage;
        bench.controller->Abandon(); // not acquiring: nothing happens
        QCOMPARE(bench.Acq().m_strMessage, ready);
        QCOMPARE(bench.Acq().CurrentState(), State::Ready);
        bench.scope.m_muteOn = ":WAV:DATA?"; // the test sends channel 2's block itself
        bench.scope.m_muteOccurrence = 2;
        bench.Acquire(true, true);
        bench.transport->Receive("#9000012000");
        const int ticks = windowClosed ? 3000 : CScpiAcquisition::kDefaultReplyLimitTicks;
        for (int k = 0; k < ticks; ++k) {
            bench.transport->Receive("U");
            bench.Acq().Tick();
        }
        QVERIFY(bench.Acq().Waiting());
        if (windowClosed) {
            bench.controller->Abandon();
        } else {
            bench.transport->Receive("U");
            bench.Acq().Tick();
        }
        QVERIFY(!bench.Acq().Waiting());
        QCOMPARE(bench.Acq().m_strMessage, message);
        QCOMPARE(bench.Acq().CurrentState(), windowClosed ? State::Stopped : State::Ready);
        QVERIFY(bench.Acq().m_bCloseEnabled);
        QCOMPARE(bench.Acq().m_bAcquireEnabled, !windowClosed);
        QVERIFY(bench.transport->AllWritten().endsWith(":RUN\n")); // the scope runs again
        bench.transport->Receive(QByteArray(9000, 'U'));           // the rest comes late: dropped
        QCOMPARE(bench.Acq().m_strMessage, message);
        QCOMPARE(bench.doc.m_nPoints, std::int16_t(5000));
        QVERIFY(RigolRowIs(bench.doc, 4999, 0, 1, 4999LL * 12000 / 5000));
        QVERIFY(ColumnsEmpty(bench.doc, 2));
    }

    // A time-out longer than the limit: a silent scope is still told as silent.
    void silenceIsToldAsSuchWhateverTheLimit() {
        Bench bench(CScriptedScope::Keysight);
        bench.Acq().m_nTimeoutTicks = 500;
        bench.Acq().m_nReplyLimitTicks = 100;
        bench.Open();
        bench.scope.m_muteOn = ":WAV:PRE?";
        bench.Acquire(true, false);
        QCOMPARE(bench.TickOut(), 501);
        QCOMPARE(bench.Acq().m_strMessage,
                 QStringLiteral("Acquisition interrompue (voie 1) :\nPas de réponse de "
                                "l'oscilloscope à :WAV:PRE? en 5 s."));
    }

    void endlessGarbageIsNoReply() {
        for (const char* muted : {":WAV:DATA?", ":WAV:PRE?"}) {
            Bench bench(CScriptedScope::Rigol);
            bench.Open();
            bench.scope.m_muteOn = muted; // the test sends the garbage itself
            bench.Acquire(true, false);
            for (int k = 0; k < 4 && bench.Acq().Waiting(); ++k)
                bench.transport->Receive(QByteArray(1024, 'x'));
            QVERIFY(bench.Acq().Waiting()); // 4096 bytes may still be a header
            bench.transport->Receive("x");
            QVERIFY(!bench.Acq().Waiting());
            QVERIFY2(bench.Acq().m_strMessage.contains(QStringLiteral("Réponse à %1").arg(muted)),
                     qPrintable(bench.Acq().m_strMessage));
            QVERIFY(ColumnsEmpty(bench.doc, 0));
        }
    }

    void aLinkLostMidBlockStopsEverything() {
        Bench bench(CScriptedScope::Keysight);
        bench.Open();
        bench.scope.m_muteOn = ":WAV:DATA?"; // the test sends part of the block itself
        bench.Acquire(true, true);
        bench.transport->Receive("#800005000" + QByteArray(1000, '\x90'));
        bench.transport->Unplug();
        QCOMPARE(bench.Acq().CurrentState(), State::Stopped);
        QCOMPARE(bench.Acq().m_strMessage,
                 QStringLiteral("Acquisition interrompue (voie 1) :\nLiaison perdue avec "
                                "l'oscilloscope.\nLe périphérique /dev/fake ne répond plus."));
        QVERIFY(!bench.Acq().m_bAcquireEnabled && !bench.Acq().Enabled(1));
        QVERIFY(bench.Acq().m_bCloseEnabled);
        QVERIFY(ColumnsEmpty(bench.doc, 0));
        QCOMPARE(bench.doc.m_nPoints, std::int16_t(0));
    }

    void channelsTheScopeDoesNotDisplayAreRefused() {
        Bench bench(CScriptedScope::Rigol);
        bench.scope.m_displayed[1] = false;
        bench.doc.m_nChannels = 3;
        bench.Open();
        QVERIFY(bench.Acq().m_strMessage.contains("Voie 2 non affichée sur l'oscilloscope."));
        QVERIFY(bench.Acq().Checked(1) && bench.Acq().Enabled(1));
        QVERIFY(!bench.Acq().Checked(2) && !bench.Acq().Enabled(2));
        bench.controller->SetChannel(2, true);
        QVERIFY(!bench.Acq().Checked(2));

        // Switched off on the scope after the dialog opened.
        bench.scope.m_displayed[0] = false;
        bench.Acquire(true, false);
        QCOMPARE(bench.Acq().m_strMessage,
                 QStringLiteral("La voie 1 n'est pas affichée sur l'oscilloscope : acquisition "
                                "refusée."));
        QVERIFY(!bench.Commands().contains(":STOP"));
        QVERIFY(!bench.Acq().Enabled(1) && !bench.Acq().m_bAcquireEnabled);
        QCOMPARE(bench.doc.m_fT[0][0], kMarker); // nothing touched but the point count
    }

    void otherMakersAreToldWhereToGo() {
        const struct {
            QByteArray idn;
            const char* message;
        } cases[] = {
            {"TEKTRONIX,TBS 1052B,C010000,CF:91.1CT FV:v1.00",
             "Oscilloscope TEKTRONIX TBS 1052B.\nOscilloscope Tektronix : utiliser le menu Acq. "
             "Tektronix."},
            {"SIGLENT,SDS1202X-E,SDSM,8.1",
             "SIGLENT,SDS1202X-E,SDSM,8.1\nOscilloscope non pris en charge : seuls les Rigol et "
             "les Keysight/Agilent le sont ici."},
        };
        for (const auto& c : cases) {
            Bench bench(CScriptedScope::Rigol);
            bench.scope.m_idn = c.idn;
            bench.Open();
            QCOMPARE(bench.Acq().CurrentState(), State::Stopped);
            QCOMPARE(bench.Acq().m_strMessage, QString::fromUtf8(c.message));
            QCOMPARE(bench.Commands(), QStringList{"*IDN?"});
            QVERIFY(!bench.Acq().m_bAcquireEnabled && !bench.Acq().Enabled(1));
        }
    }

    void noIdentificationAndRefusedWrites() {
        Bench silent(CScriptedScope::Rigol);
        silent.scope.m_muteOn = "*IDN?";
        silent.Open();
        silent.TickOut();
        QCOMPARE(silent.Acq().CurrentState(), State::Stopped);
        QVERIFY(silent.Acq().m_strMessage.startsWith(
            "Pas de réponse de l'oscilloscope à *IDN? en 3 s."));

        Bench refused(CScriptedScope::Rigol);
        refused.Open();
        refused.transport->m_bRefuseWrites = true;
        refused.Acquire(true, false);
        QCOMPARE(refused.Acq().m_strMessage,
                 QStringLiteral("Acquisition interrompue :\nErreur d'écriture vers "
                                "l'oscilloscope (:CHAN1:DISP?)."));
        QVERIFY(!refused.Acq().Waiting());
    }
};

QTEST_GUILESS_MAIN(TestScpiAcquisition)
#include "tst_scpiacquisition.moc"
