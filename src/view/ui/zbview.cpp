#include "view/ui/zbview.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

#include "code/ui/codeparamsdlg.h"
#include "code/ui/generatedlg.h"
#include "code/ui/rotatedlg.h"
#include "common/colorref.h"
#include "decode/ui/analysedlg.h"
#include "decode/ui/extractdlg.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "graph/ui/legenddlg.h"
#include "graph/ui/regressiondlg.h"
#include "graph/ui/zoomdlg.h"
#include "importer/ui/importcommand.h"
#include "instruments/gwinstek/ui/gdsacqdlg.h"
#include "instruments/gwinstek/ui/gdsportdlg.h"
#include "instruments/leuze/ui/leuzedlgs.h"
#include "instruments/pcmes3/ui/pcmes3dlg.h"
#include "instruments/scpi/ui/scpiacqdlg.h"
#include "instruments/scpi/ui/scpiportdlg.h"
#include "instruments/tektronix/ui/tekacqdlg.h"
#include "instruments/tektronix/ui/tekportdlg.h"
#include "output/imagerow.h"
#include "output/ui/outputcommands.h"
#include "view/commandids.h"
#include "view/commandrules.h"
#include "view/ui/displaydlg.h"
#include "view/viewcoords.h"
#include "view/viewdraw.h"
#include "view/viewtools.h"

namespace {

struct ViewCommand {
    int id;
    void (CZbView::*handler)();
};

// The one place where a menu command meets its dialog. A command of the menus
// that has no row here stays disabled.
const ViewCommand kViewCommands[] = {
    {kCmdDisplayType, &CZbView::OnDisplaySelection},
    {kCmdResetCursor, &CZbView::OnResetCursor},
    {kCmdGenerateCode, &CZbView::OnGenerateCode},
    {kCmdCodeParameters, &CZbView::OnCodeParameters},
    {kCmdRotate, &CZbView::OnRotate},
    {kCmdExtract, &CZbView::OnExtract},
    {kCmdAnalyse, &CZbView::OnAnalyse},
    {kCmdGdsPort, &CZbView::OnGdsPort},
    {kCmdGdsAcquire, &CZbView::OnGdsAcquire},
    {kCmdScpiPort, &CZbView::OnScpiPort},
    {kCmdScpiAcquire, &CZbView::OnScpiAcquire},
    {kCmdTekPort, &CZbView::OnTekPort},
    {kCmdTekAcquire, &CZbView::OnTekAcquire},
    {kCmdImportScope, &CZbView::OnImportScope},
    {kCmdRegressions, &CZbView::OnRegressions},
    {kCmdZoom, &CZbView::OnZoom},
    {kCmdLegend, &CZbView::OnLegend},
    {kCmdContextLegend, &CZbView::OnContextLegend},
    {kCmdExportText, &CZbView::ExportSpreadsheet},
    {kCmdReadImage, &CZbView::ReadImage},
    {kCmdPcMes3, &CZbView::OnPcMes3},
    {kCmdLeuzeConnect, &CZbView::OnLeuzeConnect},
    {kCmdLeuzeLaser, &CZbView::OnLeuzeLaser},
    {kCmdLeuzeRead, &CZbView::OnLeuzeRead},
};

// The extraction dialog takes the rectangle as its zone.
class ExtractionZoneTool : public CRectangleTool {
  public:
    explicit ExtractionZoneTool(CExtractDlg* dialog) : m_pDialog(dialog) {}
    void SetRectangle(float x1, float y1, float x2, float y2) override {
        m_pDialog->SetZone(x1, y1, x2, y2);
    }

  private:
    CExtractDlg* m_pDialog;
};

// The tracker: dotted outline in 0xFF7F7F and square handles at its corners
// and edge middles.
constexpr COLORREF kTrackerColour = 0xFF7F7F;
constexpr int kHandle = 7;

// The rectangle spanned by two corners, whichever way it was drawn (QRect's
// normalized() loses a pixel on each side of a rectangle drawn backwards).
QRect RectFromCorners(QPoint a, QPoint b) {
    return QRect(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())),
                 QPoint(qMax(a.x(), b.x()), qMax(a.y(), b.y())));
}

QList<QRect> Handles(const QRect& r) {
    QList<QRect> handles;
    const int xs[] = {r.left(), r.center().x(), r.right()};
    const int ys[] = {r.top(), r.center().y(), r.bottom()};
    for (int y : ys)
        for (int x : xs)
            if (!(x == xs[1] && y == ys[1]))
                handles << QRect(x - kHandle / 2, y - kHandle / 2, kHandle, kHandle);
    return handles;
}

} // namespace

