// The steps of the Tektronix acquisition without a window and without a port:
// the test plays the oscilloscope on a transport without a device and steps
// the 10 ms ticks itself.

#include <QRandomGenerator>
#include <QTest>
#include <cmath>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "faketransport.h"
#include "instruments/tektronix/tekacquisition.h"
#include "instruments/tektronix/teklink.h"
#include "mutation.h"

namespace {

using State = CTekAcquisition::State;

const QByteArray kId3xx("TEKTRONIX,TDS 340,0,CF:91.1CT FV:v1.00\n");
const QByteArray kIdXxx("TEKTRONIX,TDS 220,0,CF:91.1CT FV:v1.08\n");
// NR_Pt, PT_Off, XINcr, YMULt, YZERo, YOFf as a TDS answers with headers off.
const QByteArray kPreamble("2500\n1250\n4.0E-6\n4.0E-2\n0.0E0\n2.5E1\n");

// "v0,v1,...,vn-1\n": n levels, the last without its comma.
QByteArray Curve(int count, int first = 0) {
    QByteArray reply;
    for (int i = 0; i < count; ++i) {
        if (i) reply += ',';
        reply += QByteArray::number(first + i % 100);
    }
    return reply + '\n';
}

struct Rig {
    CZbApp app;
    CZbDoc doc{&app};
    CFakeTransport* transport;
    std::unique_ptr<CTekLink> link;
    std::unique_ptr<CTekAcquisition> acquisition;
    QStringList boxes;
    int redraws = 0;
    int shows = 0;

    explicit Rig(bool portOpens = true) {
        auto fake = std::make_unique<CFakeTransport>();
        transport = fake.get();
        if (portOpens) {
            link = std::make_unique<CTekLink>(0, std::move(fake), QString());
        } else {
            transport = nullptr;
            link = std::make_unique<CTekLink>(0, nullptr,
                                              QStringLiteral("Le périphérique /dev/ttyS0 "
                                                             "n'existe pas."));
        }
        acquisition = std::make_unique<CTekAcquisition>(&doc, link.get());
        acquisition->m_onMessageBox = [this](const QString& text) { boxes << text; };
        acquisition->m_onRedraw = [this] { ++redraws; };
        acquisition->m_onShow = [this] { ++shows; };
    }

    // What the program sent since the last call.
    QByteArray Sent() {
        const QByteArray all = transport->AllWritten();
        transport->m_written.clear();
        return all;
    }

    // Ticks until the running timer changes; the ticks it took.
    int RunPhase(int limit = 1000) {
        const int timer = acquisition->RunningTimer();
        int ticks = 0;
        while (acquisition->RunningTimer() == timer && timer >= 0 && ticks < limit) {
            acquisition->Tick();
            ++ticks;
        }
        return ticks;
    }

    void Identify(const QByteArray& id) {
        acquisition->Open();
        transport->Receive(id);
        RunPhase();
    }

    // Checks the sources (indices into the source table) and acquires.
    void Check(std::initializer_list<int> sources) {
        for (int i = 0; i < kTekSourceCount; ++i)
            acquisition->SetChecked(i, false);
        for (int i : sources) {
            acquisition->SetChecked(i, true);
            acquisition->SourceClicked();
        }
    }

    // One source: its preamble and curve replies, each after its queries.
    void AnswerSource(const QByteArray& preamble, const QByteArray& curve) {
        RunPhase(); // timer 0: the queries
        transport->Receive(preamble);
        RunPhase(); // timer 2
        if (acquisition->RunningTimer() != 3) return;
        transport->Receive(curve);
        RunPhase(); // timer 3
    }
};

} // namespace

class TestTekAcquisition : public QObject {
    Q_OBJECT

  private slots:
    void openingSendsTheFirstCommandsAndSetsTheLegend() {
        Rig rig;
        rig.doc.m_nChannels = 2 | 16;
        rig.acquisition->Open();
        QCOMPARE(rig.Sent(), QByteArray("DATA:ENCDG ASCII\nRS232:PRESET\nID?\n"));
        QCOMPARE(rig.doc.m_astrLegend,
                 QStringList({"ACQ. OSCILLOSCOPE TEKTRONIX", "Nom(s)/Prénom(s):"}));
        QVERIFY(!rig.acquisition->m_bCh1 && rig.acquisition->m_bCh2 && rig.acquisition->m_bMath);
        QCOMPARE(
            rig.acquisition->m_strMessage,
            QStringLiteral("Sélectionner les voies d'acquisition, puis cliquer sur Acquérir."));
        QVERIFY(!rig.acquisition->m_bAcquireEnabled);
        QCOMPARE(rig.acquisition->RunningTimer(), 1);
    }

