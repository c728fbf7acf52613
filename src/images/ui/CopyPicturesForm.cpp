#include "images/ui/CopyPicturesForm.h"

#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "engine/ProgramHome.h"
#include "engine/Task.h"
#include "images/ui/CollectThreads.h"
#include "images/ui/ConfirmOverwriteForm.h"
#include "widgets/Messages.h"
#include "widgets/ErrorReport.h"
#include "widgets/FolderPicker.h"
#include "widgets/HtmlHelp.h"
#include "widgets/ReportView.h"
#include "widgets/SideButton.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kShortFolder = 30;

const QString kSaved = QStringLiteral("Saved");

QSpinBox *MakeUpDown(const QString &name, int value, QWidget *parent)
{
    auto *upDown = new QSpinBox(parent);
    upDown->setObjectName(name);
    upDown->setRange(0, 3000);
    upDown->setValue(value);
    return upDown;
}

} // namespace

QString ShortFolderText(const QString &folder)
{
    if (folder.size() <= kShortFolder)
        return folder;
    return folder.left(kShortFolder) + QStringLiteral("...");
}

QString SourceFolderText(const QString &taskFolder)
{
    if (taskFolder.size() <= kShortFolder)
        return taskFolder + kSaved + QLatin1Char('/');
    return taskFolder.left(kShortFolder) + QStringLiteral(".../") + kSaved + QLatin1Char('/');
}

TCopyPicturesForm::TCopyPicturesForm(TImageLibrary *library, QWidget *parent)
    : QDialog(parent)
    , m_library(library)
    , m_model(new TCollectModel(this))
{
    setObjectName(QStringLiteral("CopyPicturesForm"));
    setWindowTitle(QStringLiteral("Collect images"));

    m_imagesListView = MakeReportView(QStringLiteral("ImagesListView"), this);
    m_imagesListView->setModel(m_model);
    m_imagesListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    SetColumnWidths(m_imagesListView, {200, 60, 70, 60, 60});

    m_stateLabel = new QLabel(this);
    m_stateLabel->setObjectName(QStringLiteral("StateLabel"));
    m_stateLabel->setMinimumWidth(100);
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    auto *progress = new QHBoxLayout;
    progress->addWidget(m_stateLabel);
    progress->addWidget(m_progressBar, 1);

    auto *top = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(MakeFolderGroup());
    left->addWidget(MakeFormatGroup());
    top->addLayout(left, 1);
    top->addWidget(MakeLimitGroup(), 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_imagesListView, 1);
    layout->addLayout(progress);
    layout->addLayout(MakeButtons());
    resize(640, 560);

    SetDestFolder(ProgramHome());
}

TCopyPicturesForm::~TCopyPicturesForm()
{
    StopThreads();
}

QWidget *TCopyPicturesForm::MakeFolderGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Folder :"), this);
    m_sourceFolderLabel = new QLabel(group);
    m_sourceFolderLabel->setObjectName(QStringLiteral("SourceFolderLabel"));
    m_sourceFolderLabel->setTextFormat(Qt::PlainText);
    m_destFolderLabel = new QLabel(group);
    m_destFolderLabel->setObjectName(QStringLiteral("DestFolderLabel"));
    m_destFolderLabel->setTextFormat(Qt::PlainText);
    auto *change = SideButton(QStringLiteral("&Change"), QStringLiteral("ChangeDestButton"), group);
    connect(change, &QPushButton::clicked, this, &TCopyPicturesForm::ChangeDestButtonClick);

    auto *grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Source :"), group), 0, 0);
    grid->addWidget(m_sourceFolderLabel, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Dest :"), group), 1, 0);
    grid->addWidget(m_destFolderLabel, 1, 1);
    grid->addWidget(change, 1, 2);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget *TCopyPicturesForm::MakeLimitGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Limit :"), this);
    m_limitImageSizeCheck = new QCheckBox(QStringLiteral("Limited by images size"), group);
    m_limitImageSizeCheck->setObjectName(QStringLiteral("LimitImageSizeCheck"));
    m_limitFileSizeCheck = new QCheckBox(QStringLiteral("Limited by files size"), group);
    m_limitFileSizeCheck->setObjectName(QStringLiteral("LimitFileSizeCheck"));
    m_widthUpDown = MakeUpDown(QStringLiteral("WidthUpDown"), 300, group);
    m_heightUpDown = MakeUpDown(QStringLiteral("HeightUpDown"), 300, group);
    m_fileSizeUpDown = MakeUpDown(QStringLiteral("FileSizeUpDown"), 100, group);
    connect(m_limitImageSizeCheck, &QCheckBox::toggled, this, &TCopyPicturesForm::LimitImageSizeCheckClick);
    connect(m_limitFileSizeCheck, &QCheckBox::toggled, this, &TCopyPicturesForm::LimitFileSizeCheckClick);

    auto *grid = new QGridLayout(group);
    int line = 0;
    // One line: caption (the buddy of its field), field, unit.
    const auto addLine = [&](const QString &caption, QSpinBox *field, const QString &unit, QList<QWidget *> &inputs) {
        auto *label = new QLabel(caption, group);
        label->setBuddy(field);
        auto *unitLabel = new QLabel(unit, group);
        grid->addWidget(label, line, 0);
        grid->addWidget(field, line, 1);
        grid->addWidget(unitLabel, line, 2);
        ++line;
        inputs << label << field << unitLabel;
    };
    grid->addWidget(m_limitImageSizeCheck, line++, 0, 1, 3);
    addLine(QStringLiteral("Images width must be max than"), m_widthUpDown, QStringLiteral("pixels."), m_imageSizeInputs);
    addLine(QStringLiteral("Images height must be max than"), m_heightUpDown, QStringLiteral("pixels."), m_imageSizeInputs);
    grid->addWidget(m_limitFileSizeCheck, line++, 0, 1, 3);
    addLine(QStringLiteral("Images size must be max than"), m_fileSizeUpDown, QStringLiteral("KB"), m_fileSizeInputs);
    grid->setRowStretch(line, 1);
    LimitImageSizeCheckClick();
    LimitFileSizeCheckClick();
    return group;
}

