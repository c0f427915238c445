// lineatix --acquire scpi against a scripted Rigol or Keysight on a
// pseudo-terminal: the window's texts on standard output, the saved
// document, and the failures a script must see (exit 1, nothing saved).

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "scopeonpty.h"
#include "testsupport.h"

namespace {

QStringList Lines(const QByteArray& out) {
    return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList Acquire(const QString& port, const QStringList& more = QStringList()) {
    return QStringList{QStringLiteral("--acquire"), QStringLiteral("scpi"),
                       QStringLiteral("--port"), port} +
           more;
}

} // namespace

class TestScpiBatch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

  private slots:
    void initTestCase() {
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    void bothChannelsOfARigolAreSaved() {
        CScopeOnPty scope(CScriptedScope::Rigol);
        scope.Start();
        const QString saved = m_dir.filePath(QStringLiteral("rigol.cod"));
        const ProcessResult result = RunLineatix(
            Acquire(scope.Path(), {QStringLiteral("--channels"), QStringLiteral("CH1,CH2"),
                                   QStringLiteral("--save"), saved}));
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(
            Lines(result.out),
            (QStringList{
                QStringLiteral("Identification de l'oscilloscope..."),
                QStringLiteral("Oscilloscope RIGOL TECHNOLOGIES DS1104Z."),
                QStringLiteral("Sélectionner les voies d'acquisition, puis cliquer sur "
                               "Acquérir."),
                QStringLiteral("Acquisition en cours..."),
                QStringLiteral("Acquisition de la voie 1..."),
                QStringLiteral("Acquisition de la voie 2..."), QStringLiteral("Fin d'acquisition."),
                QStringLiteral("Voie 1 : 12000 points lus, 5000 gardés dans le tableau."),
                QStringLiteral("Voie 2 : 12000 points lus, 5000 gardés dans le tableau.")}));
        QVERIFY(scope.Running());

        CZbApp app;
        CZbDoc doc(&app);
        QString error;
        QVERIFY2(doc.Load(saved, &error), qPrintable(error));
        QCOMPARE(doc.m_nPoints, std::int16_t(5000));
        QCOMPARE(doc.m_nChannels, std::int16_t(3));
        QCOMPARE(doc.m_astrLegend.first(),
                 QStringLiteral("ACQ. OSCILLOSCOPE RIGOL TECHNOLOGIES DS1104Z"));
        // Point 12000 * 4999 / 5000 of channel 2, by the guide's conversion.
        const long long index = 11997;
        QVERIFY(qAbs(doc.m_fT[4999][2] - float(index * 1e-6 - 6e-3)) < 1e-7f);
        QVERIFY(qAbs(doc.m_fT[4999][3] - float((CScriptedScope::Level(2, index) - 127) * 0.04)) <
                1e-5f);
    }

    void aKeysightChannelTwoAlone() {
        CScopeOnPty scope(CScriptedScope::Keysight);
        scope.Start();
        const ProcessResult result = RunLineatix(
            Acquire(scope.Path(), {QStringLiteral("--channels"), QStringLiteral("CH2")}));
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QVERIFY(result.out.endsWith("Voie 2 : 5000 points lus, 5000 gardés dans le tableau.\n"));
        QVERIFY(scope.Commands().contains(QStringLiteral(":WAV:POIN 5000")));
    }

    void failuresExitWithOneAndSaveNothing() {
        const QString saved = m_dir.filePath(QStringLiteral("failed.cod"));
        const QStringList save{QStringLiteral("--save"), saved};
        {
            CTestPty silent; // never answers; numbers read and written as under C in French
            qputenv("LC_ALL", "fr_FR.UTF-8");
            const ProcessResult result =
                RunLineatix(Acquire(silent.SlavePath(), save + QStringList{"--timeout", "0.2"}));
            qunsetenv("LC_ALL");
            QCOMPARE(result.exitCode, 1);
            QVERIFY2(result.err.contains("Pas de réponse de l'oscilloscope à *IDN? en 0.2 s."),
                     result.err.constData());
        }
        {
            CScopeOnPty scope(CScriptedScope::Rigol);
            scope.Scope().m_shortBy = 3;
            scope.Start();
            const ProcessResult result =
                RunLineatix(Acquire(scope.Path(), save + QStringList{"--timeout", "0.3"}));
            QCOMPARE(result.exitCode, 1);
            QVERIFY2(result.err.contains("Acquisition interrompue (voie 1) :\nBloc de données "
                                         "incomplet : 11998 octets reçus sur 12000 annoncés."),
                     result.err.constData());
            QVERIFY(scope.Running()); // restarted after the failure
        }
        {
            CScopeOnPty scope(CScriptedScope::Keysight);
            scope.Scope().m_displayed[1] = false;
            scope.Start();
            const ProcessResult result =
                RunLineatix(Acquire(scope.Path(), save + QStringList{"--channels", "CH1,CH2"}));
            QCOMPARE(result.exitCode, 1);
            QVERIFY(result.err.contains("La voie 2 n'est pas affichée sur l'oscilloscope."));
            QVERIFY(!scope.Commands().contains(QStringLiteral(":STOP")));
        }
        {
            CScopeOnPty scope(CScriptedScope::Rigol);
            scope.Scope().m_idn = "TEKTRONIX,TBS 1052B,C010000,CF:91.1CT FV:v1.00";
            scope.Start();
            const ProcessResult result = RunLineatix(Acquire(scope.Path(), save));
            QCOMPARE(result.exitCode, 1);
            QVERIFY(result.err.contains("utiliser le menu Acq. Tektronix."));
        }
        const ProcessResult missing = RunLineatix(Acquire("/dev/ttyLineatixNone", save));
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains("Le périphérique /dev/ttyLineatixNone n'existe pas."));
        QVERIFY(!QFileInfo::exists(saved));
    }

    void usageErrors() {
        for (const QStringList& wrong :
             {QStringList{"--acquire", "scpi"}, Acquire("COM1", {"--channels", "REF1"}),
              Acquire("COM1", {"--channels", "CH3"}), Acquire("COM1", {"--timeout", "abc"}),
              Acquire("COM1", {"--timeout", "0"}), Acquire("COM1", {"--timeout", "nan"}),
              Acquire("COM1", {"a.cod", "b.cod"})}) {
            const ProcessResult usage = RunLineatix(wrong);
            QCOMPARE(usage.exitCode, 1);
            QVERIFY2(usage.err.contains("Usage: lineatix --acquire scpi --port"),
                     qPrintable(wrong.join(' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestScpiBatch)
#include "tst_scpibatch.moc"
