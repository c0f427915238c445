#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "decode/scanmodel.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "instruments/pcmes3/ioports.h"
#include "instruments/pcmes3/pcmes3acquisition.h"
#include "instruments/pcmes3/simulatedcard.h"
#include "testsupport.h"
#include "view/commandrules.h"

namespace {

const QString kCode = QStringLiteral("5410673004208");

// A card that hands out scripted bytes, one per input read, and records the
// logical values written (the port carries their complement).
class CScriptedBus : public CPortBus {
  public:
    std::uint8_t In(std::uint16_t port) override {
        m_events << QStringLiteral("in");
        if (port != 0x340) return 0xEE;
        return m_nNext < m_bytes.size() ? static_cast<std::uint8_t>(m_bytes.at(m_nNext++)) : 0;
    }
    void Out(std::uint16_t port, std::uint8_t value) override {
        m_events << QStringLiteral("out%1@%2").arg(255 - value).arg(port, 0, 16);
    }
    QByteArray m_bytes;
    int m_nNext = 0;
    QStringList m_events;
};

// Three discarded bytes, then the words given, low byte first.
QByteArray CardBytes(const QList<int>& words) {
    QByteArray bytes(3, '\x07');
    for (int word : words) {
        bytes.append(static_cast<char>(word & 0xFF));
        bytes.append(static_cast<char>(word >> 8));
    }
    return bytes;
}

struct Fixture {
    CZbApp app;
    CZbDoc doc{&app};
    CScriptedBus* bus = nullptr;
    std::unique_ptr<CPcMes3Acquisition> acquisition;

    explicit Fixture(const QByteArray& bytes) {
        auto owned = std::make_unique<CScriptedBus>();
        bus = owned.get();
        bus->m_bytes = bytes;
        acquisition = std::make_unique<CPcMes3Acquisition>(
            &doc, &app, std::make_unique<CIoPorts>(std::move(owned)));
    }
    // Ends every pause of the running step; returns their lengths in order.
    QList<int> FinishPauses() {
        QList<int> pauses;
        while (acquisition->Waiting()) {
            pauses << acquisition->WaitMs();
            acquisition->OnWaitOver();
        }
        return pauses;
    }
    void Step() {
        acquisition->AcquireStep();
        FinishPauses();
    }
    // A Run acquisition driven tick by tick until it ends; returns the ticks.
    int RunToEnd() {
        acquisition->Acquire();
        int ticks = 0;
        while (acquisition->Acquiring() && ticks < 1000) {
            acquisition->OnTick();
            ++ticks;
            FinishPauses();
        }
        return ticks;
    }
    // Rows from the first written on whose level is not 0, up to the last.
    int LastRowAbove0() const {
        int last = -1;
        for (int i = 0; i < doc.m_nCapacity; ++i)
            if (doc.m_fT[i][1] != 0) last = i;
        return last;
    }
};

} // namespace

class TestPcMes3 : public QObject {
    Q_OBJECT
  private slots:
    void portsComplementTheOutput() {
        auto owned = std::make_unique<CScriptedBus>();
        CScriptedBus* bus = owned.get();
        bus->m_bytes = QByteArray("\x5A", 1);
        CIoPorts ports(std::move(owned));
        QCOMPARE(ports.m_nPorts[0], std::uint16_t(0x330));
        QCOMPARE(ports.m_nPorts[7], std::uint16_t(0x337));
        QCOMPARE(ports.m_nPorts[8], std::uint16_t(0x340));
        QCOMPARE(ports.m_nPorts[9], std::uint16_t(0x341));
        ports.WriteOutput(2);
        QCOMPARE(ports.m_nLastOutput, 253);
        QCOMPARE(bus->m_events.last(), QStringLiteral("out2@340"));
        QCOMPARE(int(ports.ReadInput()), 0x5A);
    }

