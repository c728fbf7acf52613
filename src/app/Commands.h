#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QWidget;

// The main window's commands, named in code by these constants so that a
// misspelt command does not compile; the table below gives each its object
// name, caption and glyph.
enum class TCommandId {
    TasksNew, TasksNewFolder, TasksDelete, TasksProp, TasksRun, TasksStop, TasksRestart, TasksStopAll,
    TasksSaveURL, TasksCollect, TasksLibrary, TasksRefresh, TasksExit,
    ViewShowHideStdBar, ViewShowHideState, ViewShowAllFiles, ViewOption,
    HelpTopic, HelpTip, HelpAbout, HelpVisit, ShowMainForm,
    ImagesCopyTo, ImagesMoveTo, ImagesDelete, ImagesDeleteAll, ImagesDeleteBy, ImagesSetWallpaper,
    ImagesOpenFolder, ImagesFit, ImagesUnsort, ImagesSortByName, ImagesSortByType, ImagesSortBySize,
    ImagesBuildIn,
};

// One user command of the main window. The whole vocabulary lives in one
// table, in the order of TCommandId, so that the window, its menus, bars and
// pop-ups, and the tests all read the same captions, hints and shortcuts.
struct TCommandSpec {
    TCommandId Id;
    const char *Name;        // object name of the action, "TasksNewAction"
    const char *Caption;     // the caption; tool buttons show it
    const char *MenuCaption; // the menu entry when it differs from Caption, else nullptr
    const char *Hint;        // status-bar hint, nullptr for none
    const char *Shortcut;    // portable key text ("Ctrl+R"), empty for none
    bool Checkable;
    bool Checked;            // the check state at creation
    const char *RadioGroup;  // exclusive group name, nullptr for none
    bool ToolBarCaption;     // the standard tool bar shows caption and glyph
    const char *Icon;        // glyph file under :/icons/ without ".svg", nullptr for none
};

const std::vector<TCommandSpec> &CommandTable();

// The entries of one menu, bar or pop-up menu: action names in order, "|"
// marking a group separator. Containers: "TasksMenu", "ImagesMenu", "ViewMenu",
// "HelpMenu", "StandardToolBar", "ImageToolBar", "ImagesPopupMenu",
// "TasksPopupMenu", "TrayMenu".
struct TCommandLayout {
    const char *Container;
    const char *Title;   // menu title or bar caption
    const char *Entries; // space-separated names and "|"
};

const std::vector<TCommandLayout> &CommandLayouts();
const TCommandLayout *FindCommandLayout(const QString &container);
QStringList LayoutEntries(const TCommandLayout &layout);

// The actions of the table, owned by one parent object (the main window).
class TCommandSet : public QObject
{
    Q_OBJECT

public:
    explicit TCommandSet(QWidget *owner);

    // The action of a command; never null.
    QAction *Action(TCommandId id) const { return m_ordered.at(int(id)); }
    // The action of a table name, or null (for tests and layouts).
    QAction *Action(const QString &name) const;
    const QList<QAction *> &Actions() const { return m_ordered; }

    // Fills a menu or bar from its layout, separators included.
    void Populate(QMenu *menu, const QString &container) const;
    void Populate(QToolBar *bar, const QString &container) const;

private:
    QList<QAction *> m_ordered;
    QHash<QString, QAction *> m_byName;
    QHash<QString, QActionGroup *> m_groups;
};

// Executes a command on behalf of another command: it acts only while enabled.
bool ExecuteAction(QAction *action);