QWidget *TCopyPicturesForm::MakeFormatGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Only these formats of images will be copied :"), this);
    auto *grid = new QGridLayout(group);
    int at = 0;
    for (const QString &format : TCollectFilter::AllFormats()) {
        auto *check = new QCheckBox(format, group);
        check->setObjectName(format.mid(1).toUpper() + QStringLiteral("Check"));
        check->setChecked(true);
        m_formatChecks.insert(format, check);
        grid->addWidget(check, at / 5, at % 5);
        ++at;
    }
    return group;
}

QLayout *TCopyPicturesForm::MakeButtons()
{
    m_selectButton = SideButton(QStringLiteral("&Select"), QStringLiteral("SelectButton"), this);
    m_unselectButton = SideButton(QStringLiteral("&Unselect"), QStringLiteral("UnselectButton"), this);
    m_copyButton = SideButton(QStringLiteral("&Copy"), QStringLiteral("CopyButton"), this);
    m_copyButton->setDefault(true);
    m_closeButton = SideButton(QStringLiteral("&Close"), QStringLiteral("CloseButton"), this);
    auto *help = SideButton(QStringLiteral("&Help"), QStringLiteral("HelpButton"), this);
    connect(m_selectButton, &QPushButton::clicked, this, &TCopyPicturesForm::SelectButtonClick);
    connect(m_unselectButton, &QPushButton::clicked, this, &TCopyPicturesForm::UnselectButtonClick);
    connect(m_copyButton, &QPushButton::clicked, this, &TCopyPicturesForm::CopyButtonClick);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &TCopyPicturesForm::HelpButtonClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_selectButton);
    buttons->addWidget(m_unselectButton);
    buttons->addStretch();
    buttons->addWidget(m_copyButton);
    buttons->addWidget(m_closeButton);
    buttons->addWidget(help);
    return buttons;
}

void TCopyPicturesForm::SetTask(const TTask &task)
{
    SetTaskFolder(task.Options().DefaultFolder);
}

void TCopyPicturesForm::SetTaskFolder(const QString &folder)
{
    m_taskFolder = AddBackslash(folder);
}

void TCopyPicturesForm::SetDestFolder(const QString &folder)
{
    m_destFolder = folder;
    m_destFolderLabel->setText(ShortFolderText(folder));
    m_destFolderLabel->setToolTip(folder);
}

void TCopyPicturesForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TCopyPicturesForm::FormShow()
{
    m_sourceFolderLabel->setText(SourceFolderText(m_taskFolder));
    m_sourceFolderLabel->setToolTip(m_taskFolder + kSaved + QLatin1Char('/'));
    m_model->ListFolder(m_taskFolder + kSaved + QLatin1Char('/'));
    SetCommandsEnabled(false);
    StartLoader();
}

void TCopyPicturesForm::StartLoader()
{
    QStringList paths;
    paths.reserve(m_model->Count());
    for (const TCollectModel::TRow &row : m_model->Rows())
        paths.append(row.Path);
    TProgressSink sink;
    sink.Progress = [this](int index) { ProgressStep(index, m_loadThread->Maximum()); };
    sink.Finished = [this](const QString &) { LoaderFinished(); };
    m_loadThread = std::make_unique<TLoadThread>(m_library, paths, std::move(sink),
                                                 [this](const std::vector<TLoadThread::TPixelSize> &sizes) {
                                                     for (const TLoadThread::TPixelSize &size : sizes)
                                                         m_model->SetPixelSize(size.Row, size.Width, size.Height);
                                                 });
    m_progressBar->setRange(0, m_loadThread->Maximum());
    m_progressBar->setValue(0);
    m_loadThread->Start();
}

