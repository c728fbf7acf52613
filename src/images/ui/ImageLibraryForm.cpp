#include "images/ui/ImageLibraryForm.h"

#include "engine/Errors.h"
#include "images/ImageLibrary.h"
#include "images/ui/ImageLibraryModel.h"
#include "images/ui/ImageScrollBox.h"
#include "images/ui/LoadImageThread.h"
#include "widgets/Messages.h"
#include "images/ui/PicturePreview.h"
#include "imaging/ImageServices.h"
#include "widgets/AppResources.h"
#include "widgets/ErrorReport.h"
#include "widgets/HtmlHelp.h"
#include "widgets/ReportView.h"
#include "widgets/BusyCursor.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Repainting of a widget suspended for the span of a step.
class TUpdatesOff
{
public:
    explicit TUpdatesOff(QWidget *widget)
        : m_widget(widget)
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~TUpdatesOff() { m_widget->setUpdatesEnabled(true); }
    TUpdatesOff(const TUpdatesOff &) = delete;
    TUpdatesOff &operator=(const TUpdatesOff &) = delete;

private:
    QWidget *m_widget;
};

QAction *MakeAction(const QString &caption, const QString &name, QObject *parent)
{
    auto *action = new QAction(caption, parent);
    action->setObjectName(name);
    return action;
}

} // namespace

QString LoadAllImagesQuestion(int count)
{
    return QStringLiteral("The file contains ") + QString::number(count) +
           QStringLiteral(" images.\rNote that for animations, all images\rmust be loaded in memory.\r"
                          "Load all images in memory?\r");
}

TImageLibraryForm::TImageLibraryForm(TImageLibrary &library, QWidget *parent)
    : QDialog(parent)
    , m_library(library)
    , m_model(new TImageLibraryModel(this))
{
    InitAppResources();
    setObjectName(QStringLiteral("ImageLibraryForm"));
    setWindowTitle(QStringLiteral("Library"));
    setSizeGripEnabled(true);
    MakeActions();

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("LibrarySplitter"));
    splitter->setChildrenCollapsible(false);
    m_imageLibListView = MakeReportView(QStringLiteral("ImageLibListView"), splitter);
    m_imageLibListView->setModel(m_model);
    m_imageLibListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_imageLibListView->setIconSize(QSize(16, 16));
    SetColumnWidths(m_imageLibListView, {0, 120, 70, 70, 70});
    // "Filename(full)" takes whatever width the others leave.
    FitColumnToWidth(m_imageLibListView, TImageLibraryModel::ColFullName);
    connect(m_imageLibListView, &QAbstractItemView::doubleClicked, this, &TImageLibraryForm::ViewButtonClick);
    connect(m_imageLibListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TImageLibraryForm::ImageLibListViewChange);
    connect(m_imageLibListView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TImageLibraryForm::ImageLibListViewChange);

    m_preview = new TPicturePreview(splitter);
    m_preview->setObjectName(QStringLiteral("PreviewPane"));
    m_preview->setMinimumSize(160, 120);
    m_preview->SetAllImagesQuestion([this](int count) { return AskLoadAllImages(count); });
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(MakeToolBar());
    layout->addWidget(splitter, 1);
    layout->addWidget(MakeStatusBar());
    resize(860, 540);
}

TImageLibraryForm::~TImageLibraryForm()
{
    StopLoader();
}

