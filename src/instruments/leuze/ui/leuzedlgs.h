#pragma once

#include <QDialog>
#include <initializer_list>

#include "instruments/leuze/laser.h"
#include "instruments/leuze/leuzeconnection.h"
#include "instruments/leuze/leuzereading.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class CZbDoc;

// The three windows of the Leuze reader. Each only moves its controls in and
// out of the object that does the work, which owns the link to the reader.

// What the three share: the message field, the monitor of the reader's port
// under it (the characters received and the connection line or error), and
// a column of buttons on the right.
class CLeuzeWindow : public QDialog {
    Q_OBJECT
  protected:
    CLeuzeWindow(const QString& title, QWidget* parent);
    void Build(std::initializer_list<QWidget*> column);
    void ShowTexts(const QString& message, const CLeuzeLink* link);

    QLabel* m_pMessage;
    QLabel* m_pReceived;
    QLabel* m_pStatus;
};

// "Connexion du lecteur Leuze".
class CLeuzeConnectDlg : public CLeuzeWindow {
    Q_OBJECT
  public:
    CLeuzeConnectDlg(CZbDoc* doc, LeuzeLinkFactory factory, QWidget* parent = nullptr);

    CLeuzeConnection m_connection;
    CZbDoc* m_pDoc;

  protected:
    void done(int result) override;

  private:
    void ShowControls();
    void OnClose();

    QButtonGroup* m_pPorts;
    QPushButton* m_pTest;
};

// "Mise en marche laser".
class CLaserDlg : public CLeuzeWindow {
    Q_OBJECT
  public:
    CLaserDlg(CZbDoc* doc, LeuzeLinkFactory factory, QWidget* parent = nullptr);

    CLaserControl m_laser;

  protected:
    void done(int result) override;

  private:
    void ShowControls();

    QPushButton* m_pStart;
    QPushButton* m_pClose;
};

// "Lecture codes avec Leuze BCL32".
class CLeuzeReadDlg : public CLeuzeWindow {
    Q_OBJECT
  public:
    CLeuzeReadDlg(CZbDoc* doc, LeuzeLinkFactory factory, QWidget* parent = nullptr);

    CLeuzeReading m_reading;

  signals:
    void redrawRequested();

  protected:
    void done(int result) override;

  private:
    void ShowControls();

    QPushButton* m_pRead;
    QPushButton* m_pClose;
};
