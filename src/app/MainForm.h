#pragma once

#include "app/Commands.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QLabel;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class TDownloadSession;
class TFilesPanel;
class TPicturesPanel;
class TPictureWindows;
class TRegSettings;
class TRunControl;
class TStatePanel;
class TTaskTreeCommands;
class TTaskTreePanel;
struct THandOverReply;

// The main window: a frame of panels (the task tree with the log and report
// under it on the left, the files found and the downloaded pictures on the
// right), with the menus, tool bars, status bar and tray icon that carry the
// commands. Each panel owns its view and model; the frame only places them,
// wires the commands, and runs the start and end of the program. Closing it
// hides it into the tray; only Exit ends the program.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // The window placement, view toggles and default options, loaded at
    // creation and written at Exit.
    std::unique_ptr<TRegSettings> Settings;
    // The tasks opened so far, the image library and the run rules.
    std::unique_ptr<TDownloadSession> Session;
    bool ExitRequested = false;
    // A browser hand-over is in progress, with the address it handed over.
    bool FromBrowser = false;
    QString BrowserUrl;
    bool ShowMinPrompt = true;
    // Whether the desktop shows tray icons; without one, closing minimises.
    bool TrayAvailable = false;
    TCommandSet *Commands = nullptr;
    QTimer *LoadTipTimer = nullptr;

    // While FromBrowser is set, "New" opens the New Task window with
    // BrowserUrl and without the clipboard pick-up; BrowserUrl keeps the last
    // address handed over.
    void SetFromBrowser(bool fromBrowser) { FromBrowser = fromBrowser; }
    void SetBrowserUrl(const QString &url) { BrowserUrl = url; }
    // Shows the window, runs "New" with the address and then "Run" on the
    // new task; says what came of it.
    THandOverReply CreateUrl(const QString &url);

    QAction *Action(TCommandId id) const { return Commands->Action(id); }
    QAction *Action(const QString &name) const { return Commands->Action(name); }

    TTaskTreePanel *TreePanel() const { return m_treePanel; }
    TStatePanel *StatePanel() const { return m_statePanel; }
    TFilesPanel *FilesPanel() const { return m_filesPanel; }
    TPicturesPanel *PicturesPanel() const { return m_picturesPanel; }
    TTaskTreeCommands *TreeCommands() const { return m_treeCommands; }
    TRunControl *RunControl() const { return m_runControl; }

    // Life cycle.
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void RestoreWindowPlacement();
    void ShowWaitMessage(const QString &text);
    void HideWaitMessage();

    // Command handlers of the frame.
    void TasksExitActionExecute();
    void WinTaskbarClick();
    void ShowMainFormActionExecute();
    void ViewShowHideStdBarActionExecute();
    void ViewShowHideStateActionExecute();
    void HelpTopicActionExecute();
    void HelpTipActionExecute();
    void HelpAboutActionExecute();
    void HelpVisitActionExecute();
    void LoadTipTimerTimer();

    // Offers the shut-down countdown; on OK the computer is shut down.
    void OfferShutdown();

    // The tree read anew from the project folder. Raises EZavelonError
    // naming a project file that cannot be read; the nodes made so far stay.
    void BuildTaskTree();
    // The sample tasks of the first start, written into the project folder.
    void CreateSampleTasks();

    // The log's whole text written as an RTF file in the log folder.
    QString SaveLogFile();

signals:
    // Each step of the end sequence, as it is done: "Stop all", "Log",
    // "Window settings", "Menu settings", "Settings saved", "Add threads
    // ended", "Library saved".
    void ShutdownStep(const QString &step);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateComponents();
    void CreateMenus();
    void CreateStatusBar();
    void CreateTray();
    void ConnectActions();
    void ConnectSession();

    void StartSession();
    void ApplySettings();
    void ApplyMenuSettings();
    void PlaceOnWholeScreen();
    void FormCloseQuery(QCloseEvent *event);
    bool FormClose();
    void CopyWindowSettings();
    void CopyMenuSettings();
    void HideIntoTray();
    void ShowTipDialog(bool fromMenu);
    void EndSession();

    QToolBar *m_standardToolBar = nullptr;
    QSplitter *m_mainSplitter = nullptr;  // left and right halves
    QSplitter *m_leftSplitter = nullptr;  // task tree over the state panel
    QSplitter *m_rightSplitter = nullptr; // files list over the pictures panel
    TTaskTreePanel *m_treePanel = nullptr;
    TStatePanel *m_statePanel = nullptr;
    TFilesPanel *m_filesPanel = nullptr;
    TPicturesPanel *m_picturesPanel = nullptr;
    TTaskTreeCommands *m_treeCommands = nullptr;
    TRunControl *m_runControl = nullptr;
    TPictureWindows *m_pictureWindows = nullptr;
    QLabel *m_hintPanel = nullptr; // status panel 1
    QMenu *m_tasksPopupMenu = nullptr;
    QMenu *m_imagesPopupMenu = nullptr;
    QMenu *m_trayMenu = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    bool m_destroyed = false;
};
