#pragma once

#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "view/viewcursor.h"

class QMenu;
class QRubberBand;
class CZbDoc;
class CZbApp;
class CViewCoords;
class CRectangleTool;
class CPointPickingTool;

// The only view: draws the document in its display mode, follows the mouse,
// steps through the samples with the arrow keys and carries the program's
// commands (each opens its dialog on the document).
class CZbView : public QWidget, public CViewCursor {
    Q_OBJECT
  public:
    CZbView(CZbDoc& doc, CZbApp& app, QWidget* parent = nullptr);
    ~CZbView() override;

    // Whether a command of the menus has its handler here, and running it.
    static bool HasCommand(int id);
    void RunCommand(int id);

    // Repaints from the document and tells the frame the state changed.
    void RedrawViews();

    // The right-button menu, built for the current display mode.
    QMenu* CreateContextMenu();

    // Modeless tools, set while their document flag is set.
    CPointPickingTool* m_pRegressionDlg = nullptr;
    CRectangleTool* m_pZoomDlg = nullptr;
    CRectangleTool* m_pExtractDlg = nullptr;
    // Where the context menu was opened, in view pixels.
    int m_nMenuX = 0;
    int m_nMenuY = 0;

    // Commands.
    void OnDisplaySelection();
    void OnResetCursor();
    void OnGenerateCode();
    void OnCodeParameters();
    void OnRotate();
    void OnExtract();
    void OnAnalyse();
    void OnGdsPort();
    void OnGdsAcquire();
    void OnScpiPort();
    void OnScpiAcquire();
    void OnTekPort();
    void OnTekAcquire();
    void OnImportScope();
    // One file, or the two files of one save, read into CH1 (and CH2).
    void ImportFiles(const QStringList& paths);
    void OnRegressions();
    void OnZoom();
    void OnLegend();
    void OnContextLegend();
    void ExportSpreadsheet();
    void ReadImage();
    // The image row of the reference pixel, else of the mouse, into CH1.
    void WriteRowAsScan(int row);
    void OnPcMes3();
    void OnLeuzeConnect();
    void OnLeuzeLaser();
    void OnLeuzeRead();

  signals:
    // The document or the mouse state changed: panes and menus follow.
    void stateChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    CViewCoords Coords() const;
    bool RectangleToolOpen() const;
    void BeginRectangle(QPoint pixel);
    void FinishRectangle();
    void DrawTracker(QPainter& painter) const;
    template <class Dialog> void RunModal(Dialog& dialog);
    void ImportDone();

    CZbDoc& m_doc;
    CZbApp& m_app;

    // Rubber band of the zoom and extraction tools.
    enum class Drag { None, NewBand, Move, Resize };
    Drag m_drag = Drag::None;
    QPoint m_dragStart; // where a move began; the corner that stays in a resize
    QRect m_dragRect;
    // A resize: the corner that follows the mouse, and along which axes (an
    // edge's middle handle moves that edge only).
    QPoint m_dragCorner;
    bool m_bResizeX = false, m_bResizeY = false;
    QRubberBand* m_pBand = nullptr;
    // What m_pExtractDlg points to while the extraction dialog is open.
    std::unique_ptr<CRectangleTool> m_pExtractTool;
};
