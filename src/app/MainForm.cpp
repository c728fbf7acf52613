#include "app/MainForm.h"

#include "app/AboutForm.h"
#include "app/BrowserHandOver.h"
#include "app/FilesPanel.h"
#include "app/PictureWindows.h"
#include "app/PowerOff.h"
#include "app/RunControl.h"
#include "app/RtfWriter.h"
#include "app/SampleTasks.h"
#include "app/ShowMinPromptForm.h"
#include "app/ShutdownForm.h"
#include "app/StatePanel.h"
#include "app/Startup.h"
#include "app/TaskTreeCommands.h"
#include "app/TaskTreeModel.h"
#include "app/TaskTreePanel.h"
#include "app/TipForm.h"
#include "app/WaitForm.h"
#include "engine/AppInfo.h"
#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "engine/TaskList.h"
#include "images/ImageLibrary.h"
#include "images/ImageLibrarySession.h"
#include "images/ui/PicturesPanel.h"
#include "session/DownloadSession.h"
#include "session/DueRuns.h"
#include "settings/RegSettings.h"
#include "settings/ui/OptionForm.h"
#include "widgets/AppResources.h"
#include "widgets/ErrorReport.h"
#include "widgets/HtmlHelp.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    InitAppResources();
    setObjectName(QStringLiteral("MainForm"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/zavelon.svg")));
    TrayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    CreateComponents();
    FormCreate();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

// ---------------------------------------------------------------------------
// Components

void TMainForm::CreateComponents()
{
    Commands = new TCommandSet(this);
    CreateMenus();

    m_mainSplitter = new QSplitter(Qt::Horizontal, this);
    m_mainSplitter->setObjectName(QStringLiteral("MainSplitter"));
    m_mainSplitter->setChildrenCollapsible(false);

    m_leftSplitter = new QSplitter(Qt::Vertical, m_mainSplitter);
    m_leftSplitter->setObjectName(QStringLiteral("LeftSplitter"));
    m_leftSplitter->setChildrenCollapsible(false);
    m_treePanel = new TTaskTreePanel(m_leftSplitter);
    m_statePanel = new TStatePanel(m_leftSplitter);

    m_rightSplitter = new QSplitter(Qt::Vertical, m_mainSplitter);
    m_rightSplitter->setObjectName(QStringLiteral("RightSplitter"));
    m_rightSplitter->setChildrenCollapsible(false);
    m_filesPanel = new TFilesPanel(m_rightSplitter);
    m_picturesPanel = new TPicturesPanel(m_rightSplitter);
    m_picturesPanel->FillToolBar([this](QToolBar *bar) { Commands->Populate(bar, QStringLiteral("ImageToolBar")); });
    m_picturesPanel->BindActions({Action(TCommandId::ImagesCopyTo), Action(TCommandId::ImagesMoveTo),
                                  Action(TCommandId::ImagesDelete), Action(TCommandId::ImagesDeleteAll),
                                  Action(TCommandId::ImagesDeleteBy), Action(TCommandId::ImagesSetWallpaper),
                                  Action(TCommandId::ImagesOpenFolder), Action(TCommandId::ImagesFit),
                                  Action(TCommandId::ImagesUnsort), Action(TCommandId::ImagesSortByName),
                                  Action(TCommandId::ImagesSortByType), Action(TCommandId::ImagesSortBySize),
                                  Action(TCommandId::ImagesBuildIn)});

    m_mainSplitter->setStretchFactor(0, 2);
    m_mainSplitter->setStretchFactor(1, 3);
    m_leftSplitter->setStretchFactor(0, 3);
    m_leftSplitter->setStretchFactor(1, 2);
    m_rightSplitter->setStretchFactor(0, 1);
    m_rightSplitter->setStretchFactor(1, 1);
    setCentralWidget(m_mainSplitter);

    CreateStatusBar();
    CreateTray();

    // The tip of the day is offered 2000 ms after creation (and rechecked
    // every 2000 ms while tips are off, so turning them on takes effect).
    LoadTipTimer = new QTimer(this);
    LoadTipTimer->setObjectName(QStringLiteral("LoadTipTimer"));
    LoadTipTimer->setInterval(2000);
    connect(LoadTipTimer, &QTimer::timeout, this, &TMainForm::LoadTipTimerTimer);
    LoadTipTimer->start();

    m_treeCommands = new TTaskTreeCommands(*this);
    m_runControl = new TRunControl(*this, *m_treeCommands);
    m_pictureWindows = new TPictureWindows(*this, *m_treeCommands);
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

    m_standardToolBar = addToolBar(QStringLiteral("Standard tool bar"));
    m_standardToolBar->setObjectName(QStringLiteral("StandardToolBar"));
    m_standardToolBar->setIconSize(QSize(22, 22));
    Commands->Populate(m_standardToolBar, QStringLiteral("StandardToolBar"));

    m_tasksPopupMenu = new QMenu(this);
    m_tasksPopupMenu->setObjectName(QStringLiteral("TasksPopupMenu"));
    Commands->Populate(m_tasksPopupMenu, QStringLiteral("TasksPopupMenu"));
    m_imagesPopupMenu = new QMenu(this);
    m_imagesPopupMenu->setObjectName(QStringLiteral("ImagesPopupMenu"));
    Commands->Populate(m_imagesPopupMenu, QStringLiteral("ImagesPopupMenu"));
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("TrayMenu"));
    Commands->Populate(m_trayMenu, QStringLiteral("TrayMenu"));
    // "Main Window" is the tray menu's default entry, shown bold.
    m_trayMenu->setDefaultAction(Action(TCommandId::ShowMainForm));
}

void TMainForm::CreateStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(true);
    auto *panel0 = new QWidget(bar);
    panel0->setObjectName(QStringLiteral("StatusPanel0"));
    panel0->setFixedWidth(5);
    // The progress of a long job (building pictures into the library), shown
    // beside panel 0 while the job lasts.
    auto *progress = new QProgressBar(bar);
    progress->setObjectName(QStringLiteral("StatusProgress"));
    progress->setFixedWidth(160);
    progress->hide();
    connect(m_picturesPanel, &TPicturesPanel::Progress, progress, [progress](int done, int total) {
        progress->setVisible(total > 0);
        progress->setMaximum(qMax(total, 1));
        progress->setValue(done);
    });
    m_hintPanel = new QLabel(bar);
    m_hintPanel->setObjectName(QStringLiteral("HintPanel"));
    bar->addWidget(panel0);
    bar->addWidget(progress);
    bar->addWidget(m_hintPanel, 1);
}