CZbView::CZbView(CZbDoc& doc, CZbApp& app, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_app(app) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

CZbView::~CZbView() {
    // An open tool dialog dies with the view; it must not call back into it.
    for (QObject* child : children())
        child->disconnect(this);
}

bool CZbView::HasCommand(int id) {
    for (const ViewCommand& command : kViewCommands)
        if (command.id == id) return true;
    return false;
}

void CZbView::RunCommand(int id) {
    for (const ViewCommand& command : kViewCommands)
        if (command.id == id) (this->*command.handler)();
}

void CZbView::RedrawViews() {
    update();
    emit stateChanged();
}

CViewCoords CZbView::Coords() const {
    return CViewCoords(m_doc, size());
}

bool CZbView::RectangleToolOpen() const {
    return m_doc.m_bZoomOpen || m_doc.m_bExtractOpen;
}

void CZbView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.save();
    DrawDocument(painter, m_doc, m_app, false, m_bClickFound != 0);
    painter.restore();
    if (ShowsGraph(m_doc) && RectangleToolOpen()) DrawTracker(painter);
}

void CZbView::DrawTracker(QPainter& painter) const {
    painter.resetTransform();
    const QRect r = m_doc.m_tracker.normalized();
    painter.setPen(QPen(ToQColor(kTrackerColour), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(kTrackerColour));
    for (const QRect& handle : Handles(r))
        painter.drawRect(handle);
}

void CZbView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pixel = event->position().toPoint();
    CViewCursor::MouseMove(Coords(), m_app, pixel.x(), pixel.y());
    if (m_drag != Drag::None) {
        QRect r;
        if (m_drag == Drag::Move)
            r = m_dragRect.translated(pixel - m_dragStart);
        else if (m_drag == Drag::Resize)
            r = RectFromCorners(m_dragStart, QPoint(m_bResizeX ? pixel.x() : m_dragCorner.x(),
                                                    m_bResizeY ? pixel.y() : m_dragCorner.y()));
        else
            r = RectFromCorners(m_dragStart, pixel);
        if (m_pBand) m_pBand->setGeometry(r);
    }
    emit stateChanged();
}

void CZbView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus();
    const QPoint pixel = event->position().toPoint();
    const CViewCoords coords = Coords();
    SetReferencePixel(m_app, pixel.x(), pixel.y());
    if (!ShowsGraph(m_doc)) {
        emit stateChanged();
        return;
    }
    if (RectangleToolOpen()) {
        BeginRectangle(pixel);
    } else if (m_doc.m_bRegressionOpen) {
        PickForRegression(m_doc, coords, pixel.x(), pixel.y(), m_pRegressionDlg);
    } else {
        update(PlainClick(m_doc, m_app, coords, pixel.x(), pixel.y()));
    }
    emit stateChanged();
}

void CZbView::BeginRectangle(QPoint pixel) {
    const QRect tracker = m_doc.m_tracker.normalized();
    m_dragStart = pixel;
    m_dragRect = tracker;
    m_drag = Drag::NewBand;
    // A corner handle resizes from the opposite corner, an edge's middle
    // handle moves that edge alone; the inside moves the rectangle.
    for (const QRect& handle : Handles(tracker)) {
        if (!handle.contains(pixel)) continue;
        const QPoint c = handle.center();
        m_drag = Drag::Resize;
        m_bResizeX = c.x() == tracker.left() || c.x() == tracker.right();
        m_bResizeY = c.y() == tracker.top() || c.y() == tracker.bottom();
        // The moving corner is the handle's, or for an edge's middle the
        // right or bottom end of that edge.
        m_dragCorner = QPoint(c.x() == tracker.left() ? tracker.left() : tracker.right(),
                              c.y() == tracker.top() ? tracker.top() : tracker.bottom());
        m_dragStart = QPoint(m_dragCorner.x() == tracker.left() ? tracker.right() : tracker.left(),
                             m_dragCorner.y() == tracker.top() ? tracker.bottom() : tracker.top());
        break;
    }
    if (m_drag == Drag::NewBand && tracker.contains(pixel)) m_drag = Drag::Move;
    if (!m_pBand) m_pBand = new QRubberBand(QRubberBand::Rectangle, this);
    m_pBand->setGeometry(m_drag == Drag::NewBand ? QRect(pixel, QSize()) : tracker);
    m_pBand->show();
    grabMouse();
}

