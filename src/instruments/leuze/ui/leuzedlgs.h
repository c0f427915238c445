#pragma once

#include <QDialog>

#include "instruments/leuze/laser.h"
#include "instruments/leuze/leuzeconnection.h"
#include "instruments/leuze/leuzereading.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class CZbDoc;

// The three windows of the Leuze reader. Each only moves its controls in and
// out of the object that does the work, which owns the link to the reader.

// "Connexion du lecteur Leuze".
class CLeuzeConnectDlg : public QDialog {
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
    QLabel* m_pMessage;
    QLabel* m_pReceived;
    QLabel* m_pStatus;
};

// "Mise en marche laser".
class CLaserDlg : public QDialog {
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
    QLabel* m_pMessage;
    QLabel* m_pReceived;
    QLabel* m_pStatus;
};

// "Lecture codes avec Leuze BCL32".
class CLeuzeReadDlg : public QDialog {
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
    QLabel* m_pMessage;
    QLabel* m_pReceived;
    QLabel* m_pStatus;
};
