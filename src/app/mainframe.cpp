#include "app/mainframe.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/aboutdlg.h"
#include "app/commandtable.h"
#include "app/toolbaricons.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"
#include "output/printpage.h"
#include "view/ui/zbview.h"

namespace {

const QString kCaption = QStringLiteral("Logiciel Lineatix");
const QString kWindowTitle = QStringLiteral("Lineatix");
const QString kFilter = QStringLiteral("Fichiers (*.cod)");
const QString kRecentKey = QStringLiteral("Recent File List");

// The status bar's own panes.
constexpr int kCodePaneWidth = 150;
constexpr int kReadoutPaneWidth = 250;
// Menus and panes follow the document at this pace, as an idle update would.
constexpr int kIdleUpdateMs = 200;

} // namespace

const CMainFrame::FrameCommand CMainFrame::kFrameCommands[] = {
    {kCmdFileNew, &CMainFrame::OnFileNew},       {kCmdFileOpen, &CMainFrame::OnFileOpen},
    {kCmdFileSave, &CMainFrame::OnFileSave},     {kCmdFileSaveAs, &CMainFrame::OnFileSaveAs},
    {kCmdPrint, &CMainFrame::OnPrint},           {kCmdPrintPreview, &CMainFrame::OnPrintPreview},
    {kCmdPrintSetup, &CMainFrame::OnPrintSetup}, {kCmdExit, &CMainFrame::OnExit},
    {kCmdToolbar, &CMainFrame::OnToggleToolbar}, {kCmdStatusBar, &CMainFrame::OnToggleStatusBar},
    {kCmdAbout, &CMainFrame::OnAbout},           {kCmdPrintDirect, &CMainFrame::OnPrintDirect},
};

const CMainFrame::FrameCommand* CMainFrame::FindFrameCommand(int id) {
    for (const FrameCommand& command : kFrameCommands)
        if (command.id == id) return &command;
    return nullptr;
}