void CZbView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_drag != Drag::None) {
        FinishRectangle();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CZbView::FinishRectangle() {
    releaseMouse();
    const QRect drawn = m_pBand ? m_pBand->geometry().normalized() : QRect();
    if (m_pBand) m_pBand->hide();
    // A click without a drag keeps the rectangle there was.
    if (drawn.width() > 1 && drawn.height() > 1) m_doc.m_tracker = drawn;
    m_drag = Drag::None;

    const QRect r = m_doc.m_tracker.normalized();
    const CViewCoords coords = Coords();
    const FloatPoint topLeft = coords.PixelToShown(r.left(), r.top());
    const FloatPoint bottomRight = coords.PixelToShown(r.right(), r.bottom());
    if (m_doc.m_bZoomOpen && m_pZoomDlg)
        m_pZoomDlg->SetRectangle(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    if (m_doc.m_bExtractOpen && m_pExtractDlg)
        m_pExtractDlg->SetRectangle(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    RedrawViews();
}

void CZbView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key != Qt::Key_Left && key != Qt::Key_Right) || !HasSelection()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int steps = key == Qt::Key_Left ? -event->count() : event->count();
    const QRect dirty = StepSelection(m_doc, m_app, Coords(), steps);
    if (!dirty.isEmpty()) update(dirty);
    emit stateChanged();
}

QMenu* CZbView::CreateContextMenu() {
    auto* menu = new QMenu(this);
    QAction* reset = menu->addAction(QStringLiteral("&Initialiser curseur souris"));
    connect(reset, &QAction::triggered, this, [this] { RunCommand(kCmdResetCursor); });
    QAction* legend = menu->addAction(QStringLiteral("&Définir légende..."));
    legend->setStatusTip(QStringLiteral("Légender le graphe"));
    legend->setEnabled(ShowsGraph(m_doc) && HasCommand(kCmdContextLegend));
    connect(legend, &QAction::triggered, this, [this] { RunCommand(kCmdContextLegend); });
    if (m_doc.m_nDisplay & kChannelImage) {
        // For contrast studies: the row of the reference pixel, else the
        // mouse's, as a scan the analysis can decode.
        QAction* row = menu->addAction(QStringLiteral("&Ligne de l'image vers la voie 1"));
        row->setStatusTip(QStringLiteral("Ecrire la ligne du pixel de référence dans CH1"));
        const int imageRow = ImageRowUnderCursor(m_doc, m_app);
        row->setEnabled(imageRow >= 0);
        connect(row, &QAction::triggered, this, [this, imageRow] { WriteRowAsScan(imageRow); });
    }
    return menu;
}

void CZbView::contextMenuEvent(QContextMenuEvent* event) {
    // The legend goes where the menu was opened.
    m_nMenuX = event->pos().x();
    m_nMenuY = event->pos().y();
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CZbView::OnDisplaySelection() {
    CDisplayDlg dialog(m_doc, m_app, this);
    if (dialog.exec() == QDialog::Accepted) RedrawViews();
}

// Modal dialogs run on the document and ask for redraws as they change it.
template <class Dialog> void CZbView::RunModal(Dialog& dialog) {
    connect(&dialog, &Dialog::redrawRequested, this, &CZbView::RedrawViews);
    dialog.exec();
    RedrawViews();
}

void CZbView::OnGenerateCode() {
    CGenerateDlg dialog(&m_doc, this);
    RunModal(dialog);
}

void CZbView::OnCodeParameters() {
    CCodeParamsDlg dialog(&m_doc, this);
    RunModal(dialog);
}

void CZbView::OnRotate() {
    CRotateDlg dialog(&m_doc, &m_app, this);
    RunModal(dialog);
}

void CZbView::OnAnalyse() {
    CAnalyseDlg dialog(&m_doc, &m_app, this);
    RunModal(dialog);
}

void CZbView::OnTekPort() {
    CTekPortDlg dialog(&m_doc, this);
    dialog.exec();
    RedrawViews();
}

void CZbView::OnTekAcquire() {
    CTekAcqDlg dialog(&m_doc, this);
    RunModal(dialog);
}

void CZbView::OnGdsPort() {
    CGdsPortDlg dialog(&m_doc, this);
    RunModal(dialog);
}

void CZbView::OnGdsAcquire() {
    CGdsAcqDlg dialog(&m_doc, this);
    RunModal(dialog);
}

void CZbView::OnScpiPort() {
    CScpiPortDlg dialog(&m_doc, this);
    dialog.exec();
}

void CZbView::OnScpiAcquire() {
    CScpiAcqDlg dialog(&m_doc, this);
    RunModal(dialog);
}

void CZbView::OnPcMes3() {
    CPcMes3Dlg dialog(&m_doc, &m_app, OpenCardPorts(m_app.m_strSimulatedCard), this);
    RunModal(dialog);
}

void CZbView::OnLeuzeConnect() {
    CLeuzeConnectDlg dialog(&m_doc, DeviceLinkFactory(m_app.m_ports), this);
    dialog.exec();
}

void CZbView::OnLeuzeLaser() {
    CLaserDlg dialog(&m_doc, DeviceLinkFactory(m_app.m_ports), this);
    dialog.exec();
}

void CZbView::OnLeuzeRead() {
    CLeuzeReadDlg dialog(&m_doc, DeviceLinkFactory(m_app.m_ports), this);
    RunModal(dialog);
}

void CZbView::OnExtract() {
    if (m_doc.m_bExtractOpen) return;                     // one at a time; its menu item is checked
    auto* dialog = new CExtractDlg(&m_doc, &m_app, this); // sets the open flag, deletes itself
    m_pExtractTool = std::make_unique<ExtractionZoneTool>(dialog);
    m_pExtractDlg = m_pExtractTool.get();
    connect(dialog, &CExtractDlg::redrawRequested, this, &CZbView::RedrawViews);
    connect(dialog, &CExtractDlg::closed, this, [this] {
        m_pExtractDlg = nullptr;
        m_pExtractTool.reset();
        RedrawViews();
    });
    dialog->show();
    RedrawViews();
}

void CZbView::ExportSpreadsheet() {
    ::ExportSpreadsheet(this, m_doc);
}

void CZbView::ReadImage() {
    ::ReadImage(this, m_doc);
    RedrawViews();
}

void CZbView::OnImportScope() {
    ImportUiOptions options;
    options.redraw = [this] { ImportDone(); };
    ImportScopeCommand(this, m_doc, options);
}

void CZbView::ImportFiles(const QStringList& paths) {
    ImportUiOptions options;
    options.redraw = [this] { ImportDone(); };
    ImportScopeFiles(this, m_doc, paths, options);
}

void CZbView::ImportDone() {
    // As after an acquisition: the new curves, no reference point of the old ones.
    m_app.ClearReference();
    RedrawViews();
}

void CZbView::WriteRowAsScan(int row) {
    QString error;
    if (!WriteImageRow(m_doc, row, &error)) return;
    m_app.ClearReference();
    RedrawViews();
}

void CZbView::OnResetCursor() {
    m_app.ClearReference();
    SetReferencePixel(m_app, 0, 0);
    RedrawViews();
}

void CZbView::OnRegressions() {
    if (m_doc.m_bRegressionOpen) return;                     // its menu item is checked
    auto* dialog = new CRegressionDlg(&m_doc, &m_app, this); // sets the open flag
    m_pRegressionDlg = dialog;
    connect(dialog, &CRegressionDlg::redrawRequested, this, &CZbView::RedrawViews);
    connect(dialog, &CRegressionDlg::closed, this, [this] { m_pRegressionDlg = nullptr; });
    dialog->show();
    RedrawViews();
}

void CZbView::OnZoom() {
    if (m_doc.m_bZoomOpen) return;
    auto* dialog = new CZoomDlg(&m_doc, &m_app, this); // resets the zoom, sets the open flag
    m_pZoomDlg = dialog;
    connect(dialog, &CZoomDlg::redrawRequested, this, &CZbView::RedrawViews);
    connect(dialog, &CZoomDlg::closed, this, [this] { m_pZoomDlg = nullptr; });
    dialog->show();
    RedrawViews();
}

void CZbView::OnLegend() {
    CLegendDlg dialog(&m_doc, this);
    RunModal(dialog);
}

// The legend goes where the context menu was opened.
void CZbView::OnContextLegend() {
    const FloatPoint page = Coords().PixelToPage(m_nMenuX, m_nMenuY);
    m_doc.m_fLegendX = page.x;
    m_doc.m_fLegendY = page.y;
    OnLegend();
}