    void theIdentificationChoosesTheTypeAndThePrefix_data() {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("queries");
        QTest::newRow("TDS 3 anywhere") << kId3xx << 1
                                        << QByteArray("SELect:CH1 ON\nDATA:SOURCE CH1\n"
                                                      "WFMPre:CH1:NR_Pt?\nWFMPre:CH1:PT_Off?\n"
                                                      "WFMPre:CH1:XINcr?\nWFMPre:CH1:YMULt?\n"
                                                      "WFMPre:CH1:YZERo?\nWFMPre:CH1:YOFf?\n");
        QTest::newRow("garbage after the line")
            << kId3xx + QByteArray("\x01\xffnoise", 7) << 1
            << QByteArray("SELect:CH1 ON\nDATA:SOURCE CH1\n"
                          "WFMPre:CH1:NR_Pt?\nWFMPre:CH1:PT_Off?\n"
                          "WFMPre:CH1:XINcr?\nWFMPre:CH1:YMULt?\n"
                          "WFMPre:CH1:YZERo?\nWFMPre:CH1:YOFf?\n");
        QTest::newRow("another model") << kIdXxx << 0
                                       << QByteArray("SELect:CH1 ON\nDATA:SOURCE CH1\n"
                                                     "WFMPre:NR_Pt?\nWFMPre:PT_Off?\n"
                                                     "WFMPre:XINcr?\nWFMPre:YMULt?\n"
                                                     "WFMPre:YZERo?\nWFMPre:YOFf?\n");
    }
    void theIdentificationChoosesTheTypeAndThePrefix() {
        QFETCH(QByteArray, id);
        QFETCH(int, type);
        QFETCH(QByteArray, queries);
        Rig rig;
        rig.acquisition->Open();
        rig.Sent();
        // The reply before the first tick: one tick sees it grow, then the
        // idle window of more than 20 ticks.
        rig.transport->Receive(id);
        QCOMPARE(rig.RunPhase(), 22);
        QCOMPARE(rig.acquisition->m_nType, type);
        QVERIFY(rig.acquisition->Identified());
        QVERIFY(rig.link->m_strBuffer.isEmpty());
        QVERIFY(rig.acquisition->m_bAcquireEnabled);
        rig.Check({0});
        rig.acquisition->Acquire();
        QCOMPARE(rig.Sent(), QByteArray("DATa:STARt 1\nDATa:STOP 2500\n"));
        rig.RunPhase();
        QCOMPARE(rig.Sent(), queries);
        QCOMPARE(rig.acquisition->RunningTimer(), 2);
    }

    void theTypeCanBeChangedByHand() {
        Rig rig;
        rig.Identify(kId3xx);
        rig.acquisition->m_nType = 0;
        rig.Check({1});
        rig.acquisition->Acquire();
        rig.RunPhase();
        QVERIFY(rig.Sent().endsWith("WFMPre:YZERo?\nWFMPre:YOFf?\n"));
    }

    void noIdentificationReply() {
        Rig rig;
        rig.acquisition->Open();
        QCOMPARE(rig.RunPhase(), 21);
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Erreur de communication avec oscilloscope Tektronix !"));
        QCOMPARE(rig.acquisition->m_nType, -1);
        QVERIFY(!rig.acquisition->m_bAcquireEnabled);
        QVERIFY(!rig.acquisition->Identified());
        // The first write did succeed: a click on a source enables it again.
        rig.Check({0});
        QVERIFY(rig.acquisition->m_bAcquireEnabled);
    }

    void aPortThatDidNotOpen() {
        Rig rig(false);
        rig.acquisition->Open();
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Erreur d'écriture sur le port série n°1 !"));
        QCOMPARE(rig.acquisition->CurrentState(), State::WriteFailed);
        QCOMPARE(rig.acquisition->RunningTimer(), -1);
        rig.Check({0});
        QVERIFY(!rig.acquisition->m_bAcquireEnabled); // for as long as the dialog is open
        QCOMPARE(rig.link->Monitor().m_strStatus,
                 QStringLiteral("Erreur de connexion au port COM1 !\n"
                                "Le périphérique /dev/ttyS0 n'existe pas."));
    }