void TImageLibraryForm::MakeActions()
{
    m_verifyAction = MakeAction(QStringLiteral("Verify"), QStringLiteral("VerifyAction"), this);
    m_verifyAction->setIcon(QIcon(QStringLiteral(":/icons/refresh.svg")));
    m_verifyAction->setStatusTip(QStringLiteral("Remove the records whose files are gone"));
    m_deleteAction = MakeAction(QStringLiteral("Delete"), QStringLiteral("DeleteAction"), this);
    m_deleteAction->setIcon(QIcon(QStringLiteral(":/icons/delete.svg")));
    m_deleteAction->setShortcut(QKeySequence::Delete);
    m_deleteAction->setStatusTip(QStringLiteral("Delete selected image(s)"));
    m_viewAction = MakeAction(QStringLiteral("View"), QStringLiteral("ViewAction"), this);
    m_viewAction->setIcon(QIcon(QStringLiteral(":/icons/zoom.svg")));
    m_viewAction->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    m_viewAction->setStatusTip(QStringLiteral("View image"));
    m_clearAction = MakeAction(QStringLiteral("Clear"), QStringLiteral("ClearAction"), this);
    m_clearAction->setIcon(QIcon(QStringLiteral(":/icons/deleteall.svg")));
    m_clearAction->setStatusTip(QStringLiteral("Empty the library"));
    // Tool buttons show no "&" letter; the turns keep theirs as shortcuts.
    m_turnLeftAction = MakeAction(QStringLiteral("Tn &left"), QStringLiteral("TurnLeftAction"), this);
    m_turnLeftAction->setIcon(QIcon(QStringLiteral(":/icons/turnleft.svg")));
    m_turnLeftAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_L));
    m_turnLeftAction->setStatusTip(QStringLiteral("Turn the preview a quarter left"));
    m_turnRightAction = MakeAction(QStringLiteral("Tn &right"), QStringLiteral("TurnRightAction"), this);
    m_turnRightAction->setIcon(QIcon(QStringLiteral(":/icons/turnright.svg")));
    m_turnRightAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_R));
    m_turnRightAction->setStatusTip(QStringLiteral("Turn the preview a quarter right"));
    m_helpAction = MakeAction(QStringLiteral("&Help"), QStringLiteral("HelpAction"), this);
    m_helpAction->setIcon(QIcon(QStringLiteral(":/icons/help.svg")));
    m_helpAction->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_H), QKeySequence::HelpContents});
    m_helpAction->setStatusTip(QStringLiteral("Help on the library window"));

    connect(m_verifyAction, &QAction::triggered, this, &TImageLibraryForm::VerifyButtonClick);
    connect(m_deleteAction, &QAction::triggered, this, &TImageLibraryForm::DeleteButtonClick);
    connect(m_viewAction, &QAction::triggered, this, &TImageLibraryForm::ViewButtonClick);
    connect(m_clearAction, &QAction::triggered, this, &TImageLibraryForm::ClearButtonClick);
    connect(m_turnLeftAction, &QAction::triggered, this, &TImageLibraryForm::TurnLeftActionExecute);
    connect(m_turnRightAction, &QAction::triggered, this, &TImageLibraryForm::TurnRightActionExecute);
    connect(m_helpAction, &QAction::triggered, this, &TImageLibraryForm::HelpButtonClick);
}

QWidget *TImageLibraryForm::MakeToolBar()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("LibraryToolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(18, 18));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto add = [bar](QAction *action, const QString &buttonName) {
        bar->addAction(action);
        QWidget *button = bar->widgetForAction(action);
        button->setObjectName(buttonName);
        // A tool bar's buttons take no focus by default; here Tab reaches them.
        button->setFocusPolicy(Qt::TabFocus);
    };
    add(m_verifyAction, QStringLiteral("VerifyButton"));
    bar->addSeparator();
    add(m_deleteAction, QStringLiteral("DeleteButton"));
    add(m_viewAction, QStringLiteral("ViewButton"));
    bar->addSeparator();
    add(m_clearAction, QStringLiteral("ClearButton"));
    bar->addSeparator();
    add(m_turnLeftAction, QStringLiteral("TurnLeftButton"));
    add(m_turnRightAction, QStringLiteral("TurnRightButton"));
    bar->addSeparator();
    add(m_helpAction, QStringLiteral("HelpButton"));
    return bar;
}