CMainFrame::CMainFrame(CZbDoc& doc, CZbApp& app, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_app(app), m_pView(new CZbView(doc, app, this)) {
    setCentralWidget(m_pView);
    setAcceptDrops(true);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    SetTitle(m_doc.Title());
    OnIdle();
    m_pView->setFocus();

    connect(m_pView, &CZbView::stateChanged, this, &CMainFrame::OnIdle);
    auto* idleTimer = new QTimer(this);
    connect(idleTimer, &QTimer::timeout, this, &CMainFrame::OnIdle);
    idleTimer->start(kIdleUpdateMs);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateActions() {
    for (int i = 0; i < kCommandCount; ++i) {
        const CommandInfo& command = kCommandTable[i];
        if (command.id == kCmdRecentFiles) continue; // a submenu, made with the menus
        auto* action = new QAction(QString::fromUtf8(command.text), this);
        const QString prompt = QString::fromUtf8(command.prompt);
        action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
        const QString tip = prompt.section(QLatin1Char('\n'), 1);
        if (!tip.isEmpty()) action->setToolTip(tip);
        if (command.shortcut) action->setShortcut(QKeySequence(QLatin1String(command.shortcut)));
        if (command.tool != CommandTool::None) action->setCheckable(true);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
        m_actions.insert(id, action);
    }
    m_actions[kCmdToolbar]->setCheckable(true);
    m_actions[kCmdStatusBar]->setCheckable(true);

    // Ctrl+N has no menu item: a new document keeps the data and the settings.
    auto* newDocument = new QAction(this);
    newDocument->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    connect(newDocument, &QAction::triggered, this, [this] { Dispatch(kCmdFileNew); });
    addAction(newDocument);
    m_actions.insert(kCmdFileNew, newDocument);

    // Direct printing has no menu item either: it prints on the current printer.
    auto* printDirect = new QAction(this);
    connect(printDirect, &QAction::triggered, this, [this] { Dispatch(kCmdPrintDirect); });
    m_actions.insert(kCmdPrintDirect, printDirect);
}

void CMainFrame::CreateMenus() {
    QHash<QString, QMenu*> menus;
    auto menuFor = [&](const char* top, const char* sub) {
        const QString topText = QString::fromUtf8(top);
        QMenu* menu = menus.value(topText);
        if (!menu) {
            menu = menuBar()->addMenu(topText);
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
            menus.insert(topText, menu);
        }
        if (!sub) return menu;
        const QString key = topText + QLatin1Char('>') + QString::fromUtf8(sub);
        QMenu* submenu = menus.value(key);
        if (!submenu) {
            submenu = menu->addMenu(QString::fromUtf8(sub));
            menus.insert(key, submenu);
        }
        return submenu;
    };
    for (int i = 0; i < kCommandCount; ++i) {
        const CommandInfo& command = kCommandTable[i];
        QMenu* menu = menuFor(command.menu, command.submenu);
        if (command.id == kCmdRecentFiles) {
            m_pRecentMenu = menu->addMenu(QString::fromUtf8(command.text));
            m_pRecentMenu->menuAction()->setStatusTip(QString::fromUtf8(command.prompt));
            RebuildRecentMenu();
        } else {
            menu->addAction(m_actions[command.id]);
        }
        if (command.separatorAfter) menu->addSeparator();
    }
}

void CMainFrame::CreateToolBar() {
    m_pToolBar = addToolBar(QStringLiteral("Barre d'outils"));
    m_pToolBar->setObjectName(QStringLiteral("toolbar"));
    m_pToolBar->setIconSize(QSize(16, 16));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int i = 0; i < kToolbarCount; ++i) {
        const int id = kToolbarCommands[i];
        if (id == 0) {
            m_pToolBar->addSeparator();
            continue;
        }
        QAction* action = m_actions[id];
        action->setIcon(ToolbarIcon(id));
        m_pToolBar->addAction(action);
    }
    connect(m_pToolBar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCommandUi);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    // The message pane: "Prêt" when idle, hidden while a prompt is shown.
    auto* ready = new QLabel(QStringLiteral("Prêt"), bar);
    bar->addWidget(ready, 1);
    m_pCodePane = new QLabel(QStringLiteral(" "), bar);
    m_pCodePane->setObjectName(QStringLiteral("codePane"));
    m_pCodePane->setFixedWidth(kCodePaneWidth);
    m_pReadoutPane = new QLabel(QStringLiteral("x"), bar);
    m_pReadoutPane->setObjectName(QStringLiteral("readoutPane"));
    m_pReadoutPane->setFixedWidth(kReadoutPaneWidth);
    bar->addPermanentWidget(m_pCodePane);
    bar->addPermanentWidget(m_pReadoutPane);
    // Qt cannot tell the lock keys' state: the panes stay greyed.
    for (const char* text : {"MAJ", "NUM"}) {
        auto* pane = new QLabel(QLatin1String(text), bar);
        pane->setEnabled(false);
        bar->addPermanentWidget(pane);
    }
}

bool CMainFrame::CommandAvailable(int commandId) const {
    return FindFrameCommand(commandId) || CZbView::HasCommand(commandId);
}

void CMainFrame::UpdateCommandUi() {
    for (int i = 0; i < kCommandCount; ++i) {
        const CommandInfo& command = kCommandTable[i];
        QAction* action = m_actions.value(command.id);
        if (!action) continue;
        action->setEnabled(CommandAvailable(command.id) && CommandEnabled(command.rule, m_doc));
        if (command.tool != CommandTool::None)
            action->setChecked(CommandChecked(command.tool, m_doc));
    }
    m_actions[kCmdToolbar]->setChecked(m_pToolBar && m_pToolBar->isVisibleTo(this));
    m_actions[kCmdStatusBar]->setChecked(statusBar()->isVisibleTo(this));
}

void CMainFrame::OnIdle() {
    FollowDocumentName();
    UpdateCommandUi();
    UpdateStatusPanes();
}

void CMainFrame::FollowDocumentName() {
    if (m_doc.m_strFileName != m_strTitledName) m_doc.m_strTitle = m_doc.m_strFileName;
    SetTitle(m_doc.m_strTitle);
}

void CMainFrame::UpdateStatusPanes() {
    m_pCodePane->setText(m_doc.m_strCode);
    m_pReadoutPane->setText(MouseReadout(m_doc, m_app));
}

void CMainFrame::Dispatch(int commandId) {
    if (const FrameCommand* own = FindFrameCommand(commandId)) {
        (this->*own->handler)();
    } else {
        // A disabled command is never dispatched.
        const CommandInfo* command = FindCommand(commandId);
        if (!command || CommandEnabled(command->rule, m_doc)) m_pView->RunCommand(commandId);
    }
    OnIdle();
}

void CMainFrame::SetTitle(const QString& title) {
    m_doc.m_strTitle = title;
    m_strTitledName = m_doc.m_strFileName;
    const QString shown = title + QStringLiteral(" - ") + kWindowTitle;
    if (windowTitle() != shown) setWindowTitle(shown);
}

void CMainFrame::ShowError(const QString& text) {
    QMessageBox::warning(this, kCaption, text);
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    QString error;
    if (!m_doc.Load(path, &error)) {
        ShowError(error);
        return false;
    }
    TakeFileName(path);
    m_pView->RedrawViews();
    return true;
}

bool CMainFrame::SaveDocumentFile(const QString& path) {
    QString error;
    if (!m_doc.Save(path, &error)) {
        ShowError(error);
        return false;
    }
    TakeFileName(path);
    return true;
}

void CMainFrame::TakeFileName(const QString& path) {
    m_strPath = path;
    AddRecentFile(path);
    SetTitle(QFileInfo(path).fileName());
}

void CMainFrame::OnFileNew() {
    // The data stay; only the name goes back to the document's own.
    m_strPath.clear();
    SetTitle(m_doc.Title());
    m_pView->RedrawViews();
}

void CMainFrame::OnFileOpen() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Ouvrir"),
                                                      QFileInfo(m_strPath).path(), kFilter);
    if (!path.isEmpty()) OpenDocumentFile(path);
}

