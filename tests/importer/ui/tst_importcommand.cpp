// "Importer fichier oscilloscope..." driven like a user: the menu, the file
// dialog typed into, the message box clicked; files dropped on the window;
// "Annuler" clicked while a file is read; a file that cannot be used.

#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <cstring>
#include <functional>
#include <memory>

#include "app/mainframe.h"
#include "common/novalue.h"
#include "decode/scanmodel.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "importer/ui/importcommand.h"
#include "mainwindowtest.h"
#include "view/commandids.h"

namespace {

// Runs steps on the first visible window of type W that shows within the
// time-out, looking every 10 ms (the import's own event processing runs the
// look while it reads). The look ends with its owner at the latest.
template <class W>
void WhenShown(QObject* owner, const std::function<void(W*)>& steps, int timeoutMs = 10000) {
    auto* timer = new QTimer(owner);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, steps, clock, timeoutMs] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            W* window = qobject_cast<W*>(widget);
            if (!window || !window->isVisible()) continue;
            timer->stop();
            timer->deleteLater();
            steps(window);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

// Clicks "OK" on the next message box and keeps its text and caption.
void AnswerBox(QObject* owner, QString* text, QString* caption) {
    WhenShown<QMessageBox>(owner, [text, caption](QMessageBox* box) {
        *text = box->text();
        *caption = box->windowTitle();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
}

// One channel of a Tektronix TDS2000 save.
QByteArray TdsFile(const char* source, double volts) {
    QByteArray text;
    for (int row = 0; row < 40; ++row) {
        const char* name = row == 0 ? "Record Length" : row == 6 ? "Source" : "";
        const QByteArray value = row == 0 ? "4.000000e+01" : row == 6 ? source : "";
        text += QByteArray(name) + ',' + value + ",," + QByteArray::number(row * 1e-5, 'f', 12) +
                ',' + QByteArray::number(volts, 'f', 5) + ",\r\n";
    }
    return text;
}

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return QString();
    return path;
}

// The document's state an import may change.
QByteArray Snapshot(const CZbDoc& doc) {
    QByteArray bytes(reinterpret_cast<const char*>(doc.m_fT.get()),
                     int(sizeof(float)) * CZbDoc::kCapacity * CZbDoc::kColumns);
    bytes += QByteArray::number(doc.m_nPoints) + ' ' + QByteArray::number(doc.m_nChannels) + ' ' +
             QByteArray::number(doc.m_nDisplay) + ' ' + doc.m_astrLegend.join('|').toUtf8();
    return bytes;
}

} // namespace

class TestImportCommand : public CMainWindowTest {
    Q_OBJECT

  private slots:
    void initTestCase() { UseTestProfile(); }
    void init() { QVERIFY(OpenWindow(QSize(1000, 700))); }
    void cleanup() { CloseWindow(); }

    void filesChosenFromTheMenu();
    void twoDroppedFilesOfOneSave();
    void droppedFileIsImported();
    void cancelChangesNothing();
    void unusableFileChangesNothing();
};

// The command, enabled without data, opens its file dialog on the oscilloscope
// files in the folder the profile remembers; the two files of a save typed in
// a sub-folder are imported, and that folder is remembered; cancelled, the
// dialog changes nothing.
void TestImportCommand::filesChosenFromTheMenu() {
    QObject scope; // ends the looks for windows with the test
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("save")));
    const QString save = QDir(dir.path()).absoluteFilePath(QStringLiteral("save"));
    Write(dir, QStringLiteral("save/F0000CH1.CSV"), TdsFile("CH1", 1.5));
    Write(dir, QStringLiteral("save/F0000CH2.CSV"), TdsFile("CH2", 3.0));
    QSettings().setValue(QStringLiteral("Import/Dossier"), dir.path());
    QAction* command = m_frame->Action(kCmdImportScope);
    QVERIFY(command);
    m_frame->UpdateCommandUi();
    QVERIFY(command->isEnabled());
    QCOMPARE(command->text(), QStringLiteral("&Importer fichier oscilloscope..."));

    QString filter, folder;
    WhenShown<QFileDialog>(&scope, [&](QFileDialog* dialog) {
        filter = dialog->nameFilters().join(QLatin1Char('|'));
        folder = dialog->directory().absolutePath();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (name && buttons) {
            QTest::qWait(100); // the folder's listing comes from a thread
            TypeInto(name, QStringLiteral("\"save/F0000CH2.CSV\" \"save/F0000CH1.CSV\""));
            QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
        }
        if (dialog->isVisible()) dialog->reject(); // never left hanging
    });
    QString text, caption;
    AnswerBox(&scope, &text, &caption);
    command->trigger();
    QCOMPARE(filter, QStringLiteral("Fichiers oscilloscope (*.csv *.txt)"));
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
    QCOMPARE(caption, QStringLiteral("Logiciel Lineatix"));
    QVERIFY2(text.startsWith(QStringLiteral("Format reconnu : Tektronix TDS2000/TBS1000\nCH1 : "
                                            "CH1 (F0000CH1.CSV)")),
             qPrintable(text));
    QCOMPARE(int(m_doc->m_nPoints), 40);
    QCOMPARE(QSettings().value(QStringLiteral("Import/Dossier")).toString(), save);

    // Next time the dialog opens there; cancelled, nothing changes.
    WhenShown<QFileDialog>(&scope, [&](QFileDialog* dialog) {
        folder = dialog->directory().absolutePath();
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (buttons) QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        if (dialog->isVisible()) dialog->reject();
    });
    const float before = m_doc->m_fT[5][1];
    command->trigger();
    QCOMPARE(folder, save);
    QCOMPARE(int(m_doc->m_nPoints), 40);
    QCOMPARE(m_doc->m_fT[5][1], before);
}

