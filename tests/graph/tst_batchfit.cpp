// lineatix --fit, and the --zoom option of --render-png and --print-pdf, run
// as a teacher would from a script.
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "testsupport.h"
#include "view/viewdraw.h"

namespace {

const QString kSuccess =
    QStringLiteral("Cliquer sur Fermer pour visualiser la courbe de régression\n");
const QString kFailure = QStringLiteral("Le calcul de la régression a échoué !\n");
const QString kLineLines =
    QStringLiteral("a0:1.000e+000\na1:2.000e+000\na2:0.000e+000\na3:0.000e+000\na4:0.000e+000\n"
                   "a5:0.000e+000\na6:0.000e+000\na7:0.000e+000\n");
const QString kUnknownLines = QStringLiteral("a0=?\na1=?\na2=?\na3=?\na4=?\na5=?\na6=?\na7=?\n");

// CH1 and CH2 stored: CH1 (columns 0-1) on y = 2x + 1 with row 3 empty,
// CH2 (columns 2-3) at x = 2 throughout.
QString SaveSamples(const QTemporaryDir& dir) {
    CZbDoc doc(nullptr);
    doc.m_nChannels = kChannelCh1 | kChannelCh2;
    doc.m_nDisplay = kChannelCh1 | kChannelCh2;
    doc.m_nPoints = 6;
    for (int row = 0; row < 6; ++row) {
        doc.m_fT[row][0] = float(row);
        doc.m_fT[row][1] = 2.0f * row + 1;
        doc.m_fT[row][2] = 2;
        doc.m_fT[row][3] = float(row);
    }
    doc.m_fT[3][0] = doc.m_fT[3][1] = kNoValue;
    const QString path = dir.filePath(QStringLiteral("samples.cod"));
    QString error;
    if (!doc.Save(path, &error)) qWarning("%s", qPrintable(error));
    return path;
}

// CH1 from 0.02 to 0.98 s, -1.2 to 4.7 V, shown as a graph.
QString SaveRamp(const QTemporaryDir& dir) {
    CZbDoc doc(nullptr);
    doc.m_nChannels = kChannelCh1;
    doc.m_nDisplay = kChannelCh1;
    doc.m_nPoints = 11;
    for (int row = 0; row < doc.m_nPoints; ++row) {
        doc.m_fT[row][0] = 0.02f + 0.096f * row;
        doc.m_fT[row][1] = -1.2f + 0.59f * row;
    }
    const QString path = dir.filePath(QStringLiteral("ramp.cod"));
    QString error;
    if (!doc.Save(path, &error)) qWarning("%s", qPrintable(error));
    return path;
}

// The bounding box of the pixels where two images of one size differ.
QRect DifferingPixels(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

QString Text(const QByteArray& bytes) {
    return QString::fromLocal8Bit(bytes);
}

} // namespace

class TestBatchFit : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void fits_data() {
        QTest::addColumn<QStringList>("arguments"); // before IN.cod
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        const QString line =
            QStringLiteral("Calcul de la régression d'ordre 1 en cours sur 3 valeurs...\n[0][1]\n");
        QTest::newRow("the three-point line")
            << QStringList{"CH1", "0", "2", "1"} << 0 << line + kSuccess + kLineLines;
        QTest::newRow("rows given backwards")
            << QStringList{"ch1", "2", "0", "1"} << 0 << line + kSuccess + kLineLines;
        // Row 3 holds no value: counted in the message, not in the fit.
        QTest::newRow("over the empty row")
            << QStringList{"CH1", "1", "5", "2", "--slot", "2"} << 0
            << QStringLiteral("Calcul de la régression d'ordre 2 en cours sur 5 valeurs...\n"
                              "[0][1]\n") +
                   kSuccess +
                   QStringLiteral("a0:1.000e+000\na1:2.000e+000\na2:0.000e+000\na3:0.000e+000\n"
                                  "a4:0.000e+000\na5:0.000e+000\na6:0.000e+000\na7:0.000e+000\n");
        QTest::newRow("a line where x never changes")
            << QStringList{"CH2", "0", "5", "1"} << 2
            << QStringLiteral("Calcul de la régression d'ordre 1 en cours sur 6 valeurs...\n"
                              "[2][3]\n") +
                   kFailure + kUnknownLines;
        QTest::newRow("degree 7 through three x")
            << QStringList{"CH1", "0", "2", "7"} << 2
            << QStringLiteral("Calcul de la régression d'ordre 7 en cours sur 3 valeurs...\n"
                              "[0][1]\n") +
                   kFailure + kUnknownLines;
    }
    void fits() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QTemporaryDir dir;
        const QString in = SaveSamples(dir);
        const ProcessResult result =
            RunLineatix(QStringList{"--fit"} + arguments + QStringList{in});
        QCOMPARE(Text(result.err), QString());
        QString shown = Text(result.out);
        // The parabola's a2 comes out as zero to rounding.
        shown.replace(QRegularExpression(QStringLiteral("a2:-?\\d\\.\\d{3}e-01\\d")),
                      QStringLiteral("a2:0.000e+000"));
        QCOMPARE(shown, out);
        QCOMPARE(result.exitCode, exitCode);
    }

    // The saved slot is computed and drawn, on its picked rows and columns.
    void savesTheSlot() {
        QTemporaryDir dir;
        const QString in = SaveSamples(dir), out = dir.filePath(QStringLiteral("fitted.cod"));
        const ProcessResult result =
            RunLineatix({"--fit", "CH1", "4", "0", "1", "--slot", "1", "--save", out, in});
        QCOMPARE(result.exitCode, 0);
        CZbDoc doc(nullptr);
        QString error;
        QVERIFY2(doc.Load(out, &error), qPrintable(error));
        const CRegressionSet& set = *doc.m_pRegressions;
        QCOMPARE(set.m_bComputed[1], 1);
        QCOMPARE(set.m_bDraw[1], 1);
        QCOMPARE(set.m_nType[1], 0);
        QVERIFY(std::fabs(set.m_dCoef[1][0] - 1) < 1e-12);
        QVERIFY(std::fabs(set.m_dCoef[1][1] - 2) < 1e-12);
        QCOMPARE(set.m_nPointRow[1][0], 4);
        QCOMPARE(set.m_nPointRow[1][1], 0);
        QCOMPARE(set.m_fPoint1[1][1], 9.0f);
        QCOMPARE(set.m_fPoint2[1][1], 1.0f);
        QCOMPARE(set.m_bComputed[0], 0); // the other slots as they were
        QCOMPARE(set.m_bComputed[2], 0);
        QCOMPARE(doc.m_nPoints, 6);

        // On paper: the line's equation.
        const QString pdf = dir.filePath(QStringLiteral("fitted.pdf"));
        QCOMPARE(RunLineatix({"--print-pdf", pdf, out}).exitCode, 0);
        const ProcessResult text = RunProgram(QStringLiteral("pdftotext"), {pdf, "-"});
        QVERIFY2(Text(text.out).contains(QStringLiteral("DMC 1: y=2.000e+000x+1.000e+000")),
                 text.out.constData());

        // A failed fit is saved too, as the dialog leaves it.
        const ProcessResult failed =
            RunLineatix({"--fit", "CH2", "0", "5", "1", "--save", out, in});
        QCOMPARE(failed.exitCode, 2);
        QVERIFY2(doc.Load(out, &error), qPrintable(error));
        QCOMPARE(doc.m_pRegressions->m_bComputed[0], 0);
        QVERIFY(IsNoValue(doc.m_pRegressions->m_dCoef[0][0]));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments"); // "<in>" stands for the input file
        QTest::addColumn<QString>("err");
        const QString usage = QStringLiteral(
            "Usage: lineatix --fit CURVE FROM TO DEGREE [--slot N] [--save OUT.cod] IN.cod\n");
        // Arguments the command line itself refuses: the reason, then the usage.
        auto refused = [&](const QString& reason) {
            return QStringLiteral("lineatix: %1\n%2« lineatix --help » décrit toutes les "
                                  "commandes.\n")
                .arg(reason, usage);
        };
        QTest::newRow("no input") << QStringList{"CH1", "0", "2", "1"}
                                  << refused(QStringLiteral("il manque IN.cod"));
        QTest::newRow("three own arguments")
            << QStringList{"CH1", "0", "2"}
            << refused(QStringLiteral("--fit attend CURVE FROM TO DEGREE"));
        QTest::newRow("unknown curve") << QStringList{"FRONTS", "0", "2", "1", "<in>"} << usage;
        QTest::newRow("degree 8") << QStringList{"CH1", "0", "2", "8", "<in>"} << usage;
        QTest::newRow("degree 0") << QStringList{"CH1", "0", "2", "0", "<in>"} << usage;
        QTest::newRow("one row twice") << QStringList{"CH1", "2", "2", "1", "<in>"} << usage;
        QTest::newRow("row past the table")
            << QStringList{"CH1", "0", "5000", "1", "<in>"} << usage;
        QTest::newRow("row not a number") << QStringList{"CH1", "0", "two", "1", "<in>"} << usage;
        QTest::newRow("slot 3") << QStringList{"CH1", "0", "2", "1", "--slot", "3", "<in>"}
                                << usage;
        QTest::newRow("two inputs") << QStringList{"CH1", "0", "2", "1", "<in>", "<in>"}
                                    << refused(QStringLiteral("argument en trop : <in>"));
        QTest::newRow("curve not stored") << QStringList{"REF1", "0", "2", "1", "<in>"}
                                          << QStringLiteral("<in>: pas de courbe REF1.\n");
        QTest::newRow("picked row without a value")
            << QStringList{"CH1", "3", "5", "1", "<in>"}
            << QStringLiteral("<in>: pas de valeur en ligne 3 de CH1.\n");
        QTest::newRow("missing file")
            << QStringList{"CH1", "0", "2", "1", "absent.cod"} << QString();
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, err);
        QTemporaryDir dir;
        const QString in = SaveSamples(dir);
        for (QString& argument : arguments)
            if (argument == QLatin1String("<in>")) argument = in;
        const ProcessResult result = RunLineatix(QStringList{"--fit"} + arguments, dir.path());
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(Text(result.out), QString());
        if (err.isEmpty())
            QVERIFY(!result.err.isEmpty());
        else
            QCOMPARE(Text(result.err), QString(err).replace(QLatin1String("<in>"), in));
    }

    // The rendered view with --zoom is the view drawn with that zoom window.
    void zoomedRendering() {
        QTemporaryDir dir;
        const QString in = SaveRamp(dir), png = dir.filePath(QStringLiteral("zoom.png"));
        const ProcessResult rendered =
            RunLineatix({"--render-png", png, "--zoom", "0.3,-2,0.7,10", "--size", "800x600", in});
        QVERIFY2(rendered.exitCode == 0, rendered.err.constData());

        auto draw = [&in](bool zoomed) {
            CZbApp app;
            CZbDoc doc(&app);
            QString error;
            if (!doc.Load(in, &error)) qWarning("%s", qPrintable(error));
            if (zoomed) doc.SetZoom(0.7f, 10, 0.3f, -2); // corners in any order
            QImage image(800, 600, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            DrawDocument(painter, doc, app, false, false);
            return image;
        };
        const QImage batch = QImage(png).convertToFormat(QImage::Format_RGB32);
        // The footer shows the time to the second, so a drawing made a moment
        // after the batch one may differ there, at the foot of the page, and
        // nowhere else.
        const int footer = batch.height() * 9 / 10;
        const QRect zoomed = DifferingPixels(batch, draw(true));
        QVERIFY2(zoomed.isEmpty() || zoomed.top() >= footer,
                 qPrintable(QString::number(zoomed.top())));
        QVERIFY(DifferingPixels(batch, draw(false)).top() < footer);
    }

    void zoomedPrinting() {
        QTemporaryDir dir;
        const QString in = SaveRamp(dir);
        auto words = [](const QString& pdf) {
            const ProcessResult text = RunProgram(QStringLiteral("pdftotext"), {pdf, "-"});
            return Text(text.out).split(QRegularExpression(QStringLiteral("\\s+")));
        };
        const QString whole = dir.filePath(QStringLiteral("whole.pdf"));
        const QString zoomed = dir.filePath(QStringLiteral("zoomed.pdf"));
        QCOMPARE(RunLineatix({"--print-pdf", whole, in}).exitCode, 0);
        const ProcessResult printed =
            RunLineatix({"--print-pdf", zoomed, "--zoom", "0.3,-2,0.7,10", in});
        QVERIFY2(printed.exitCode == 0, printed.err.constData());
        // The x axis now spans the samples inside the zone only, 0.308 to
        // 0.692 s: 200 mm for 0.384 s.
        QVERIFY(words(whole).contains(QStringLiteral("Echx:2.08e+002")));
        QVERIFY(words(zoomed).contains(QStringLiteral("Echx:5.21e+002")));
    }

    void zoomRefusals_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        const QString invalid = QStringLiteral("Zoom invalide: ");
        QTest::newRow("three numbers") << "0,0,1" << invalid;
        QTest::newRow("not a number") << "0,0,x,1" << invalid;
        QTest::newRow("infinite") << "0,0,inf,1" << invalid;
        // The command line itself refuses an option without its value.
        QTest::newRow("missing") << ""
                                 << QStringLiteral("lineatix: --zoom attend XMIN,YMIN,XMAX,YMAX");
    }
    void zoomRefusals() {
        QFETCH(QString, value);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString in = SaveRamp(dir);
        for (const char* command : {"--render-png", "--print-pdf"}) {
            QStringList arguments{command, dir.filePath(QStringLiteral("out")), in, "--zoom"};
            if (!value.isEmpty()) arguments << value;
            const ProcessResult result = RunLineatix(arguments);
            QCOMPARE(result.exitCode, 1);
            QVERIFY2(Text(result.err).startsWith(message), result.err.constData());
        }
    }

  private:
    QTemporaryDir m_runtime;
};

QTEST_MAIN(TestBatchFit)
#include "tst_batchfit.moc"