    // A stored mask of three sources or more presets the two lowest only:
    // the table has columns for two.
    void aStoredMaskPresetsTwoSourcesAtMost() {
        Rig rig;
        rig.doc.m_nChannels = 1 | 2 | 4 | 8 | 16;
        rig.Identify(kIdXxx);
        const bool presetAndEnabled[kTekSourceCount] = {true, true, false, false, false};
        for (int i = 0; i < kTekSourceCount; ++i) {
            QCOMPARE(rig.acquisition->IsChecked(i), presetAndEnabled[i]);
            QCOMPARE(rig.acquisition->m_bSourceEnabled[i], presetAndEnabled[i]);
        }
        rig.acquisition->Acquire();
        QCOMPARE(rig.doc.m_nChannels, std::int16_t(3));
    }

    void twoBoxesDisableTheOtherThree() {
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({1, 4});
        const bool twoChecked[kTekSourceCount] = {false, true, false, false, true};
        for (int i = 0; i < kTekSourceCount; ++i)
            QCOMPARE(rig.acquisition->m_bSourceEnabled[i], twoChecked[i]);
        rig.acquisition->SetChecked(4, false);
        rig.acquisition->SourceClicked();
        for (bool enabled : rig.acquisition->m_bSourceEnabled)
            QVERIFY(enabled);
        QVERIFY(rig.acquisition->m_bAcquireEnabled);
        rig.acquisition->SetChecked(1, false);
        rig.acquisition->SourceClicked();
        QVERIFY(!rig.acquisition->m_bAcquireEnabled);
    }