void TMainForm::CreateTray()
{
    m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
    m_trayIcon->setObjectName(QStringLiteral("TrayIcon"));
    m_trayIcon->setToolTip(QStringLiteral("Zavelon"));
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            WinTaskbarClick();
    });
    if (TrayAvailable)
        m_trayIcon->show();
}

void TMainForm::ConnectActions()
{
    const auto on = [this](TCommandId id, void (TMainForm::*handler)()) {
        connect(Action(id), &QAction::triggered, this, handler);
    };
    on(TCommandId::TasksExit, &TMainForm::TasksExitActionExecute);
    on(TCommandId::ShowMainForm, &TMainForm::ShowMainFormActionExecute);
    on(TCommandId::ViewShowHideStdBar, &TMainForm::ViewShowHideStdBarActionExecute);
    on(TCommandId::ViewShowHideState, &TMainForm::ViewShowHideStateActionExecute);
    on(TCommandId::HelpTopic, &TMainForm::HelpTopicActionExecute);
    on(TCommandId::HelpTip, &TMainForm::HelpTipActionExecute);
    on(TCommandId::HelpAbout, &TMainForm::HelpAboutActionExecute);
    on(TCommandId::HelpVisit, &TMainForm::HelpVisitActionExecute);
    // The default options change in memory; the store gets them at exit.
    connect(Action(TCommandId::ViewOption), &QAction::triggered, this,
            [this] { OpenOptionForm(this, Settings->Options); });

    connect(m_treePanel, &TTaskTreePanel::ContextMenuRequested, this,
            [this](const QPoint &at) { m_tasksPopupMenu->popup(at); });
    connect(m_picturesPanel, &TPicturesPanel::ContextMenuRequested, this,
            [this](const QPoint &at) { m_imagesPopupMenu->popup(at); });
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
    StartSession();
    ReportStartupStep(QStringLiteral("Library"));

    ShowMinPrompt = true;
    ExitRequested = false;
    setWindowTitle(ApplicationTitle());
    Action(TCommandId::TasksRun)->setEnabled(false);
    Action(TCommandId::TasksStop)->setEnabled(false);

    Settings = std::make_unique<TRegSettings>();
    try {
        ApplySettings();
    } catch (const std::exception &) {
        PlaceOnWholeScreen();
    }
    ReportStartupStep(QStringLiteral("Settings"));

    try {
        if (!Settings->Options.DefaultTaskAdded) {
            CreateSampleTasks();
            Settings->Options.DefaultTaskAdded = true;
            ReportStartupStep(QStringLiteral("Sample tasks"));
        }
        BuildTaskTree();
        ReportStartupStep(QStringLiteral("Task tree"));
        m_treeCommands->UpdateCommandStates();
    } catch (const EZavelonError &error) {
        ShowErrorMessage(this, error.message());
    }
}

