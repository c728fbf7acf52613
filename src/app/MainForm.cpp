#include "app/MainForm.h"

#include "widgets/AppResources.h"
#include "app/Commands.h"
#include "widgets/ErrorReport.h"
#include "app/ShowMinPromptForm.h"
#include "app/Startup.h"
#include "app/WaitForm.h"
#include "engine/Errors.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "engine/TaskList.h"
#include "engine/TaskThread.h"
#include "images/ImageLibrarySession.h"
#include "settings/RegSettings.h"
#include "settings/ui/OptionForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QLabel *CaptionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setContentsMargins(2, 2, 2, 2);
    return label;
}

QTreeWidget *ReportList(const QString &name, const QStringList &columns, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHeaderLabels(columns);
    list->header()->setSectionsClickable(false);
    list->header()->setStretchLastSection(false);
    return list;
}

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    InitAppResources();
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/zavelon.png")));
    TrayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    CreateComponents();
    FormCreate();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

QAction *TMainForm::Action(const QString &name) const
{
    return Commands->Action(name);
}

// ---------------------------------------------------------------------------
// Components

void TMainForm::CreateComponents()
{
    Commands = new TCommandSet(this);
    CreateMenus();

    MainSplitter = new QSplitter(Qt::Horizontal, this);
    MainSplitter->setObjectName(QStringLiteral("MainSplitter"));
    MainSplitter->setChildrenCollapsible(false);

    LeftSplitter = new QSplitter(Qt::Vertical, MainSplitter);
    LeftSplitter->setObjectName(QStringLiteral("LeftSplitter"));
    LeftSplitter->setChildrenCollapsible(false);
    auto *treeArea = new QWidget(LeftSplitter);
    auto *treeLayout = new QVBoxLayout(treeArea);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(0);
    treeLayout->addWidget(CaptionLabel(QStringLiteral("Tasks :"), treeArea));
    TasksTreeView = new QTreeWidget(treeArea);
    TasksTreeView->setObjectName(QStringLiteral("TasksTreeView"));
    TasksTreeView->setHeaderHidden(true);
    TasksTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TasksTreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    treeLayout->addWidget(TasksTreeView);
    CreateStatePanel(LeftSplitter);

    RightSplitter = new QSplitter(Qt::Vertical, MainSplitter);
    RightSplitter->setObjectName(QStringLiteral("RightSplitter"));
    RightSplitter->setChildrenCollapsible(false);
    auto *filesArea = new QWidget(RightSplitter);
    auto *filesLayout = new QVBoxLayout(filesArea);
    filesLayout->setContentsMargins(0, 0, 0, 0);
    filesLayout->setSpacing(0);
    filesLayout->addWidget(CaptionLabel(QStringLiteral("Files found in current task :"), filesArea));
    FilesListView = ReportList(QStringLiteral("FilesListView"),
                               {QStringLiteral("!"), QStringLiteral("From URL"), QStringLiteral("Type"),
                                QStringLiteral("Size(b)"), QStringLiteral("Depth"), QStringLiteral("Completed")},
                               filesArea);
    FilesListView->headerItem()->setIcon(0, QIcon(QStringLiteral(":/icons/item-header.svg")));
    FilesListView->headerItem()->setText(0, QString());
    FilesListView->headerItem()->setToolTip(0, QStringLiteral("!"));
    for (int column : {3, 4, 5})
        FilesListView->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    const int fileWidths[] = {30, 220, 60, 70, 45, 70};
    for (int column = 0; column < 6; ++column)
        FilesListView->setColumnWidth(column, fileWidths[column]);
    FilesListView->header()->setStretchLastSection(true);
    filesLayout->addWidget(FilesListView);
    CreatePicturesPanel(RightSplitter);

    MainSplitter->setStretchFactor(0, 2);
    MainSplitter->setStretchFactor(1, 3);
    LeftSplitter->setStretchFactor(0, 3);
    LeftSplitter->setStretchFactor(1, 2);
    RightSplitter->setStretchFactor(0, 1);
    RightSplitter->setStretchFactor(1, 1);
    setCentralWidget(MainSplitter);

    CreateStatusBar();
    CreateTray();

    // The tip of the day is offered 2000 ms after creation (and rechecked
    // every 2000 ms while tips are off, so turning them on takes effect).
    LoadTipTimer = new QTimer(this);
    LoadTipTimer->setObjectName(QStringLiteral("LoadTipTimer"));
    LoadTipTimer->setInterval(2000);
    connect(LoadTipTimer, &QTimer::timeout, this, &TMainForm::LoadTipTimerTimer);
    LoadTipTimer->start();

    ConnectActions();
}

