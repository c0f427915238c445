// Direct printing (the shell's print verb inside the window): the page goes to
// the current printer without a print dialog.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/mainframe.h"
#include "dialogdriver.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "mainwindowtest.h"
#include "testsupport.h"
#include "view/commandids.h"

class TestDirectPrint : public CMainWindowTest {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;

    // The text of the modal window the command opens, closing it; empty when
    // none opens.
    QString ModalOpenedBy(int command) {
        auto text = std::make_shared<QString>();
        QTimer::singleShot(0, [text] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                *text = box ? box->text() : modal->windowTitle();
                modal->close();
            }
        });
        m_frame->Action(command)->trigger();
        QCoreApplication::processEvents(); // the timer fires even when nothing opened
        return *text;
    }

  private slots:
    void initTestCase() {
        // No print server: the default printer is Qt's PDF file.
        qputenv("CUPS_SERVER", m_dir.filePath(QStringLiteral("no-cups.sock")).toLocal8Bit());
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    void init() { QVERIFY(OpenWindow()); }
    void cleanup() { CloseWindow(); }

    // With no printer and none chosen there is nowhere to print: the failure is
    // said, and no print dialog asks for one.
    void noPrinter() {
        QCOMPARE(ModalOpenedBy(kCmdPrintDirect),
                 QStringLiteral("Impossible de lancer l'impression."));
    }

    // After "&Imprimer ..." sent the page to a file, the direct command prints
    // there again, asking nothing.
    void printsOnTheCurrentPrinter() {
        const QString pdf = m_dir.filePath(QStringLiteral("feuille.pdf"));
        WhenModalOpens<QPrintDialog>([pdf](QPrintDialog* dialog) {
            auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
            auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
            QVERIFY(printers && file);
            printers->setCurrentIndex(printers->count() - 1); // print to a PDF file
            file->setText(pdf);
            dialog->accept();
        });
        m_frame->Action(kCmdPrint)->trigger();
        QVERIFY(QFile::exists(pdf));
        QVERIFY(QFile::remove(pdf));

        QCOMPARE(ModalOpenedBy(kCmdPrintDirect), QString());
        QVERIFY(QFile::exists(pdf));
        const ProcessResult text = RunProgram(QStringLiteral("pdftotext"), {pdf, "-"});
        QVERIFY2(text.out.contains("5410673004208"), text.out.constData());
    }
};

QTEST_MAIN(TestDirectPrint)
#include "tst_directprint.moc"
