#include "app/TaskTreeModel.h"

#include "engine/FileNames.h"
#include "engine/Task.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include <array>

struct TTaskTreeModel::TNode {
    QString Caption;
    QString Path;
    int Icon = niFile;
    int SelectedIcon = niFile;
    TNode *Parent = nullptr;
    std::vector<std::unique_ptr<TNode>> Children;

    int Row() const
    {
        if (!Parent)
            return 0;
        for (size_t i = 0; i < Parent->Children.size(); ++i) {
            if (Parent->Children[i].get() == this)
                return int(i);
        }
        return -1;
    }
};

namespace {

QString IconFile(int icon)
{
    static const std::array<const char *, 6> files = {
        "node-root", "node-folder-open", "node-file", "node-task-running", "node-task", "node-folder"};
    if (icon < 0 || icon >= int(files.size()))
        return {};
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(files[size_t(icon)]));
}

// One icon per node: the kind's glyph, and the selected glyph where it
// differs. Made once per pair; the tree asks for them at every paint.
QIcon NodeIconSet(int icon, int selectedIcon)
{
    static QHash<int, QIcon> cache;
    const int key = icon * 16 + selectedIcon;
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    QIcon set(IconFile(icon));
    if (selectedIcon != icon) {
        const QIcon selected(IconFile(selectedIcon));
        for (const QSize &size : {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48)})
            set.addPixmap(selected.pixmap(size), QIcon::Selected);
    }
    cache.insert(key, set);
    return set;
}

bool IsProjectFileName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot).toLower() == QLatin1String(".wrp");
}

} // namespace

TTaskTreeModel::TTaskTreeModel(QObject *parent)
    : QAbstractItemModel(parent)
{
}

TTaskTreeModel::~TTaskTreeModel() = default;

void TTaskTreeModel::ResetRoot(const QString &projectPath)
{
    beginResetModel();
    m_root = std::make_unique<TNode>();
    m_root->Caption = QStringLiteral("All Tasks");
    m_root->Icon = m_root->SelectedIcon = niRoot;
    m_root->Path = projectPath;
    endResetModel();
}

QModelIndex TTaskTreeModel::RootIndex() const
{
    return m_root ? createIndex(0, 0, m_root.get()) : QModelIndex();
}

void TTaskTreeModel::ScanFolder(const QString &path, const QModelIndex &parent, bool showAllFiles)
{
    // Every entry, hidden ones included, in the order the file system gives.
    const QFileInfoList entries = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        int kind = niFile;
        if (entry.isDir())
            kind = niFolder;
        else if (IsProjectFileName(name))
            kind = niStoppedTask;
        if (kind == niFile && !showAllFiles)
            continue;
        const QString fullPath = AddBackslash(path) + name;
        const QString caption = kind == niStoppedTask ? TTask::ReadProjectName(fullPath) : name;
        const QModelIndex child = AddNode(parent, caption, kind, kind == niFolder ? niOpenFolder : kind, fullPath);
        if (kind == niFolder)
            ScanFolder(AddBackslash(fullPath), child, showAllFiles);
    }
}

QModelIndex TTaskTreeModel::AddNode(const QModelIndex &parent, const QString &caption, int icon, int selectedIcon,
                                    const QString &path)
{
    TNode *owner = NodeOf(parent);
    if (!owner)
        return {};
    auto node = std::make_unique<TNode>();
    node->Caption = caption;
    node->Path = path;
    node->Icon = icon;
    node->SelectedIcon = selectedIcon;
    node->Parent = owner;
    const int row = int(owner->Children.size());
    beginInsertRows(parent, row, row);
    owner->Children.push_back(std::move(node));
    endInsertRows();
    return index(row, 0, parent);
}

void TTaskTreeModel::RemoveNode(const QModelIndex &index)
{
    TNode *node = NodeOf(index);
    if (!node || !node->Parent)
        return;
    const int row = node->Row();
    beginRemoveRows(index.parent(), row, row);
    node->Parent->Children.erase(node->Parent->Children.begin() + row);
    endRemoveRows();
}

void TTaskTreeModel::SetNodeIcon(const QModelIndex &index, int icon, int selectedIcon)
{
    TNode *node = NodeOf(index);
    if (!node || (node->Icon == icon && node->SelectedIcon == selectedIcon))
        return;
    node->Icon = icon;
    node->SelectedIcon = selectedIcon;
    emit dataChanged(index, index, {Qt::DecorationRole, IconRole, SelectedIconRole});
}

QString TTaskTreeModel::NodePath(const QModelIndex &index)
{
    return index.data(PathRole).toString();
}

int TTaskTreeModel::NodeIcon(const QModelIndex &index)
{
    return index.isValid() ? index.data(IconRole).toInt() : -1;
}

bool TTaskTreeModel::IsFolderNode(const QModelIndex &index)
{
    const int icon = NodeIcon(index);
    return icon == niRoot || icon == niOpenFolder || icon == niFolder;
}

bool TTaskTreeModel::IsTaskNode(const QModelIndex &index)
{
    const int icon = NodeIcon(index);
    return icon == niRunningTask || icon == niStoppedTask;
}

void TTaskTreeModel::ForEachNode(const QModelIndex &parent, const std::function<void(const QModelIndex &)> &visit) const
{
    for (int row = 0; row < rowCount(parent); ++row) {
        const QModelIndex child = index(row, 0, parent);
        visit(child);
        ForEachNode(child, visit);
    }
}

QModelIndex TTaskTreeModel::FindPath(const QString &path) const
{
    const QModelIndex root = RootIndex();
    if (!root.isValid())
        return {};
    if (NodePath(root).compare(path, Qt::CaseInsensitive) == 0)
        return root;
    QModelIndex found;
    ForEachNode(root, [&](const QModelIndex &node) {
        if (!found.isValid() && NodePath(node).compare(path, Qt::CaseInsensitive) == 0)
            found = node;
    });
    return found;
}

// ---- QAbstractItemModel ----------------------------------------------------------

TTaskTreeModel::TNode *TTaskTreeModel::NodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<TNode *>(index.internalPointer()) : nullptr;
}

QModelIndex TTaskTreeModel::IndexOf(const TNode *node) const
{
    if (!node)
        return {};
    return createIndex(node->Row(), 0, const_cast<TNode *>(node));
}

QModelIndex TTaskTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 && m_root ? createIndex(0, 0, m_root.get()) : QModelIndex();
    const TNode *owner = NodeOf(parent);
    if (!owner || row >= int(owner->Children.size()))
        return {};
    return createIndex(row, 0, owner->Children[size_t(row)].get());
}

QModelIndex TTaskTreeModel::parent(const QModelIndex &child) const
{
    const TNode *node = NodeOf(child);
    return node ? IndexOf(node->Parent) : QModelIndex();
}

int TTaskTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return m_root ? 1 : 0;
    return int(NodeOf(parent)->Children.size());
}

int TTaskTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant TTaskTreeModel::data(const QModelIndex &index, int role) const
{
    const TNode *node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return node->Caption;
    case Qt::ToolTipRole:
    case PathRole:
        return node->Path;
    case Qt::DecorationRole:
        return NodeIconSet(node->Icon, node->SelectedIcon);
    case IconRole:
        return node->Icon;
    case SelectedIconRole:
        return node->SelectedIcon;
    default:
        return {};
    }
}

Qt::ItemFlags TTaskTreeModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