void TMainForm::CreateMenus()
{
    for (const char *container : {"TasksMenu", "ImagesMenu", "ViewMenu", "HelpMenu"}) {
        const TCommandLayout *layout = FindCommandLayout(QLatin1String(container));
        QMenu *menu = menuBar()->addMenu(QString::fromLatin1(layout->Title));
        menu->setObjectName(QLatin1String(container));
        Commands->Populate(menu, QLatin1String(container));
    }

    StandardToolBar = addToolBar(QStringLiteral("Standard tool bar"));
    StandardToolBar->setObjectName(QStringLiteral("StandardToolBar"));
    StandardToolBar->setIconSize(QSize(22, 22));
    Commands->Populate(StandardToolBar, QStringLiteral("StandardToolBar"));

    TasksPopupMenu = new QMenu(this);
    TasksPopupMenu->setObjectName(QStringLiteral("TasksPopupMenu"));
    Commands->Populate(TasksPopupMenu, QStringLiteral("TasksPopupMenu"));
    ImagesPopupMenu = new QMenu(this);
    ImagesPopupMenu->setObjectName(QStringLiteral("ImagesPopupMenu"));
    Commands->Populate(ImagesPopupMenu, QStringLiteral("ImagesPopupMenu"));
    TrayMenu = new QMenu(this);
    TrayMenu->setObjectName(QStringLiteral("TrayMenu"));
    Commands->Populate(TrayMenu, QStringLiteral("TrayMenu"));
    // "Main Window" is the tray menu's default entry, shown bold.
    TrayMenu->setDefaultAction(Action(QStringLiteral("ShowMainFormAction")));
}

