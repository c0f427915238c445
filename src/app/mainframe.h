#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QMimeData;
class QPrinter;
class QToolBar;
class CZbDoc;
class CZbApp;
class CZbView;

// The main window: menus, toolbar and status bar around the view. Commands
// are made in one place from the command table; their enabled and checked
// states are set in one update function. File, print and about commands are
// handled here, every other command by the view.
class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kRecentFiles = 4;

    CMainFrame(CZbDoc& doc, CZbApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CZbView* View() const { return m_pView; }
    QAction* Action(int commandId) const { return m_actions.value(commandId); }
    QLabel* CodePane() const { return m_pCodePane; }
    QLabel* ReadoutPane() const { return m_pReadoutPane; }
    QStringList RecentFiles() const;

    // Opens a .cod file into the document; reports a failure to the user.
    bool OpenDocumentFile(const QString& path);
    bool SaveDocumentFile(const QString& path);
    // Dropped .cod files are opened one after the other; other files are
    // imported as an oscilloscope's.
    void OpenDroppedFiles(const QMimeData& data);

    // Enabled and checked states of every command, and the two own panes.
    void UpdateCommandUi();
    void UpdateStatusPanes();
    // The title follows the document's title (a decoded code) and a name it
    // gives itself in m_strFileName (an image read), as on every idle update.
    void FollowDocumentName();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The commands the frame handles itself, each with its handler; the view
    // carries the others.
    struct FrameCommand {
        int id;
        void (CMainFrame::*handler)();
    };
    static const FrameCommand kFrameCommands[];
    static const FrameCommand* FindFrameCommand(int id);

    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void Dispatch(int commandId);
    bool CommandAvailable(int commandId) const;
    // The document's title becomes this, and the window shows it.
    void SetTitle(const QString& title);
    // The document now belongs to this file: name, title, recent list.
    void TakeFileName(const QString& path);
    void OnIdle();
    void AddRecentFile(const QString& path);
    void OpenRecentFile(const QString& path);
    void RebuildRecentMenu();
    void ShowError(const QString& text);
    QPrinter& Printer();

    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnPrint();
    // As "&Imprimer ...", on the current printer without asking for one.
    void OnPrintDirect();
    void OnPrintPreview();
    void OnPrintSetup();
    void OnExit();
    void OnToggleToolbar();
    void OnToggleStatusBar();
    void OnAbout();

    CZbDoc& m_doc;
    CZbApp& m_app;
    CZbView* m_pView;
    QString m_strPath;       // file the document was read from or saved to; empty for a new one
    QString m_strTitledName; // m_strFileName when the title was last set
    QHash<int, QAction*> m_actions;
    QMenu* m_pRecentMenu = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QLabel* m_pCodePane = nullptr;
    QLabel* m_pReadoutPane = nullptr;
    std::unique_ptr<QPrinter> m_pPrinter;
};