    void simulatedCardDeliversTheIntervals() {
        const QByteArray bytes = CSimulatedCard::CardBytes(kCode);
        QCOMPARE(bytes.size(), 3 + 2 * 59);
        int modules = 0;
        for (int k = 3; k < bytes.size(); k += 2) {
            const int counts = std::uint8_t(bytes[k]) + 256 * std::uint8_t(bytes[k + 1]);
            QCOMPARE(counts % 200, 0);
            modules += counts / 200;
        }
        QCOMPARE(modules, 95);
        QVERIFY(CSimulatedCard::CardBytes(QStringLiteral("12345")).isEmpty());
        QVERIFY(!CSimulatedCard::IsCardCode(QStringLiteral("541067300420x")));
    }

    void openingSetsTheCardIdleInRun() {
        Fixture f(QByteArray{});
        QCOMPARE(f.bus->m_events, QStringList{QStringLiteral("out1@340")});
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("En mode Debug, une tempo de 2s est générée après chaque front."));
        QCOMPARE(f.acquisition->m_nStep, std::int16_t(-1));
        QCOMPARE(f.acquisition->m_nDelay, std::int16_t(10));
        f.acquisition->SelectDebug();
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("Temporisation de 2s entre les fronts."));
        QVERIFY(!f.acquisition->m_bAcquireEnabled);
        f.acquisition->SelectRun();
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("Pas de temporisation entre les fronts."));
        QVERIFY(f.acquisition->m_bAcquireEnabled);
        f.bus->m_events.clear();
        f.acquisition->Close(); // as when the window closes
        QCOMPARE(f.bus->m_events, QStringList{QStringLiteral("out1@340")});
    }

    // The pauses come in the card's order, each a state of its own.
    void handshakeOrderAndPauses_data() {
        QTest::addColumn<bool>("debug");
        QTest::newRow("Run") << false;
        QTest::newRow("Debug") << true;
    }
    void handshakeOrderAndPauses() {
        QFETCH(bool, debug);
        Fixture f(CardBytes({25}));
        if (debug) f.acquisition->SelectDebug();
        f.bus->m_events.clear();
        f.acquisition->AcquireStep();
        QVERIFY(!f.acquisition->m_bStepEnabled && !f.acquisition->m_bCloseEnabled);
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("Mise à zéro du bit 0.\nPassage en mode lecture..."));
        QCOMPARE(f.FinishPauses(), (QList<int>{1, 200}));
        QCOMPARE(f.bus->m_events, QStringList{QStringLiteral("out0@340")});
        QCOMPARE(f.doc.m_nDisplay, std::int16_t(129));
        QCOMPARE(f.doc.m_nPoints, f.doc.m_nCapacity);
        QVERIFY(f.acquisition->m_bStepEnabled && f.acquisition->m_bCloseEnabled);

        f.bus->m_events.clear();
        f.acquisition->AcquireStep();
        const int delay = debug ? 2000 : 10;
        QCOMPARE(f.bus->m_events, QStringList{QStringLiteral("out2@340")});
        QCOMPARE(f.FinishPauses(), (QList<int>{delay, delay}));
        QCOMPARE(f.bus->m_events, (QStringList{QStringLiteral("out2@340"), QStringLiteral("in"),
                                               QStringLiteral("out0@340")}));
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("(0) pf: 7 (7)\nOctet non pris en compte..."));
    }

    void stepMessagesAndRows() {
        Fixture f(CardBytes({25, 9, 0x1A2}));
        QSignalSpy redraws(f.acquisition.get(), &CPcMes3Acquisition::redrawRequested);
        for (int k = 0; k < 3; ++k)
            f.Step(); // -1, 0, 1
        f.Step();     // 2: the third discarded byte, two rows at 0
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("(2) pF: 7 (7)\nOctet non pris en compte..."));
        QCOMPARE(f.acquisition->m_nRow, std::int16_t(2));
        f.Step();
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("(3) pf: 25 (19)\nPoids faible mémorisé..."));
        // A word of 25 writes 2 bar rows.
        f.Step();
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("(4) pF: 0 (0), pf: 25 (19)\nN:25 (19)\nBarre, écriture mot N à "
                                "16 bit..."));
        QCOMPARE(f.acquisition->m_nRow, std::int16_t(4));
        QCOMPARE(f.doc.m_fT[2][1], 1.05f);
        QCOMPARE(f.doc.m_fT[3][1], 1.05f);
        QCOMPARE(f.doc.m_fT[3][0], 3.0f);
        QCOMPARE(redraws.count(), 1); // step by step, every bar written is shown
        // A word of 9 writes none, yet the next word is a bar again.
        f.Step();
        f.Step();
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("(6) pF: 0 (0), pf: 9 (9)\nN:9 (9)\nEspace, écriture mot N à 16 "
                                "bit..."));
        QCOMPARE(f.acquisition->m_nRow, std::int16_t(4));
        QCOMPARE(redraws.count(), 1);
        f.Step();
        f.Step();
        QCOMPARE(f.acquisition->m_nRow, std::int16_t(4 + 0x1A2 / 10));
        QCOMPARE(f.doc.m_fT[4][1], 1.05f);
        QCOMPARE(f.doc.m_fT[4 + 0x1A2 / 10 - 1][1], 1.05f);
    }

    void runMessageNamesTheWord() {
        Fixture f(CardBytes({0x123}));
        f.acquisition->Acquire();
        QVERIFY(!f.acquisition->m_bCloseEnabled && !f.acquisition->m_bStepEnabled &&
                !f.acquisition->m_bModesEnabled && !f.acquisition->m_bAcquireEnabled);
        // A tick while a step is running starts nothing.
        f.acquisition->OnTick();
        f.acquisition->OnTick();
        QCOMPARE(f.acquisition->m_nStep, std::int16_t(-1));
        f.FinishPauses();
        for (int k = 0; k < 5; ++k) {
            f.acquisition->OnTick();
            f.FinishPauses();
        }
        QCOMPARE(f.acquisition->m_nStep, std::int16_t(5));
        QCOMPARE(f.acquisition->m_strMessage,
                 QStringLiteral("(4)\nN:291 (123)\nBarre, écriture mot N à 16 bit..."));
    }

    // At most 2 + sum(N / 10) rows, after every row was reset to level 0.
    void runWritesAtMostTheWordsRows() {
        QList<int> words;
        int rows = 2;
        for (int k = 0; k < 59; ++k) {
            words << 100 + 37 * k;
            rows += (100 + 37 * k) / 10;
        }
        Fixture f(CardBytes(words));
        for (int i = 0; i < f.doc.m_nCapacity; ++i)
            f.doc.m_fT[i][1] = 3.0f;
        bool finished = false;
        connect(f.acquisition.get(), &CPcMes3Acquisition::finished, this, [&] { finished = true; });
        f.RunToEnd();
        QVERIFY(finished);
        QCOMPARE(f.acquisition->m_nStep, std::int16_t(-1));
        QCOMPARE(f.bus->m_events.last(), QStringLiteral("out1@340"));
        QVERIFY(f.acquisition->m_bAcquireEnabled && f.acquisition->m_bCloseEnabled);
        QCOMPARE(int(f.acquisition->m_nRow), qMin(rows, int(f.doc.m_nCapacity)));
        QVERIFY(f.LastRowAbove0() < rows);
        for (int i = rows; i < f.doc.m_nCapacity; ++i) {
            QCOMPARE(f.doc.m_fT[i][0], float(i));
            QCOMPARE(f.doc.m_fT[i][1], 0.0f);
        }
    }

    void rowsPastTheTableAreDropped() {
        Fixture f(CardBytes(QList<int>(59, 0xFFFF)));
        f.RunToEnd();
        QCOMPARE(f.acquisition->m_nRow, f.doc.m_nCapacity);
        QCOMPARE(f.doc.m_fT[f.doc.m_nCapacity - 1][0], float(f.doc.m_nCapacity - 1));
    }

    // After a completed step-by-step sequence, "&Acquérir" reads once more and
    // ends at once; the one after that acquires the whole code.
    void acquireAfterAStepByStepSequence() {
        CZbApp app;
        CZbDoc doc(&app);
        auto card = std::make_unique<CSimulatedCard>(kCode);
        CPcMes3Acquisition acquisition(&doc, &app, std::make_unique<CIoPorts>(std::move(card)));
        auto finish = [&] {
            while (acquisition.Waiting())
                acquisition.OnWaitOver();
        };
        for (int step = -1; step <= 120; ++step) {
            QVERIFY2(acquisition.m_bStepEnabled, qPrintable(QString::number(step)));
            acquisition.AcquireStep();
            finish();
        }
        QCOMPARE(acquisition.m_nStep, std::int16_t(121));
        QVERIFY(!acquisition.m_bStepEnabled);
        QCOMPARE(acquisition.m_pPorts->m_nLastOutput, 254); // idle
        const int rows = acquisition.m_nRow;
        QCOMPARE(rows, 2 + 95 * 20);

        acquisition.SelectRun();
        acquisition.Acquire();
        int ticks = 0;
        while (acquisition.Acquiring()) {
            acquisition.OnTick();
            finish();
            ++ticks;
        }
        QCOMPARE(ticks, 1);
        QCOMPARE(acquisition.m_nStep, std::int16_t(-1));
        QVERIFY(acquisition.m_bStepEnabled);

        acquisition.Acquire();
        while (acquisition.Acquiring()) {
            acquisition.OnTick();
            finish();
            ++ticks;
        }
        QCOMPARE(ticks, 1 + 122);
        QCOMPARE(int(acquisition.m_nRow), 2 + 95 * 20);
        // The trace is the code's modules at 20 rows a module, after two rows at 0.
        const QString modules = Ean13Modules(kCode);
        for (int m = 0; m < modules.size(); ++m)
            QCOMPARE(doc.m_fT[2 + 20 * m + 10][1],
                     modules.at(m) == QLatin1Char('1') ? 1.05f : 0.0f);
    }

    void commandNeedsTheCard() {
        CZbApp app;
        CZbDoc doc(&app);
        QVERIFY(!CommandEnabled(CommandRule::PortIo, doc));
        app.m_bCardAvailable = true;
        QVERIFY(CommandEnabled(CommandRule::PortIo, doc));
    }

    void batchAcquisitionDecodes() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("card.cod"));
        const ProcessResult acquired = RunLineatix(
            {QStringLiteral("--acquire"), QStringLiteral("pcmes3"),
             QStringLiteral("--simulated-card"), kCode, QStringLiteral("--save"), path});
        QCOMPARE(acquired.exitCode, 0);
        const QString out = QString::fromLocal8Bit(acquired.out);
        QVERIFY(out.contains(QStringLiteral("Mise à zéro du bit 0.")));
        QVERIFY(out.contains(QStringLiteral("(120)\nN:")));
        const ProcessResult decoded = RunLineatix(
            {QStringLiteral("--decode"), QStringLiteral("--uref"), QStringLiteral("0.5"), path});
        QCOMPARE(decoded.exitCode, 0);
        QVERIFY2(decoded.out.contains(kCode.toLatin1()), decoded.out.constData());
    }

    void batchUsageAndBadCode() {
        QCOMPARE(RunLineatix({QStringLiteral("--acquire"), QStringLiteral("pcmes3")}).exitCode, 1);
        const ProcessResult bad =
            RunLineatix({QStringLiteral("--acquire"), QStringLiteral("pcmes3"),
                         QStringLiteral("--simulated-card"), QStringLiteral("123")});
        QCOMPARE(bad.exitCode, 1);
        QVERIFY(!bad.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPcMes3)
#include "tst_pcmes3.moc"
