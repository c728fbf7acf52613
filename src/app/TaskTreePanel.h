#pragma once

#include <QModelIndex>
#include <QWidget>

class QTreeView;
class TTaskTreeModel;

// "Tasks :": the project folder as a tree of folders and tasks. The panel
// owns its view and model; the window asks it for the selected node and
// changes nodes through the model.
class TTaskTreePanel : public QWidget
{
    Q_OBJECT

public:
    explicit TTaskTreePanel(QWidget *parent = nullptr);

    TTaskTreeModel &Model() const { return *m_model; }

    // The tree read anew from the project folder: the root, then every
    // folder and project file below it; expanded one level. Raises
    // EZavelonError naming a project file that cannot be read; the nodes
    // made so far stay.
    void Rebuild(const QString &projectPath, bool showAllFiles);

    QModelIndex Current() const;
    void SetCurrent(const QModelIndex &index);
    // Gives the tree the keyboard focus.
    void FocusTree();

signals:
    // The selected node changed (also to none).
    void CurrentChanged();
    // The pop-up menu is wanted at `globalPos`; a right click first
    // selects the node under the mouse.
    void ContextMenuRequested(const QPoint &globalPos);
    // A double click or Enter on a node.
    void NodeActivated(const QModelIndex &index);

private:
    TTaskTreeModel *m_model;
    QTreeView *m_view;
};