void TMainForm::StartSession()
{
    // A library file that cannot be read is reported; it is then left as it
    // is at the end instead of being replaced by this run's records.
    Session = std::make_unique<TDownloadSession>(ImageLibraryFileName(ProgramHome()));
    Session->SetViews(m_filesPanel->View(), m_statePanel->LogView(), m_picturesPanel->View());
    m_picturesPanel->SetLibrary(&Session->ImageLibrary());
    if (!Session->LibraryStartupError().isEmpty())
        ShowErrorMessage(this, Session->LibraryStartupError());
    ConnectSession();
}

void TMainForm::ConnectSession()
{
    TDownloadSession *session = Session.get();
    connect(session, &TDownloadSession::Ticked, m_runControl, &TRunControl::RefreshReport);
    connect(session, &TDownloadSession::TaskFinished, m_runControl, &TRunControl::TaskFinished);
    connect(session, &TDownloadSession::TaskStateChanged, m_runControl, &TRunControl::TaskStateChanged);
    connect(session, &TDownloadSession::RunRefused, m_runControl, &TRunControl::RunRefused);
    connect(session, &TDownloadSession::ShutDownOffered, this, &TMainForm::OfferShutdown);
    connect(session, &TDownloadSession::Error, this, [this](const QString &text) { ShowErrorMessage(this, text); });
    // The default options' choice, read when the last task ends.
    session->SetShutDownWanted([this] { return Settings && Settings->Options.AutoShutDown; });
    session->SetDueRunsFile(DueRunsFileName(ProgramHome()));
    session->StartMainTimer();
}

void TMainForm::ApplySettings()
{
    Settings->Load();
    ApplyMenuSettings();
    RestoreWindowPlacement();
    ShowMinPrompt = Settings->Window.ShowMinPrompt;
}

void TMainForm::ApplyMenuSettings()
{
    const TRegMenu &menu = Settings->Menu;
    Action(TCommandId::ViewShowHideStdBar)->setChecked(menu.ShowStandardToolBar);
    Action(TCommandId::ViewShowHideState)->setChecked(menu.ShowStatePanel);
    Action(TCommandId::ViewShowAllFiles)->setChecked(menu.ShowAllFiles);
    Action(TCommandId::ImagesFit)->setChecked(menu.FitImages);
    switch (menu.ImageSort) {
    case TRegMenu::isUnsorted:
        Action(TCommandId::ImagesUnsort)->setChecked(true);
        break;
    case TRegMenu::isByName:
        Action(TCommandId::ImagesSortByName)->setChecked(true);
        break;
    case TRegMenu::isBySize:
        Action(TCommandId::ImagesSortBySize)->setChecked(true);
        break;
    default:
        break;
    }
    m_standardToolBar->setVisible(menu.ShowStandardToolBar);
    m_statePanel->setVisible(menu.ShowStatePanel);
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
        m_hintPanel->setText(static_cast<QStatusTipEvent *>(event)->tip());
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
    // Every running task stops and is written, whatever the command's state
    // says: a task started behind the window's back must not be cut off.
    m_runControl->TasksStopAllActionExecute();
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
    menu.ShowStandardToolBar = Action(TCommandId::ViewShowHideStdBar)->isChecked();
    menu.ShowStatePanel = Action(TCommandId::ViewShowHideState)->isChecked();
    menu.ShowAllFiles = Action(TCommandId::ViewShowAllFiles)->isChecked();
    menu.FitImages = Action(TCommandId::ImagesFit)->isChecked();
    if (Action(TCommandId::ImagesUnsort)->isChecked())
        menu.ImageSort = TRegMenu::isUnsorted;
    else if (Action(TCommandId::ImagesSortByName)->isChecked())
        menu.ImageSort = TRegMenu::isByName;
    else if (Action(TCommandId::ImagesSortBySize)->isChecked())
        menu.ImageSort = TRegMenu::isBySize;
    // "Sort by type(&2)" keeps the stored order.
}