QStatusBar *TImageLibraryForm::MakeStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    m_totalPanel = new QLabel(bar);
    m_totalPanel->setObjectName(QStringLiteral("TotalPanel"));
    m_totalPanel->setFixedWidth(140);
    m_loadingPanel = new QLabel(bar);
    m_loadingPanel->setObjectName(QStringLiteral("LoadingPanel"));
    m_loadingPanel->setFixedWidth(5);
    m_loadingPanel->hide();
    m_hintPanel = new QLabel(bar);
    m_hintPanel->setObjectName(QStringLiteral("HintPanel"));
    m_hintPanel->setMinimumWidth(50);
    bar->addWidget(m_totalPanel);
    bar->addWidget(m_loadingPanel);
    bar->addWidget(m_hintPanel, 1);
    return bar;
}

bool TImageLibraryForm::event(QEvent *event)
{
    // The hint of whatever the pointer is over goes to the last panel.
    if (event->type() == QEvent::StatusTip) {
        m_hintPanel->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void TImageLibraryForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TImageLibraryForm::FormShow()
{
    m_loading = true;
    m_verifyAction->setEnabled(false);
    m_clearAction->setEnabled(false);
    TLoadImageThread::TSink sink;
    sink.Begin = [this](int count) { LoadingBegins(count); };
    sink.Records = [this](const std::vector<const TImageDetail *> &records, int lastIndex) {
        m_progressBar->setValue(lastIndex);
        m_model->Append(records);
    };
    sink.End = [this] { LoadingEnds(); };
    m_loader = std::make_unique<TLoadImageThread>(m_library, std::move(sink));
    m_loader->Start();
}

void TImageLibraryForm::LoadingBegins(int count)
{
    auto *bar = findChild<QStatusBar *>(QStringLiteral("StatusBar"));
    m_progressBar = new QProgressBar(bar);
    m_progressBar->setObjectName(QStringLiteral("LoadingProgressBar"));
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedWidth(50);
    m_progressBar->setRange(0, count);
    m_loadingPanel->setFixedWidth(116);
    m_loadingPanel->setText(QStringLiteral("Loading"));
    m_loadingPanel->show();
    bar->insertWidget(2, m_progressBar);
    m_model->Clear();
}

void TImageLibraryForm::LoadingEnds()
{
    // The panel keeps its text, out of sight (a narrow panel would still
    // show a sliver of it).
    m_loadingPanel->setFixedWidth(5);
    m_loadingPanel->hide();
    delete m_progressBar;
    m_progressBar = nullptr;
    m_loading = false;
    m_verifyAction->setEnabled(true);
    m_clearAction->setEnabled(true);
    ShowTotal();
}

void TImageLibraryForm::ShowTotal()
{
    m_totalPanel->setText(QStringLiteral("Total image(s): %1").arg(m_model->Count()));
}

void TImageLibraryForm::done(int result)
{
    StopLoader();
    QDialog::done(result);
}

void TImageLibraryForm::StopLoader()
{
    if (!m_loader)
        return;
    m_loader->Stop();
    m_loader->Wait();
}

int TImageLibraryForm::SelectedRow() const
{
    const QItemSelectionModel *selection = m_imageLibListView->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    if (rows.isEmpty())
        return -1;
    return std::min_element(rows.cbegin(), rows.cend(), [](const QModelIndex &a, const QModelIndex &b) {
               return a.row() < b.row();
           })->row();
}

std::vector<int> TImageLibraryForm::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : m_imageLibListView->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TImageLibraryForm::ImageLibListViewChange()
{
    const int row = SelectedRow();
    if (row < 0) {
        m_previewPath.clear();
        m_preview->Clear();
        return;
    }
    const QString path = m_model->FileName(row);
    // A file that has gone leaves the preview as it is.
    if (path == m_previewPath || !QFileInfo::exists(path))
        return;
    m_previewPath = path;
    m_preview->ShowFile(path);
}

bool TImageLibraryForm::AskLoadAllImages(int count)
{
    // The question's line breaks are carriage returns; this desktop breaks
    // lines at line feeds.
    const QString text = LoadAllImagesQuestion(count).replace(QLatin1Char('\r'), QLatin1Char('\n')).trimmed();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No, this);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TImageLibraryForm::DeleteButtonClick()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    if (AskQuestion(this, QStringLiteral("Do you want to delete selected image(s)?")) != QMessageBox::Yes)
        return;
    TUpdatesOff updatesOff(m_imageLibListView);
    // A file that cannot be deleted loses its row all the same; its record
    // stays for Verify.
    for (auto row = rows.crbegin(); row != rows.crend(); ++row)
        QFile::remove(m_model->FileName(*row));
    m_model->RemoveRows(rows);
    if (!m_loading)
        ShowTotal();
    // Removing rows changes the selection without saying so.
    ImageLibListViewChange();
}

void TImageLibraryForm::ViewButtonClick()
{
    const int row = SelectedRow();
    if (row < 0 || !m_viewer)
        return;
    m_viewer(this, m_model->FileNames(), row);
}

void TImageLibraryForm::TurnLeftActionExecute()
{
    Turn(-90);
}

void TImageLibraryForm::TurnRightActionExecute()
{
    Turn(90);
}

void TImageLibraryForm::Turn(int angle)
{
    TImageScrollBox &view = m_preview->View();
    if (SelectedRow() < 0 || view.Empty())
        return;
    // Only the preview turns; the file stays as it is.
    m_workingPicture = CopyPicture(view.Picture());
    RotatePicture(m_workingPicture, view.Picture(), angle);
    view.Redraw();
}

void TImageLibraryForm::VerifyButtonClick()
{
    if (m_loading)
        return;
    if (AskQuestion(this, QStringLiteral("Do you want to delete all invalid image records from library? It will "
                                         "take a few minutes.")) != QMessageBox::Yes)
        return;
    std::vector<int> gone;
    {
        TBusyCursor busy;
        TUpdatesOff updatesOff(m_imageLibListView);
        for (int row = m_model->Count() - 1; row >= 0; --row) {
            const TImageDetail *record = m_model->Record(row);
            if (QFileInfo::exists(record->FileName))
                continue;
            // The row's own record, or (should it have left the library by
            // another way) the first one of its path.
            if (!m_library.Remove(record)) {
                if (const TImageDetail *found = m_library.Find(record->FileName))
                    m_library.Remove(found);
            }
            gone.push_back(row);
        }
        m_model->RemoveRows(gone);
    }
    ShowTotal();
    ImageLibListViewChange();
    if (gone.empty())
        ShowMessageBox(this, QMessageBox::Information, QStringLiteral("Information"),
                       QStringLiteral("No valid record found !"));
    else
        ShowMessageBox(this, QMessageBox::Information, QStringLiteral("Information"),
                       QStringLiteral("%1 record(s) has been deleted !").arg(gone.size()));
}

void TImageLibraryForm::ClearButtonClick()
{
    if (m_loading)
        return;
    const QMessageBox::StandardButton answer = AskQuestion(
        this, QStringLiteral("Do you want to delete all files on disk?"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return;
    m_library.Clear();
    if (answer == QMessageBox::Yes) {
        TBusyCursor busy;
        for (int row = 0; row < m_model->Count(); ++row) {
            const QString path = m_model->FileName(row);
            if (QFileInfo::exists(path))
                QFile::remove(path);
        }
    }
    {
        TUpdatesOff updatesOff(m_imageLibListView);
        m_model->Clear();
    }
    m_totalPanel->setText(QStringLiteral("Total image(s): 0"));
    ImageLibListViewChange();
}

void TImageLibraryForm::HelpButtonClick()
{
    try {
        CallHtmlHelp(this, HelpTopicAddress(kHelpTopicLibrary), kHelpDisplayTopic, 0);
    } catch (const EZavelonError &error) {
        ShowErrorMessage(this, error.message());
    }
}