void TCopyPicturesForm::LoaderFinished()
{
    m_ready = true;
    SetCommandsEnabled(true);
}

void TCopyPicturesForm::ProgressStep(int index, int maximum)
{
    m_progressBar->setValue(index);
    m_stateLabel->setText(index == 0 ? QString() : QStringLiteral("%1 of %2").arg(index).arg(maximum));
}

void TCopyPicturesForm::SetCommandsEnabled(bool enabled)
{
    m_copyButton->setEnabled(enabled);
    m_selectButton->setEnabled(enabled);
    m_unselectButton->setEnabled(enabled);
}

void TCopyPicturesForm::ChangeDestButtonClick()
{
    QString folder = m_destFolder;
    if (BrowseForFolder(QStringLiteral("Select the destination directory"), QString(), folder))
        SetDestFolder(folder);
}

void TCopyPicturesForm::LimitImageSizeCheckClick()
{
    for (QWidget *input : std::as_const(m_imageSizeInputs))
        input->setEnabled(m_limitImageSizeCheck->isChecked());
}

void TCopyPicturesForm::LimitFileSizeCheckClick()
{
    for (QWidget *input : std::as_const(m_fileSizeInputs))
        input->setEnabled(m_limitFileSizeCheck->isChecked());
}

TCollectFilter TCopyPicturesForm::Filter() const
{
    TCollectFilter filter;
    for (auto check = m_formatChecks.cbegin(); check != m_formatChecks.cend(); ++check) {
        if (check.value()->isChecked())
            filter.Formats.insert(check.key());
    }
    filter.LimitImageSize = m_limitImageSizeCheck->isChecked();
    filter.MinWidth = m_widthUpDown->value();
    filter.MinHeight = m_heightUpDown->value();
    filter.LimitFileSize = m_limitFileSizeCheck->isChecked();
    filter.MinKiloBytes = m_fileSizeUpDown->value();
    return filter;
}

bool TCopyPicturesForm::RefuseUntilReady()
{
    if (m_ready)
        return false;
    ShowMessageBox(this, QMessageBox::Information, QStringLiteral("Wait"), QStringLiteral("Please waiting for the update !"));
    return true;
}

void TCopyPicturesForm::SelectButtonClick()
{
    if (RefuseUntilReady())
        return;
    m_model->Select(Filter());
}

void TCopyPicturesForm::UnselectButtonClick()
{
    m_model->Unselect();
}

void TCopyPicturesForm::CopyButtonClick()
{
    if (RefuseUntilReady())
        return;
    std::vector<TCopyThread::TItem> items;
    for (int row : m_model->CheckedRows())
        items.push_back({row, m_model->Rows()[size_t(row)].Path});
    if (items.empty()) {
        ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("Error"),
                       QStringLiteral("Please choose images by click \"select\" button first !"));
        return;
    }
    SetCommandsEnabled(false);
    m_closeButton->setText(QStringLiteral("&Cancel"));
    TProgressSink sink;
    sink.Progress = [this](int index) { ProgressStep(index, m_copyThread->Maximum()); };
    sink.Finished = [this](const QString &problem) { CopyFinished(problem); };
    // The thread of an earlier copy has finished; joining it is immediate.
    m_copyThread.reset();
    m_copyThread = std::make_unique<TCopyThread>(
        AddBackslash(m_destFolder), std::move(items), m_model->Count(), std::move(sink),
        [this](const QString &source, const QString &target) { return AskOverwrite(this, source, target, false); });
    m_progressBar->setRange(0, m_copyThread->Maximum());
    m_progressBar->setValue(0);
    m_copying = true;
    m_copyThread->Start();
}

void TCopyPicturesForm::CopyFinished(const QString &problem)
{
    m_copying = false;
    SetCommandsEnabled(true);
    m_closeButton->setText(QStringLiteral("&Close"));
    if (problem.isEmpty())
        ShowMessageBox(this, QMessageBox::Information, QStringLiteral("Information"),
                       QStringLiteral("Selected images copied !"));
    else
        ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("Error"), problem);
}

void TCopyPicturesForm::HelpButtonClick()
{
    try {
        CallHtmlHelp(this, HelpTopicAddress(kHelpTopicCollect), kHelpDisplayTopic, 0);
    } catch (const EZavelonError &error) {
        ShowErrorMessage(this, error.message());
    }
}

void TCopyPicturesForm::done(int result)
{
    StopThreads();
    QDialog::done(result);
}

void TCopyPicturesForm::StopThreads()
{
    // Both are asked first, then waited for: each notices within a step.
    if (m_loadThread)
        m_loadThread->Stop();
    if (m_copyThread)
        m_copyThread->Stop();
    if (m_loadThread)
        m_loadThread->Wait();
    if (m_copyThread)
        m_copyThread->Wait();
    m_copying = false;
}