void CMainFrame::OnFileSave() {
    if (m_strPath.isEmpty())
        OnFileSaveAs();
    else
        SaveDocumentFile(m_strPath);
}

void CMainFrame::OnFileSaveAs() {
    // An unsaved document proposes its title: "Sansnom.cod", or the code an
    // analysis decoded.
    QString proposed = m_strPath;
    if (proposed.isEmpty()) {
        proposed = m_doc.m_strTitle;
        if (!proposed.endsWith(QStringLiteral(".cod"), Qt::CaseInsensitive))
            proposed += QStringLiteral(".cod");
    }
    QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer sous"), proposed, kFilter);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".cod");
    SaveDocumentFile(path);
}

QStringList CMainFrame::RecentFiles() const {
    return QSettings().value(kRecentKey).toStringList();
}

void CMainFrame::AddRecentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = RecentFiles();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > kRecentFiles)
        files.removeLast();
    QSettings().setValue(kRecentKey, files);
    RebuildRecentMenu();
}

void CMainFrame::OpenRecentFile(const QString& path) {
    // A file that has gone since is reported once, then leaves the list.
    if (OpenDocumentFile(path) || QFileInfo::exists(path)) return;
    QStringList files = RecentFiles();
    files.removeAll(path);
    QSettings().setValue(kRecentKey, files);
    RebuildRecentMenu();
}

void CMainFrame::RebuildRecentMenu() {
    if (!m_pRecentMenu) return;
    m_pRecentMenu->clear();
    const QStringList files = RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction* entry = m_pRecentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        entry->setStatusTip(QStringLiteral("Ouvre ce fichier"));
        connect(entry, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    m_pRecentMenu->setEnabled(!files.isEmpty());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    OpenDroppedFiles(*event->mimeData());
    event->acceptProposedAction();
}

void CMainFrame::OpenDroppedFiles(const QMimeData& data) {
    // A document opens; any other file is an oscilloscope's, imported with
    // the others dropped with it (the two files of one save).
    QStringList scopeFiles;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (path.endsWith(QStringLiteral(".cod"), Qt::CaseInsensitive))
            OpenDocumentFile(path);
        else
            scopeFiles << path;
    }
    if (!scopeFiles.isEmpty()) m_pView->ImportFiles(scopeFiles);
    OnIdle();
}

QPrinter& CMainFrame::Printer() {
    // Made on first use: finding the printers takes time the start-up need not spend.
    if (!m_pPrinter) {
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        SetUpPrintPage(*m_pPrinter);
    }
    // The job, and the PDF file the print dialog proposes, carry the document's name.
    m_pPrinter->setDocName(m_doc.m_strTitle);
    return *m_pPrinter;
}

void CMainFrame::OnPrint() {
    QPrintDialog dialog(&Printer(), this);
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setMinMax(1, 1);
    if (dialog.exec() != QDialog::Accepted) return;
    OnPrintDirect();
}

void CMainFrame::OnPrintDirect() {
    // The printed code sheet or graph takes the reference point away itself.
    if (!PrintDocument(Printer(), m_doc, m_app))
        ShowError(QStringLiteral("Impossible de lancer l'impression."));
    m_pView->RedrawViews();
}

void CMainFrame::OnPrintPreview() {
    QPrintPreviewDialog preview(&Printer(), this);
    preview.setWindowTitle(QStringLiteral("Aperçu avant impression"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintDocument(*printer, m_doc, m_app); });
    preview.exec();
    m_pView->RedrawViews();
}

void CMainFrame::OnPrintSetup() {
    QPageSetupDialog dialog(&Printer(), this);
    dialog.setWindowTitle(QStringLiteral("Configuration de l'impression"));
    dialog.exec();
}

void CMainFrame::OnExit() {
    close();
}

void CMainFrame::OnToggleToolbar() {
    m_pToolBar->setVisible(!m_pToolBar->isVisible());
}

void CMainFrame::OnToggleStatusBar() {
    statusBar()->setVisible(!statusBar()->isVisible());
}

void CMainFrame::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}