// Both files of a save dropped, CH2's first: CH1 by its Source.
void TestImportCommand::twoDroppedFilesOfOneSave() {
    QObject scope; // ends the looks for windows with the test
    QTemporaryDir dir;
    const QString ch1 = Write(dir, QStringLiteral("F0000CH1.CSV"), TdsFile("CH1", 1.5));
    const QString ch2 = Write(dir, QStringLiteral("F0000CH2.CSV"), TdsFile("CH2", 3.0));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(ch2), QUrl::fromLocalFile(ch1)});
    QString text, caption;
    AnswerBox(&scope, &text, &caption);
    m_frame->OpenDroppedFiles(data);
    QCOMPARE(caption, QStringLiteral("Logiciel Lineatix"));
    QVERIFY2(text.startsWith(QStringLiteral("Format reconnu : Tektronix TDS2000/TBS1000\n"
                                            "CH1 : CH1 (F0000CH1.CSV)\nCH2 : CH2 (F0000CH2.CSV)\n"
                                            "40 points")),
             qPrintable(text));
    QCOMPARE(int(m_doc->m_nPoints), 40);
    QCOMPARE(int(m_doc->m_nChannels), 3);
    QCOMPARE(int(m_doc->m_nDisplay), 3);
    QCOMPARE(m_doc->m_fT[5][1], 1.5f);
    QCOMPARE(m_doc->m_fT[5][3], 3.0f);
    QCOMPARE(m_doc->m_astrLegend, (QStringList{QStringLiteral("IMPORT F0000CH1.CSV + F0000CH2.CSV"),
                                               QString::fromUtf8("Nom(s)/Prénom(s):")}));
    // The graph commands follow: "Analyser code..." can run on it.
    m_frame->UpdateCommandUi();
    QVERIFY(m_frame->Action(kCmdAnalyse)->isEnabled());
}

void TestImportCommand::droppedFileIsImported() {
    QObject scope; // ends the looks for windows with the test
    QTemporaryDir dir;
    const QString path =
        Write(dir, QStringLiteral("mesure.txt"), "Temps (ms);Tension (V)\n0,5;1,25\n1,0;2,5\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QString text, caption;
    AnswerBox(&scope, &text, &caption);
    m_frame->OpenDroppedFiles(data);
    QVERIFY2(text.startsWith(QString::fromUtf8("Format reconnu : CSV générique")),
             qPrintable(text));
    QCOMPARE(int(m_doc->m_nPoints), 2);
    QCOMPARE(int(m_doc->m_nChannels), 1);
    QCOMPARE(m_doc->m_fT[1][0], 1e-3f);
    QCOMPARE(m_doc->m_fT[1][1], 2.5f);
    QVERIFY(IsNoValue(m_doc->m_fT[0][2]));
    QCOMPARE(m_doc->m_astrLegend.value(0), QStringLiteral("IMPORT mesure.txt"));
}

// "Annuler" clicked while the file is read: no message, nothing changed.
void TestImportCommand::cancelChangesNothing() {
    QObject scope; // ends the looks for windows with the test
    WriteScan(*m_doc, MakeCodeScan(QStringLiteral("5410673004208"), ScanParameters()));
    const QByteArray before = Snapshot(*m_doc);
    QTemporaryDir dir;
    QByteArray text = "t(s),U(V)\n";
    for (int row = 0; row < 40000; ++row)
        text += QByteArray::number(row) + ",1\n";
    const QString path = Write(dir, QStringLiteral("long.csv"), text);
    bool clicked = false;
    WhenShown<QProgressDialog>(&scope, [&](QProgressDialog* progress) {
        QCOMPARE(progress->windowTitle(), QStringLiteral("Logiciel Lineatix"));
        clicked = ClickButton(progress, QStringLiteral("Annuler"));
    });
    QString boxText, caption;
    AnswerBox(&scope, &boxText, &caption); // there must be none
    ImportUiOptions options;
    options.showProgressAfterMs = 0;
    options.chunkLines = 100;
    QVERIFY(!ImportScopeFiles(m_frame.get(), *m_doc, {path}, options));
    QVERIFY(clicked);
    QVERIFY2(boxText.isEmpty(), qPrintable(boxText));
    QVERIFY(Snapshot(*m_doc) == before);
}

void TestImportCommand::unusableFileChangesNothing() {
    QObject scope; // ends the looks for windows with the test
    WriteScan(*m_doc, MakeCodeScan(QStringLiteral("5410673004208"), ScanParameters()));
    const QByteArray before = Snapshot(*m_doc);
    QTemporaryDir dir;
    const QString path = Write(dir, QStringLiteral("bad.csv"), "t,U\n0,1\n1,1e999\n");
    QString text, caption;
    AnswerBox(&scope, &text, &caption);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    m_frame->OpenDroppedFiles(data);
    QCOMPARE(text, QStringLiteral("bad.csv : Ligne 3 : valeur non finie (colonne 2)."));
    QCOMPARE(caption, QStringLiteral("Logiciel Lineatix"));
    QVERIFY(Snapshot(*m_doc) == before);
}

QTEST_MAIN(TestImportCommand)
#include "tst_importcommand.moc"
