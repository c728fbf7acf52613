#pragma once

#include <QAbstractItemModel>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The project folder as a tree: the root "All Tasks" stands for the folder
// itself, each sub-folder is a folder node, each project file (".wrp") a task
// node captioned with the task name stored in the file, and other files
// appear only when asked for. Every node carries the full path of what it
// shows; nothing else links a node to a task.
//
// A node's kind is its icon index; the icon shown while it is selected may
// differ (a folder opens). Siblings keep the order the file system gave.
class TTaskTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum TNodeIcon { niRoot = 0, niOpenFolder = 1, niFile = 2, niRunningTask = 3, niStoppedTask = 4, niFolder = 5 };
    // Roles beyond the standard ones.
    enum TRole { PathRole = Qt::UserRole, IconRole, SelectedIconRole };

    explicit TTaskTreeModel(QObject *parent = nullptr);
    ~TTaskTreeModel() override;

    // The root over `projectPath` with no children (made when missing).
    void ResetRoot(const QString &projectPath);
    QModelIndex RootIndex() const;
    // Adds the entries of the folder `path` (ending with a separator) under
    // `parent`, recursively; files other than project files only when
    // `showAllFiles`. Raises EZavelonError naming a project file that cannot
    // be opened; the nodes made so far stay.
    void ScanFolder(const QString &path, const QModelIndex &parent, bool showAllFiles);
    // Adds one node at the end of `parent`'s children; returns its index.
    QModelIndex AddNode(const QModelIndex &parent, const QString &caption, int icon, int selectedIcon,
                        const QString &path);
    // Removes a node with everything below it (not the root).
    void RemoveNode(const QModelIndex &index);
    void SetNodeIcon(const QModelIndex &index, int icon, int selectedIcon);

    static QString NodePath(const QModelIndex &index);
    static int NodeIcon(const QModelIndex &index);
    static bool IsFolderNode(const QModelIndex &index);
    static bool IsTaskNode(const QModelIndex &index);
    // Every node below `parent` (not `parent` itself), in tree order.
    void ForEachNode(const QModelIndex &parent, const std::function<void(const QModelIndex &)> &visit) const;
    // The first node with this path, compared without regard to case, or an
    // invalid index.
    QModelIndex FindPath(const QString &path) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct TNode;
    TNode *NodeOf(const QModelIndex &index) const;
    QModelIndex IndexOf(const TNode *node) const;

    std::unique_ptr<TNode> m_root;
};