void TMainForm::CreateStatePanel(QWidget *parent)
{
    StatePanel = new QWidget(parent);
    StatePanel->setObjectName(QStringLiteral("StatePanel"));
    auto *layout = new QVBoxLayout(StatePanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    StateNotebook = new QStackedWidget(StatePanel);
    StateNotebook->setObjectName(QStringLiteral("StateNotebook"));
    LogEdit = new QTextEdit(StateNotebook);
    LogEdit->setObjectName(QStringLiteral("LogEdit"));
    LogEdit->setReadOnly(true);
    LogEdit->setLineWrapMode(QTextEdit::NoWrap);
    StateNotebook->addWidget(LogEdit);
    ReportListView = ReportList(QStringLiteral("ReportListView"),
                                {QStringLiteral("Name"), QStringLiteral("Value"), QStringLiteral("Description")},
                                StateNotebook);
    ReportListView->setColumnWidth(0, 70);
    ReportListView->setColumnWidth(1, 150);
    ReportListView->setColumnWidth(2, 100);
    ReportListView->header()->setStretchLastSection(true);
    StateNotebook->addWidget(ReportListView);

    TabSet = new QTabBar(StatePanel);
    TabSet->setObjectName(QStringLiteral("TabSet"));
    TabSet->setShape(QTabBar::RoundedSouth);
    TabSet->setDrawBase(false);
    TabSet->addTab(QStringLiteral("Log"));
    TabSet->addTab(QStringLiteral("Report"));
    TabSet->setCurrentIndex(0);
    connect(TabSet, &QTabBar::currentChanged, StateNotebook, &QStackedWidget::setCurrentIndex);

    layout->addWidget(StateNotebook);
    layout->addWidget(TabSet, 0, Qt::AlignLeft);
}

void TMainForm::CreatePicturesPanel(QWidget *parent)
{
    DownFilesPanel = new QWidget(parent);
    DownFilesPanel->setObjectName(QStringLiteral("DownFilesPanel"));
    auto *layout = new QVBoxLayout(DownFilesPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ImageToolBar = new QToolBar(QStringLiteral("Image Toolbar"), DownFilesPanel);
    ImageToolBar->setObjectName(QStringLiteral("ImageToolBar"));
    ImageToolBar->setIconSize(QSize(18, 18));
    Commands->Populate(ImageToolBar, QStringLiteral("ImageToolBar"));
    layout->addWidget(ImageToolBar);

    PicturesSplitter = new QSplitter(Qt::Horizontal, DownFilesPanel);
    PicturesSplitter->setObjectName(QStringLiteral("PicturesSplitter"));
    PicturesSplitter->setChildrenCollapsible(false);
    ImagesListView = ReportList(QStringLiteral("ImagesListView"),
                                {QStringLiteral("Name"), QStringLiteral("Ext"), QStringLiteral("Size")},
                                PicturesSplitter);
    ImagesListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ImagesListView->setColumnWidth(0, 150);
    ImagesListView->setColumnWidth(1, 45);
    ImagesListView->setColumnWidth(2, 60);
    ImagesListView->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    ImagesListView->setContextMenuPolicy(Qt::CustomContextMenu);
    PreviewPane = new QLabel(PicturesSplitter);
    PreviewPane->setObjectName(QStringLiteral("PreviewPane"));
    PreviewPane->setAlignment(Qt::AlignCenter);
    PreviewPane->setFrameShape(QFrame::StyledPanel);
    PreviewPane->setMinimumSize(80, 60);
    PicturesSplitter->setStretchFactor(0, 1);
    PicturesSplitter->setStretchFactor(1, 1);
    layout->addWidget(PicturesSplitter);
}

void TMainForm::CreateStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(true);
    StatusPanel0 = new QWidget(bar);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFixedWidth(5);
    HintPanel = new QLabel(bar);
    HintPanel->setObjectName(QStringLiteral("HintPanel"));
    bar->addWidget(StatusPanel0);
    bar->addWidget(HintPanel, 1);
}

void TMainForm::CreateTray()
{
    TrayIcon = new QSystemTrayIcon(windowIcon(), this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setToolTip(QStringLiteral("Zavelon"));
    TrayIcon->setContextMenu(TrayMenu);
    connect(TrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            WinTaskbarClick();
    });
    if (TrayAvailable)
        TrayIcon->show();
}

void TMainForm::ConnectActions()
{
    const auto on = [this](const char *name, void (TMainForm::*handler)()) {
        connect(Action(QLatin1String(name)), &QAction::triggered, this, handler);
    };
    on("TasksExitAction", &TMainForm::TasksExitActionExecute);
    on("TasksStopAllAction", &TMainForm::TasksStopAllActionExecute);
    on("ShowMainFormAction", &TMainForm::ShowMainFormActionExecute);
    on("ViewShowHideStdBarAction", &TMainForm::ViewShowHideStdBarActionExecute);
    on("ViewShowHideStateAction", &TMainForm::ViewShowHideStateActionExecute);
    on("HelpTopicAction", &TMainForm::HelpTopicActionExecute);
    on("HelpTipAction", &TMainForm::HelpTipActionExecute);
    on("HelpAboutAction", &TMainForm::HelpAboutActionExecute);
    on("HelpVisitAction", &TMainForm::HelpVisitActionExecute);
    // The default options change in memory; the store gets them at exit.
    connect(Action(QStringLiteral("ViewOptionAction")), &QAction::triggered, this,
            [this] { OpenOptionForm(this, Settings->Options); });

    connect(TasksTreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        // A right click selects the node under the mouse before the menu opens.
        if (QTreeWidgetItem *node = TasksTreeView->itemAt(at))
            TasksTreeView->setCurrentItem(node);
        TasksPopupMenu->popup(TasksTreeView->viewport()->mapToGlobal(at));
    });
    connect(ImagesListView, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        ImagesPopupMenu->popup(ImagesListView->viewport()->mapToGlobal(at));
    });
    // The system's own session end is an Exit, not a close into the tray.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] {
        ExitRequested = true;
        close();
    });
}

// ---------------------------------------------------------------------------
// Start

void TMainForm::FormCreate()
{
    LoadImageLibrary();
    ReportStartupStep(QStringLiteral("Library"));

    BuildInList.clear();
    ExtensionIcons = {QStringLiteral("Cursor"), QStringLiteral("Cursor")};
    BrowserUrl.clear();
    FromBrowser = false;
    ShowMinPrompt = true;
    ExitRequested = false;
    ShownItem = nullptr;
    LoadedTaskPaths.clear();

    setWindowTitle(ApplicationTitle());
    Action(QStringLiteral("TasksRunAction"))->setEnabled(false);
    Action(QStringLiteral("TasksStopAction"))->setEnabled(false);

    TaskList = std::make_unique<TTaskList>();
    Settings = std::make_unique<TRegSettings>();
    try {
        ApplySettings();
    } catch (const std::exception &) {
        PlaceOnWholeScreen();
    }
    ReportStartupStep(QStringLiteral("Settings"));

    try {
        if (!Settings->Options.DefaultTaskAdded) {
            ResetTreeRoot();
            CreateSampleTasks();
            Settings->Options.DefaultTaskAdded = true;
            TreeRoot()->setExpanded(true);
            ReportStartupStep(QStringLiteral("Sample tasks"));
        }
        ResetTreeRoot();
        BuildTaskTree();
        ReportStartupStep(QStringLiteral("Task tree"));
    } catch (const EZavelonError &error) {
        ShowErrorMessage(this, error.message());
    }
}