    void ch2AndMathGoToColumns0To3WithMask18() {
        Rig rig;
        rig.Identify(kId3xx);
        rig.Check({4, 1});
        rig.acquisition->Acquire();
        QCOMPARE(rig.doc.m_nChannels, std::int16_t(18));
        QCOMPARE(rig.doc.m_nDisplay, std::int16_t(18));
        QVERIFY(!rig.acquisition->m_bCloseEnabled && !rig.acquisition->m_bAcquireEnabled &&
                !rig.acquisition->m_bTypeEnabled);
        rig.Sent();
        rig.AnswerSource(kPreamble, "10,20,30,\n");
        QVERIFY(rig.Sent().startsWith("SELect:CH2 ON\nDATA:SOURCE CH2\nWFMPre:CH2:NR_Pt?\n"));
        rig.AnswerSource(kPreamble, "40,50,\n");
        QVERIFY(rig.Sent().startsWith("SELect:MATH ON\nDATA:SOURCE MATH\nWFMPre:MATH:NR_Pt?\n"));
        rig.RunPhase(); // timer 0: nothing pending
        QCOMPARE(rig.acquisition->CurrentState(), State::Ready);
        // Volts = (raw - 25) * 0.04: CH2 in columns 0-1, MATH in 2-3.
        QCOMPARE(rig.doc.m_fT[2][1], (30 - 25) * 0.04f);
        QCOMPARE(rig.doc.m_fT[1][3], (50 - 25) * 0.04f);
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(2)); // the last source's rows
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Fin d'acquisition.\n3 valeurs écrites dans le tableau.\n(7)"));
        QVERIFY(rig.acquisition->m_bCloseEnabled && rig.acquisition->m_bAcquireEnabled);
        QCOMPARE(rig.redraws, 1);
    }

    void thePreambleIsShownAndTheCurveConverted() {
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({0});
        rig.doc.m_pRegressions->m_bComputed[0] = 1;
        rig.acquisition->Acquire();
        rig.RunPhase();
        rig.transport->Receive(kPreamble);
        QCOMPARE(rig.RunPhase(), 52); // more than 50 idle ticks
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Acquisition en cours: CH1\nNR_Pt: 2500, PT_Off: 1250, XINCr: "
                                "4.0e-006, YMUlt: 4.0e-002, YZEro: 0.0e+000, YOFf: 2.5e+001"));
        QVERIFY(rig.Sent().endsWith("CURVe?\n"));
        QCOMPARE(rig.link->m_nNrPt, 2500);
        QCOMPARE(rig.link->m_fYOff, 25.0f);

        QByteArray curve = Curve(2500);
        curve.replace("0,", "125,"); // a known raw level
        rig.transport->Receive(curve);
        QCOMPARE(rig.RunPhase(), 22);
        rig.RunPhase();
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(2499)); // the last value has no comma
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Fin d'acquisition.\n2500 valeurs écrites dans le tableau.\n(%1)")
                     .arg(curve.size()));
        QVERIFY(std::fabs(rig.doc.m_fT[0][0] - -0.005f) < 1e-9f);
        QCOMPARE(rig.doc.m_fT[1250][0], 0.0f);
        QCOMPARE(rig.doc.m_fT[0][1], 4.0f); // (125 - 25) * 0.04 + 0
        QCOMPARE(rig.doc.m_pRegressions->m_bComputed[0], 0);
        QCOMPARE(rig.acquisition->m_nEmptySources, std::int16_t(0));
    }

    void aReplyTricklingInIsNeverCut() {
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({0});
        rig.acquisition->Acquire();
        rig.RunPhase();
        rig.transport->Receive(kPreamble);
        rig.RunPhase();
        // A value every 19 ticks: each growth restarts the idle window.
        const QByteArray curve = Curve(20);
        for (const char c : curve) {
            rig.transport->Receive(QByteArray(1, c));
            for (int t = 0; t < 19; ++t)
                rig.acquisition->Tick();
            QCOMPARE(rig.acquisition->RunningTimer(), 3);
        }
        rig.RunPhase();
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(19));
    }

    void badPreambleReplies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("a header line")
            << QByteArray(":WFMPRE:NR_PT 2500\n1250\n4e-6\n0.04\n0\n25\n");
        QTest::newRow("silence") << QByteArray();
        QTest::newRow("five lines") << QByteArray("2500\n1250\n4e-6\n0.04\n0\n");
        QTest::newRow("no points") << QByteArray("0\n1250\n4e-6\n0.04\n0\n25\n");
        QTest::newRow("negative points") << QByteArray("-5\n1250\n4e-6\n0.04\n0\n25\n");
        QTest::newRow("infinite XINcr") << QByteArray("2500\n1250\ninf\n0.04\n0\n25\n");
        QTest::newRow("XINcr too large") << QByteArray("2500\n1250\n1e39\n0.04\n0\n25\n");
        QTest::newRow("NaN YMULt") << QByteArray("2500\n1250\n4e-6\nnan\n0\n25\n");
        QTest::newRow("NaN YOFf") << QByteArray("2500\n1250\n4e-6\n0.04\n0\nNAN\n");
        QTest::newRow("NR_Pt too large") << QByteArray("99999999999\n1250\n4e-6\n0.04\n0\n25\n");
    }
    void badPreambleReplies() {
        QFETCH(QByteArray, reply);
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({0, 1});
        rig.doc.m_nPoints = 7;
        rig.acquisition->Acquire();
        rig.AnswerSource(reply, "1,2,\n");
        QCOMPARE(rig.acquisition->m_strMessage, QStringLiteral("Erreur de lecture paramètres !"));
        QCOMPARE(rig.acquisition->CurrentState(), State::Stopped);
        QCOMPARE(rig.acquisition->RunningTimer(), -1);
        QVERIFY(rig.acquisition->m_bCloseEnabled);
        QVERIFY(!rig.acquisition->m_bAcquireEnabled && !rig.acquisition->m_bTypeEnabled);
        for (bool enabled : rig.acquisition->m_bSourceEnabled)
            QVERIFY(!enabled);
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(7));
        QVERIFY(!rig.Sent().contains("CURVe?"));
    }

    void aSilentCurveStoresNothingAndGoesOn() {
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({0});
        rig.acquisition->Acquire();
        rig.AnswerSource(kPreamble, QByteArray());
        rig.RunPhase();
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Fin d'acquisition.\n1 valeurs écrites dans le tableau.\n(0)"));
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(0));
        QCOMPARE(rig.acquisition->m_nEmptySources, std::int16_t(1));
    }

    void aCurveThatFillsTheTableIsRefused() {
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({0, 1});
        rig.acquisition->Acquire();
        QByteArray full;
        for (int i = 0; i < 5001; ++i)
            full += "1,"; // 5001 comma-ended values, in 10002 characters
        rig.AnswerSource(kPreamble, full + "\n");
        QCOMPARE(rig.boxes, QStringList{QStringLiteral("Dépassement taille tableau m_fT")});
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(0));
        QCOMPARE(rig.acquisition->RunningTimer(), 0); // the next source all the same
        rig.AnswerSource(kPreamble, "1,2,3,\n");
        rig.RunPhase();
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(3));
        QCOMPARE(rig.acquisition->m_nEmptySources, std::int16_t(1)); // CH1 only
    }

    // The monitor keeps the last 20 characters of a reply past 14000: what
    // is left must not pass for the curve.
    void aCurveCutByTheMonitorIsNotConverted() {
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({0, 1});
        rig.doc.m_nPoints = 3;
        rig.acquisition->Acquire();
        QByteArray runaway;
        while (runaway.size() <= 14000)
            runaway += "-32768,";
        rig.AnswerSource(kPreamble, runaway + "5\n");
        QCOMPARE(rig.acquisition->CurrentState(), State::Stopped);
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Réponse tronquée (plus de 14000 caractères) :\n"
                                "courbe CH1 non convertie."));
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(3));
        QVERIFY(rig.acquisition->m_bCloseEnabled);
    }

    void aLostPortEndsTheAcquisitionAndKeepsWhatWasConverted() {
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({0, 1});
        rig.acquisition->Acquire();
        rig.AnswerSource(kPreamble, "30,35,40,\n");
        rig.RunPhase(); // CH2's queries
        rig.transport->Unplug();
        rig.acquisition->LinkLost(QStringLiteral("Le périphérique /dev/fake ne répond plus."));
        QCOMPARE(rig.acquisition->CurrentState(), State::Stopped);
        QCOMPARE(rig.acquisition->RunningTimer(), -1);
        QCOMPARE(rig.acquisition->m_strMessage,
                 QStringLiteral("Liaison série interrompue !\n"
                                "Le périphérique /dev/fake ne répond plus."));
        QVERIFY(rig.acquisition->m_bCloseEnabled);
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(3));
        QCOMPARE(rig.doc.m_fT[1][1], (35 - 25) * 0.04f);
        QCOMPARE(rig.redraws, 1);
    }

    // A scope that keeps sending never ends its reply: past the limit,
    // counted from the request in the acquisition's ticks, it stops; what
    // was converted stays.
    void aReplyThatNeverEndsIsStopped_data() {
        QTest::addColumn<int>("phase");
        QTest::newRow("identification") << 1;
        QTest::newRow("preamble") << 2;
        QTest::newRow("curve") << 3;
    }
    void aReplyThatNeverEndsIsStopped() {
        QFETCH(int, phase);
        Rig rig;
        rig.acquisition->m_nReplyLimitTicks = 60; // above the 52 ticks a preamble takes
        if (phase == 1) {
            rig.acquisition->Open();
        } else {
            rig.Identify(kIdXxx);
            rig.Check({0, 1});
            rig.acquisition->Acquire();
            rig.AnswerSource(kPreamble, "30,35,40,\n");
            rig.RunPhase(); // CH2's queries
            if (phase == 3) {
                rig.transport->Receive(kPreamble);
                rig.RunPhase();
            }
        }
        QCOMPARE(rig.acquisition->RunningTimer(), phase);
        const int redraws = rig.redraws;
        int ticks = 0;
        while (rig.acquisition->RunningTimer() == phase && ticks < 1000) {
            rig.transport->Receive("1,");
            rig.acquisition->Tick();
            ++ticks;
        }
        QCOMPARE(ticks, 61);
        QCOMPARE(rig.acquisition->CurrentState(), State::Stopped);
        QCOMPARE(
            rig.acquisition->m_strMessage,
            QStringLiteral("L'oscilloscope répond depuis plus de 0.6 s : acquisition arrêtée."));
        QVERIFY(rig.acquisition->m_bCloseEnabled);
        QVERIFY(!rig.acquisition->m_bAcquireEnabled);
        if (phase > 1) {
            QCOMPARE(rig.doc.m_fT[1][1], (35 - 25) * 0.04f);
            QCOMPARE(rig.redraws, redraws + 1);
        }
    }

    // The limit holds for each reply from its own request, not for the
    // acquisition: phases of 21, 52 and 22 ticks pass a limit of 60.
    void theLimitCountsFromEachRequest() {
        Rig rig;
        rig.acquisition->m_nReplyLimitTicks = 60;
        rig.Identify(kIdXxx);
        rig.Check({0});
        rig.acquisition->Acquire();
        rig.AnswerSource(kPreamble, "30,35,40,\n");
        rig.RunPhase();
        QCOMPARE(rig.acquisition->CurrentState(), State::Ready);
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(3));
    }

    // The window closed while acquiring: no more ticks, the first source stays.
    void abandonedBetweenTwoSources() {
        Rig rig;
        rig.Identify(kIdXxx);
        rig.Check({0, 1});
        rig.acquisition->Acquire();
        rig.AnswerSource(kPreamble, "30,35,40,\n");
        rig.RunPhase(); // CH2's queries
        QCOMPARE(rig.acquisition->RunningTimer(), 2);
        rig.acquisition->Abandon();
        QCOMPARE(rig.acquisition->RunningTimer(), -1);
        QCOMPARE(rig.acquisition->CurrentState(), State::Stopped);
        QCOMPARE(rig.doc.m_nPoints, std::int16_t(3));
        QCOMPARE(rig.doc.m_fT[1][1], (35 - 25) * 0.04f);
        QCOMPARE(rig.redraws, 1);
        rig.acquisition->Abandon(); // once stopped, nothing more
        QCOMPARE(rig.redraws, 1);
    }

    // The same replies cut in two at every offset, the second part a few
    // ticks later, give the same table; garbage left from before the
    // queries is dropped, a header before the levels is skipped.
    void repliesSplitAtEveryOffset() {
        const QByteArray curve(":CURVE 10,20,30,40\r\n");
        for (int part = 0; part < 2; ++part) {
            const QByteArray reply = part == 0 ? kPreamble : curve;
            for (int cut = 0; cut <= reply.size(); ++cut) {
                Rig rig;
                rig.Identify(kIdXxx);
                rig.Check({0});
                rig.acquisition->Acquire();
                rig.transport->Receive("stale 1,2,3,\n"); // before the queries
                rig.RunPhase();
                const QByteArray preamble = part == 0 ? reply.left(cut) : kPreamble;
                rig.transport->Receive(preamble);
                for (int t = 0; t < 10; ++t)
                    rig.acquisition->Tick();
                if (part == 0) rig.transport->Receive(reply.mid(cut));
                rig.RunPhase();
                QCOMPARE(rig.acquisition->RunningTimer(), 3);
                rig.transport->Receive(part == 1 ? reply.left(cut) : curve);
                for (int t = 0; t < 10; ++t)
                    rig.acquisition->Tick();
                if (part == 1) rig.transport->Receive(reply.mid(cut));
                rig.RunPhase();
                rig.RunPhase();
                QCOMPARE(rig.doc.m_nPoints, std::int16_t(2)); // ":CURVE 10" is no level
                QCOMPARE(rig.doc.m_fT[0][1], (20 - 25) * 0.04f);
                QCOMPARE(rig.doc.m_fT[1][1], (30 - 25) * 0.04f);
            }
        }
    }

    // Random replies at every phase: whatever arrives, the steps end in
    // "ready" or "stopped", with no infinity or NaN in the table.
    void randomRepliesNeverBreakTheSteps() {
        QRandomGenerator random(20261210);
        const QByteArray good[] = {kId3xx, kPreamble, Curve(300)};
        for (int round = 0; round < 300; ++round) {
            Rig rig;
            rig.Identify(Mutate(random, good[0]));
            rig.Check({0, 2});
            rig.acquisition->m_nType = 1;
            rig.acquisition->Acquire();
            for (int source = 0; source < 2; ++source)
                rig.AnswerSource(Mutate(random, good[1]), Mutate(random, good[2]));
            rig.RunPhase();
            const State state = rig.acquisition->CurrentState();
            QVERIFY(state == State::Ready || state == State::Stopped);
            for (int row = 0; row < rig.doc.m_nPoints; ++row)
                for (int column = 0; column < 4; ++column) {
                    const float value = rig.doc.m_fT[row][column];
                    QVERIFY(std::isfinite(value));
                }
        }
    }
};

QTEST_GUILESS_MAIN(TestTekAcquisition)
#include "tst_tekacquisition.moc"
