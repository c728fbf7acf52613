// The main window's task tree as far as the start needs it: the root over the
// project folder, the read-back of that folder, and the sample tasks of the
// first start.
#include "app/MainForm.h"

#include "app/SampleTasks.h"
#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "engine/Task.h"
#include "engine/TextSlot.h"
#include "settings/RegSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QTreeWidget>

#include <array>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIconRole = Qt::UserRole + 1;
constexpr int kSelectedIconRole = Qt::UserRole + 2;

// The name slot of a project file's header.
constexpr qsizetype kNameOffset = 11;
constexpr qsizetype kNameSize = 1024;

QString IconFile(int icon)
{
    static const std::array<const char *, 6> files = {
        "node-root", "node-folder-open", "node-file", "node-task-running", "node-task", "node-folder"};
    if (icon < 0 || icon >= int(files.size()))
        return {};
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(files[size_t(icon)]));
}

// One icon per node: the kind's glyph, and the selected glyph where it differs.
QIcon NodeIconSet(int icon, int selectedIcon)
{
    QIcon set(IconFile(icon));
    if (selectedIcon != icon) {
        const QIcon selected(IconFile(selectedIcon));
        for (const QSize &size : {QSize(16, 16), QSize(24, 24)})
            set.addPixmap(selected.pixmap(size), QIcon::Selected);
    }
    return set;
}

QByteArray ReadProjectHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    QByteArray header = file.read(TTask::kHeaderSize);
    header.append(TTask::kHeaderSize - header.size(), '\0');
    return header;
}

} // namespace

QString TMainForm::NodePath(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kPathRole).toString() : QString();
}

int TMainForm::NodeIcon(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kIconRole).toInt() : -1;
}

bool TMainForm::IsFolderNode(const QTreeWidgetItem *node)
{
    const int icon = NodeIcon(node);
    return node && (icon == niRoot || icon == niOpenFolder || icon == niFolder);
}

bool TMainForm::IsTaskNode(const QTreeWidgetItem *node)
{
    const int icon = NodeIcon(node);
    return node && (icon == niRunningTask || icon == niStoppedTask);
}

QTreeWidgetItem *TMainForm::AddNode(QTreeWidgetItem *parent, const QString &caption, int icon, int selectedIcon,
                                    const QString &path)
{
    auto *node = new QTreeWidgetItem(parent, {caption});
    node->setData(0, kPathRole, path);
    SetNodeIcon(node, icon, selectedIcon);
    return node;
}

void TMainForm::SetNodeIcon(QTreeWidgetItem *node, int icon, int selectedIcon)
{
    if (node->data(0, kIconRole) == icon && node->data(0, kSelectedIconRole) == selectedIcon)
        return;
    node->setData(0, kIconRole, icon);
    node->setData(0, kSelectedIconRole, selectedIcon);
    node->setIcon(0, NodeIconSet(icon, selectedIcon));
}

QTreeWidgetItem *TMainForm::TreeRoot() const
{
    return TasksTreeView->topLevelItem(0);
}

void TMainForm::ResetTreeRoot()
{
    QTreeWidgetItem *root = TreeRoot();
    if (!root) {
        root = new QTreeWidgetItem(TasksTreeView, {QStringLiteral("All Tasks")});
        SetNodeIcon(root, niRoot, niRoot);
    }
    root->setData(0, kPathRole, Settings->Options.ProjectPath);
    qDeleteAll(root->takeChildren());
}

void TMainForm::BuildTaskTree()
{
    QTreeWidgetItem *root = TreeRoot();
    ScanFolder(NodePath(root), root);
    root->setExpanded(true);
}

void TMainForm::ScanFolder(const QString &path, QTreeWidgetItem *node)
{
    // Every entry, hidden ones included, in the order the file system gives.
    const QFileInfoList entries = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        int kind = niFile;
        if (entry.isDir())
            kind = niFolder;
        else if (name.contains(QLatin1Char('.')) && name.mid(name.lastIndexOf(QLatin1Char('.'))).toLower() == QLatin1String(".wrp"))
            kind = niStoppedTask;
        if (kind == niFile && !Settings->Menu.ShowAllFiles)
            continue;
        const QString fullPath = AddBackslash(path) + name;
        const QString caption = kind == niStoppedTask
                                    ? ReadTextSlot(ReadProjectHeader(fullPath).constData() + kNameOffset, kNameSize)
                                    : name;
        QTreeWidgetItem *child = AddNode(node, caption, kind, kind == niFolder ? niOpenFolder : kind, fullPath);
        if (kind == niFolder)
            ScanFolder(AddBackslash(fullPath), child);
    }
}

QTreeWidgetItem *TMainForm::AddSampleFolder(QTreeWidgetItem *parent, const QString &name)
{
    const QString path = AddBackslash(NodePath(parent)) + name;
    QTreeWidgetItem *node = AddNode(parent, name, niFolder, niOpenFolder, path);
    QDir().mkdir(path); // an existing folder is fine
    return node;
}

void TMainForm::AddSampleTask(const QString &name, const QString &url, QTreeWidgetItem *node)
{
    std::unique_ptr<TTask> task = MakeSampleTask(name, url, Settings->Options);
    QTreeWidgetItem *folder = QFileInfo(NodePath(node)).isDir() ? node : node->parent();
    const QString path = AddBackslash(NodePath(folder)) + name + QStringLiteral(".wrp");
    AddNode(folder, name, niStoppedTask, niStoppedTask, path);
    QDir().mkpath(task->Options().DefaultFolder + QStringLiteral("Saved"));
    task->SetFileName(path);
    task->SaveToFile(path);
}

void TMainForm::CreateSampleTasks()
{
    for (const char *folderName : SampleFolders()) {
        QTreeWidgetItem *folder = AddSampleFolder(TreeRoot(), QString::fromUtf8(folderName));
        for (const TSampleTask &sample : SampleTasks()) {
            if (qstrcmp(sample.Folder, folderName) == 0)
                AddSampleTask(QString::fromUtf8(sample.Name), QString::fromUtf8(sample.Url), folder);
        }
    }
}