void TMainForm::LoadImageLibrary()
{
    // A library file that cannot be read is reported; it is then left as it
    // is at the end instead of being replaced by this run's records.
    LibrarySession = std::make_unique<TImageLibrarySession>(ImageLibraryFileName(ProgramHome()));
    if (!LibrarySession->StartupError().isEmpty())
        ShowErrorMessage(this, LibrarySession->StartupError());
    // Every picture a worker saves is recorded by an adding thread.
    TTaskThread::SetPictureSavedHook(LibrarySession->PictureSavedHook());
}

TImageLibrary *TMainForm::ImageLibrary() const
{
    return LibrarySession ? &LibrarySession->ImageLibrary() : nullptr;
}

void TMainForm::ApplySettings()
{
    Settings->Load();
    RestoreWindowPlacement();
    ShowMinPrompt = Settings->Window.ShowMinPrompt;

    const TRegMenu &menu = Settings->Menu;
    Action(QStringLiteral("ViewShowHideStdBarAction"))->setChecked(menu.ShowStandardToolBar);
    Action(QStringLiteral("ViewShowHideStateAction"))->setChecked(menu.ShowStatePanel);
    Action(QStringLiteral("ViewShowAllFilesAction"))->setChecked(menu.ShowAllFiles);
    Action(QStringLiteral("ImagesFitAction"))->setChecked(menu.FitImages);
    switch (menu.ImageSort) {
    case TRegMenu::isUnsorted:
        Action(QStringLiteral("ImagesUnsortAction"))->setChecked(true);
        break;
    case TRegMenu::isByName:
        Action(QStringLiteral("ImagesSortByNameAction"))->setChecked(true);
        break;
    case TRegMenu::isBySize:
        Action(QStringLiteral("ImagesSortBySizeAction"))->setChecked(true);
        break;
    default:
        break;
    }
    // The preview's fit-to-page zoom follows "Zoom" once the preview lands.
    StandardToolBar->setVisible(Action(QStringLiteral("ViewShowHideStdBarAction"))->isChecked());
    StatePanel->setVisible(Action(QStringLiteral("ViewShowHideStateAction"))->isChecked());
}

void TMainForm::PlaceOnWholeScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    setWindowState(Qt::WindowNoState);
    move(0, 0);
    resize(screen->geometry().width(), screen->availableGeometry().height());
}

void TMainForm::RestoreWindowPlacement()
{
    const TRegWindow &window = Settings->Window;
    setWindowState(Qt::WindowNoState);
    move(window.Left, window.Top);
    resize(window.Width, window.Height);
    if (window.KnownState() == TRegWindow::wsMinimized)
        setWindowState(Qt::WindowMinimized);
    else if (window.KnownState() == TRegWindow::wsMaximized)
        setWindowState(Qt::WindowMaximized);
}

void TMainForm::FormShow()
{
    try {
        RestoreWindowPlacement();
    } catch (const std::exception &) {
        PlaceOnWholeScreen();
    }
}

void TMainForm::showEvent(QShowEvent *event)
{
    // Every time the window goes from hidden to visible, also back from the
    // tray; not when the window system merely restores it.
    if (!event->spontaneous())
        FormShow();
    QMainWindow::showEvent(event);
}

// ---------------------------------------------------------------------------
// Hints

bool TMainForm::event(QEvent *event)
{
    // The hint of the command under the mouse goes into status panel 1
    // (instead of the status bar's temporary message, which would cover both
    // panels).
    if (event->type() == QEvent::StatusTip) {
        HintPanel->setText(static_cast<QStatusTipEvent *>(event)->tip());
        event->accept();
        return true;
    }
    return QMainWindow::event(event);
}

