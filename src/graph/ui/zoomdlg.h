#pragma once

#include <QDialog>

#include "graph/zoomselection.h"
#include "view/viewtools.h"

class QLabel;
class CZbApp;
class CZbDoc;

// "Zoom sur une zone du graphe visualisé", modeless: the user draws a
// rectangle on the graph (the view hands it over with SetRectangle) and
// "&OK" zooms into it; "&Annuler zoom", Escape or the close box leave the
// whole data shown. The dialog deletes itself when closed.
class CZoomDlg : public QDialog, public CRectangleTool {
    Q_OBJECT
  public:
    // Resets the zoom window and sets the document's m_bZoomOpen.
    CZoomDlg(CZbDoc* doc, CZbApp* app, QWidget* parent = nullptr);

    void SetRectangle(float x1, float y1, float x2, float y2) override;

    CZoomSelection m_selection;

  signals:
    void redrawRequested();
    // The dialog closed and is about to be deleted.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void ShowMessage();
    void OnOk();

    QLabel* m_pMessage;
    bool m_bAccepted = false;
    bool m_bClosing = false;
};
