#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;
class QSystemTrayIcon;
class QTabBar;
class QTextEdit;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class TCommandSet;
class TImageLibrary;
class TImageLibrarySession;
class TRegSettings;
class TTask;
class TTaskList;

// The main window: the task tree with the log and report on the left, the
// files found and the downloaded pictures on the right, menus, tool bars and
// the tray icon. Closing it hides it into the tray; only Exit ends the program.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // Tree node kinds: the icon index of a node.
    enum TNodeIcon { niRoot = 0, niOpenFolder = 1, niFile = 2, niRunningTask = 3, niStoppedTask = 4, niFolder = 5 };

    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Members, in the order they are described.
    std::unique_ptr<TRegSettings> Settings;
    std::unique_ptr<TTaskList> TaskList;
    QTreeWidgetItem *ShownItem = nullptr;
    QStringList LoadedTaskPaths; // compared without regard to letter case
    bool ExitRequested = false;
    bool ShowMinPrompt = true;
    QStringList BuildInList;
    QStringList ExtensionIcons;
    bool FromBrowser = false;
    QString BrowserUrl;

    // The picture catalogue of this run with its file and its adding threads,
    // made first at start and written last at the end.
    std::unique_ptr<TImageLibrarySession> LibrarySession;
    TImageLibrary *ImageLibrary() const;

    // Whether the desktop shows tray icons; without one, closing minimises.
    bool TrayAvailable = false;

    // Components.
    TCommandSet *Commands = nullptr;
    QToolBar *StandardToolBar = nullptr;
    QSplitter *MainSplitter = nullptr;  // left and right halves
    QSplitter *LeftSplitter = nullptr;  // task tree over the state panel
    QSplitter *RightSplitter = nullptr; // files list over the pictures panel
    QTreeWidget *TasksTreeView = nullptr;
    QWidget *StatePanel = nullptr;
    QTabBar *TabSet = nullptr;
    QStackedWidget *StateNotebook = nullptr;
    QTextEdit *LogEdit = nullptr;
    QTreeWidget *ReportListView = nullptr;
    QTreeWidget *FilesListView = nullptr;
    QWidget *DownFilesPanel = nullptr;
    QToolBar *ImageToolBar = nullptr;
    QSplitter *PicturesSplitter = nullptr;
    QTreeWidget *ImagesListView = nullptr;
    QLabel *PreviewPane = nullptr;
    QWidget *StatusPanel0 = nullptr;
    QLabel *HintPanel = nullptr; // status panel 1
    QMenu *TasksPopupMenu = nullptr;
    QMenu *ImagesPopupMenu = nullptr;
    QMenu *TrayMenu = nullptr;
    QSystemTrayIcon *TrayIcon = nullptr;
    QTimer *LoadTipTimer = nullptr;

    QAction *Action(const QString &name) const;

    // Life cycle.
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void RestoreWindowPlacement();
    void ShowWaitMessage(const QString &text);
    void HideWaitMessage();

    // Command handlers of this window's shell.
    void TasksExitActionExecute();
    void TasksStopAllActionExecute();
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

    // Task tree helpers used at the first start and to read the project folder.
    void ResetTreeRoot();
    QTreeWidgetItem *TreeRoot() const;
    void BuildTaskTree();
    void ScanFolder(const QString &path, QTreeWidgetItem *node);
    QTreeWidgetItem *AddSampleFolder(QTreeWidgetItem *parent, const QString &name);
    void AddSampleTask(const QString &name, const QString &url, QTreeWidgetItem *node);
    void CreateSampleTasks();
    void UpdateTreeIcons();
    void ResetFileIcons();

    static QString NodePath(const QTreeWidgetItem *node);
    static int NodeIcon(const QTreeWidgetItem *node);
    static bool IsFolderNode(const QTreeWidgetItem *node);
    static bool IsTaskNode(const QTreeWidgetItem *node);

    // The log view's whole text written as an RTF file in the log folder.
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
    void CreateStatePanel(QWidget *parent);
    void CreatePicturesPanel(QWidget *parent);
    void CreateStatusBar();
    void CreateTray();
    void ConnectActions();

    void LoadImageLibrary();
    void ApplySettings();
    void PlaceOnWholeScreen();
    void FormCloseQuery(QCloseEvent *event);
    bool FormClose();
    void CopyWindowSettings();
    void CopyMenuSettings();
    void HideIntoTray();
    void ShowTipDialog(bool fromMenu);
    void EndImageLibrary();

    QTreeWidgetItem *AddNode(QTreeWidgetItem *parent, const QString &caption, int icon, int selectedIcon,
                             const QString &path);
    void SetNodeIcon(QTreeWidgetItem *node, int icon, int selectedIcon);
    // The task of a node whose project file is loaded already, or null.
    TTask *LoadedTaskOfNode(const QTreeWidgetItem *node) const;
    void StopTask(TTask *task);

    bool m_destroyed = false;
};