// ---------------------------------------------------------------------------
// Close and end

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!ExitRequested) {
        FormCloseQuery(event);
        return;
    }
    if (!FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void TMainForm::FormCloseQuery(QCloseEvent *event)
{
    event->ignore();
    HideIntoTray();
}

void TMainForm::HideIntoTray()
{
    if (!TrayAvailable) {
        // Without a tray there is nothing to come back from: minimise.
        showMinimized();
        return;
    }
    hide();
    if (!ShowMinPrompt)
        return;
    TShowMinPromptForm prompt(this);
    prompt.exec();
    if (prompt.ShowNextCheck()->isChecked())
        ShowMinPrompt = false;
}

bool TMainForm::FormClose()
{
    ExecuteAction(Action(QStringLiteral("TasksStopAllAction")));
    emit ShutdownStep(QStringLiteral("Stop all"));
    try {
        if (Settings->Options.AutoSaveLog) {
            SaveLogFile();
            emit ShutdownStep(QStringLiteral("Log"));
        }
        CopyWindowSettings();
        emit ShutdownStep(QStringLiteral("Window settings"));
        CopyMenuSettings();
        emit ShutdownStep(QStringLiteral("Menu settings"));
        Settings->Save();
        emit ShutdownStep(QStringLiteral("Settings saved"));
    } catch (const std::exception &error) {
        // The program goes on, its tasks already stopped; a later Exit runs
        // the whole sequence again.
        ExitRequested = false;
        const auto *own = dynamic_cast<const EZavelonError *>(&error);
        ShowErrorMessage(this, own ? own->message() : QString::fromLocal8Bit(error.what()));
        return false;
    }
    return true;
}

void TMainForm::CopyWindowSettings()
{
    TRegWindow &window = Settings->Window;
    // The placement the window has when shown normally, also while it is
    // minimised or maximised.
    const QRect normal = (isMinimized() || isMaximized()) && normalGeometry().isValid()
                             ? normalGeometry()
                             : QRect(pos(), size());
    window.Left = normal.x();
    window.Top = normal.y();
    window.Width = normal.width();
    window.Height = normal.height();
    window.State = isMinimized() ? TRegWindow::wsMinimized
                   : isMaximized() ? TRegWindow::wsMaximized
                                   : TRegWindow::wsNormal;
    window.ShowMinPrompt = ShowMinPrompt;
}

void TMainForm::CopyMenuSettings()
{
    TRegMenu &menu = Settings->Menu;
    menu.ShowStandardToolBar = Action(QStringLiteral("ViewShowHideStdBarAction"))->isChecked();
    menu.ShowStatePanel = Action(QStringLiteral("ViewShowHideStateAction"))->isChecked();
    menu.ShowAllFiles = Action(QStringLiteral("ViewShowAllFilesAction"))->isChecked();
    menu.FitImages = Action(QStringLiteral("ImagesFitAction"))->isChecked();
    if (Action(QStringLiteral("ImagesUnsortAction"))->isChecked())
        menu.ImageSort = TRegMenu::isUnsorted;
    else if (Action(QStringLiteral("ImagesSortByNameAction"))->isChecked())
        menu.ImageSort = TRegMenu::isByName;
    else if (Action(QStringLiteral("ImagesSortBySizeAction"))->isChecked())
        menu.ImageSort = TRegMenu::isBySize;
    // "Sort by type(&2)" keeps the stored order.
}

void TMainForm::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    // A window destroyed without Exit (the session's end, a failed start)
    // still must not free running tasks.
    if (TaskList) {
        for (int index = TaskList->Count() - 1; index >= 0; --index) {
            TTask *task = TaskList->Get(index);
            if (task && !task->Stopped())
                StopTask(task);
        }
    }
    EndImageLibrary();
    BuildInList.clear();
    ExtensionIcons.clear();
    LoadedTaskPaths.clear();
    TaskList.reset();
    Settings.reset();
}

void TMainForm::EndImageLibrary()
{
    if (!LibrarySession)
        return;
    TTaskThread::SetPictureSavedHook({});
    // No adding thread may touch the library once it is being written.
    LibrarySession->AddImageThreads().EndAll();
    emit ShutdownStep(QStringLiteral("Add threads ended"));
    try {
        LibrarySession->ShutDown();
        if (LibrarySession->SavesOnShutDown())
            emit ShutdownStep(QStringLiteral("Library saved"));
    } catch (const EZavelonError &error) {
        ShowErrorMessage(this, error.message());
    }
    LibrarySession.reset();
}

void TMainForm::TasksExitActionExecute()
{
    ExitRequested = true;
    close();
}

void TMainForm::WinTaskbarClick()
{
    if (isVisible()) {
        hide();
        return;
    }
    show();
    raise();
    activateWindow();
}

void TMainForm::ShowMainFormActionExecute()
{
    if (!isVisible())
        show();
    else if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TMainForm::ShowWaitMessage(const QString &text)
{
    if (WaitForm)
        WaitForm->ShowMessage(text);
}

void TMainForm::HideWaitMessage()
{
    if (WaitForm)
        WaitForm->hide();
}