void TMainForm::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    // A window destroyed without Exit (the session's end, a failed start)
    // still must not leave tasks running: the session stops them first.
    EndSession();
    Settings.reset();
}

void TMainForm::EndSession()
{
    if (!Session)
        return;
    // A build-in still running lets go of the library before it is written.
    m_picturesPanel->SetLibrary(nullptr);
    try {
        Session->ShutDown(TDownloadSession::TPendingPictures::Drop);
        emit ShutdownStep(QStringLiteral("Add threads ended"));
        if (Session->Library().SavesOnShutDown())
            emit ShutdownStep(QStringLiteral("Library saved"));
    } catch (const std::exception &error) {
        emit ShutdownStep(QStringLiteral("Add threads ended"));
        const auto *own = dynamic_cast<const EZavelonError *>(&error);
        ShowErrorMessage(this, own ? own->message() : QString::fromLocal8Bit(error.what()));
    }
    Session.reset();
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

THandOverReply TMainForm::CreateUrl(const QString &url)
{
    return TBrowserHandOver::CreateUrl(*this, url);
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

// ---------------------------------------------------------------------------
// The task tree at start

void TMainForm::BuildTaskTree()
{
    m_treePanel->Rebuild(Settings->Options.ProjectPath, Settings->Menu.ShowAllFiles);
}

void TMainForm::CreateSampleTasks()
{
    const QString root = AddBackslash(Settings->Options.ProjectPath);
    for (const char *folderName : SampleFolders()) {
        const QString folder = root + QString::fromUtf8(folderName);
        QDir().mkdir(folder); // an existing folder is fine
        for (const TSampleTask &sample : SampleTasks()) {
            if (qstrcmp(sample.Folder, folderName) != 0)
                continue;
            const QString name = QString::fromUtf8(sample.Name);
            std::unique_ptr<TTask> task = MakeSampleTask(name, QString::fromUtf8(sample.Url), Settings->Options);
            QDir().mkpath(task->Options().DefaultFolder + QStringLiteral("Saved"));
            const QString path = AddBackslash(folder) + name + QStringLiteral(".wrp");
            task->SetFileName(path);
            task->SaveToFile(path);
        }
    }
}

// ---------------------------------------------------------------------------
// View and Help commands, the tip of the day, the log file, the shut-down

void TMainForm::ViewShowHideStdBarActionExecute()
{
    // The action has toggled its own check already; the bar follows it.
    m_standardToolBar->setVisible(Action(TCommandId::ViewShowHideStdBar)->isChecked());
}

void TMainForm::ViewShowHideStateActionExecute()
{
    // Hiding a splitter's pane hides the handle above it as well.
    m_statePanel->setVisible(Action(TCommandId::ViewShowHideState)->isChecked());
}

void TMainForm::HelpTopicActionExecute()
{
    try {
        CallHtmlHelp(this, HelpFileName(), kHelpDisplayTopic, 0);
    } catch (const EZavelonError &error) {
        ShowErrorMessage(this, error.message());
    }
}

void TMainForm::HelpAboutActionExecute()
{
    TAboutForm about(this);
    about.exec();
}

void TMainForm::HelpVisitActionExecute()
{
    OpenExternalAddress(AppInfo::kWebAddress);
}

void TMainForm::LoadTipTimerTimer()
{
    if (!Settings || !Settings->Window.ShowTip)
        return;
    LoadTipTimer->stop();
    ShowTipDialog(false);
}

void TMainForm::HelpTipActionExecute()
{
    ShowTipDialog(true);
}

void TMainForm::ShowTipDialog(bool fromMenu)
{
    TRegWindow &window = Settings->Window;
    TTipForm tips(this);
    tips.ShowTipAt(window.TipIndex + 1);
    if (fromMenu)
        tips.ShowTipCheckBox()->setChecked(!window.ShowTip);
    tips.exec();
    window.TipIndex = tips.CurrentTip;
    window.ShowTip = !tips.ShowTipCheckBox()->isChecked();
}

void TMainForm::OfferShutdown()
{
    TShutdownForm countdown(this);
    if (countdown.exec() == QDialog::Accepted)
        ShutdownComputer();
}

QString TMainForm::SaveLogFile()
{
    const QString fileName = AddBackslash(Settings->Options.DefaultLogFolder) + LogFileNameFor(NowDays());
    SaveTextAsRtf(m_statePanel->LogLines().join(QLatin1Char('\n')), fileName);
    return fileName;
}
