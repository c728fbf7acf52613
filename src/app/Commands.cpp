#include "app/Commands.h"

#include "widgets/AppResources.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

const std::vector<TCommandSpec> &CommandTable()
{
    static const std::vector<TCommandSpec> table = {
        // Id, Name, Caption, MenuCaption, Hint, Shortcut, Checkable, Checked, RadioGroup, ToolBarCaption, Icon
        {TCommandId::TasksNew, "TasksNewAction", "New", nullptr, "Create a new task", "Ctrl+Ins", false, false, nullptr, false, "new"},
        {TCommandId::TasksNewFolder, "TasksNewFolderAction", "New Folder", nullptr, nullptr, "", false, false, nullptr, false, "newfolder"},
        {TCommandId::TasksDelete, "TasksDeleteAction", "Delete", nullptr, "Delete current task", "Ctrl+Del", false, false, nullptr, false, "delete"},
        {TCommandId::TasksProp, "TasksPropAction", "Properties", nullptr, "Properties of current task", "", false, false, nullptr, false, "properties"},
        {TCommandId::TasksRun, "TasksRunAction", "Run", nullptr, "Run current task", "Ctrl+R", false, false, nullptr, true, "run"},
        {TCommandId::TasksStop, "TasksStopAction", "Stop", nullptr, "Stop current task", "Ctrl+S", false, false, nullptr, false, "stop"},
        {TCommandId::TasksRestart, "TasksRestartAction", "Restart", nullptr, "Restart current selected action", "", false, false, nullptr, false, "restart"},
        {TCommandId::TasksStopAll, "TasksStopAllAction", "Stop all", nullptr, "Stop all running tasks", "", false, false, nullptr, false, "stopall"},
        {TCommandId::TasksSaveURL, "TasksSaveURLAction", "Save URL", nullptr, "Save task URL", "", false, false, nullptr, false, "saveurl"},
        {TCommandId::TasksCollect, "TasksCollectAction", "Collect", nullptr, "Copy picture files to another directory that is in current selected task", "", false, false, nullptr, true, "collect"},
        {TCommandId::TasksLibrary, "TasksLibraryAction", "Library", nullptr, "Open images library", "", false, false, nullptr, true, "library"},
        {TCommandId::TasksRefresh, "TasksRefreshAction", "Refresh", nullptr, "Refresh task folder", "F5", false, false, nullptr, false, "refresh"},
        {TCommandId::TasksExit, "TasksExitAction", "Exit", nullptr, "Exit and return to system", "", false, false, nullptr, false, "exit"},
        {TCommandId::ViewShowHideStdBar, "ViewShowHideStdBarAction", "Standard tool bar", nullptr, "Show / hide standard tool bar", "", true, true, nullptr, false, nullptr},
        {TCommandId::ViewShowHideState, "ViewShowHideStateAction", "State", nullptr, "Show / hide state panel", "", true, true, nullptr, false, nullptr},
        {TCommandId::ViewShowAllFiles, "ViewShowAllFilesAction", "Show All", nullptr, "Show all files in tasks tree view", "", true, true, nullptr, false, nullptr},
        {TCommandId::ViewOption, "ViewOptionAction", "Options", nullptr, "Show current options", "", false, false, nullptr, false, "options"},
        {TCommandId::HelpTopic, "HelpTopicAction", "Help", nullptr, "Help topic", "F1", false, false, nullptr, false, "help"},
        {TCommandId::HelpTip, "HelpTipAction", "&Tip of the day...", nullptr, "Show tip of the day...", "", false, false, nullptr, false, "tip"},
        {TCommandId::HelpAbout, "HelpAboutAction", "About", nullptr, "About Zavelon", "", false, false, nullptr, false, "about"},
        {TCommandId::HelpVisit, "HelpVisitAction", "Visit our website", nullptr, "Visit our site", "", false, false, nullptr, false, "web"},
        {TCommandId::ShowMainForm, "ShowMainFormAction", "Main Window", nullptr, "Show main window", "", false, false, nullptr, false, nullptr},
        {TCommandId::ImagesCopyTo, "ImagesCopyToAction", "Copy to ...", nullptr, "Copy selected images to a folder", "", false, false, nullptr, false, "copyto"},
        {TCommandId::ImagesMoveTo, "ImagesMoveToAction", "Move to ...", nullptr, "Move selected images to a folder", "", false, false, nullptr, false, "moveto"},
        {TCommandId::ImagesDelete, "ImagesDeleteAction", "Delete", nullptr, "Delete selected images", "Del", false, false, nullptr, false, "delete"},
        {TCommandId::ImagesDeleteAll, "ImagesDeleteAllAction", "Delete All", nullptr, "Delete all downloaded images", "", false, false, nullptr, false, "deleteall"},
        {TCommandId::ImagesDeleteBy, "ImagesDeleteByAction", "Delete By ...", nullptr, "Delete images by some conditions", "", false, false, nullptr, false, "deleteby"},
        {TCommandId::ImagesSetWallpaper, "ImagesSetWallpaperAction", "Wall", "Set Wallpaper", "Set current selected image to desktop", "Ctrl+W", false, false, nullptr, true, "wall"},
        {TCommandId::ImagesOpenFolder, "ImagesOpenFolderAction", "Folder", nullptr, "Open downloaded images folder of current task", "", false, false, nullptr, false, "folder"},
        {TCommandId::ImagesFit, "ImagesFitAction", "Zoom", nullptr, "Fit image in page", "", true, false, nullptr, true, "zoom"},
        {TCommandId::ImagesUnsort, "ImagesUnsortAction", "Unsort(&0)", nullptr, "No any additional sort", "", true, true, "ImageSort", false, nullptr},
        {TCommandId::ImagesSortByName, "ImagesSortByNameAction", "Sort by name(&1)", nullptr, "Sort images by filename", "", true, false, "ImageSort", false, nullptr},
        {TCommandId::ImagesSortByType, "ImagesSortByTypeAction", "Sort by type(&2)", nullptr, "Sort images by file type", "", true, false, "ImageSort", false, nullptr},
        {TCommandId::ImagesSortBySize, "ImagesSortBySizeAction", "Sort by size(&3)", nullptr, "Sort images by file size", "", true, false, "ImageSort", false, nullptr},
        {TCommandId::ImagesBuildIn, "ImagesBuildInAction", "Build-in", nullptr, "Build-in these images in library", "", false, false, nullptr, false, "buildin"},
    };
    return table;
}

const std::vector<TCommandLayout> &CommandLayouts()
{
    static const std::vector<TCommandLayout> layouts = {
        {"TasksMenu", "&Tasks",
         "TasksNewAction TasksNewFolderAction | TasksDeleteAction TasksPropAction | TasksRunAction TasksStopAction"
         " | TasksCollectAction TasksSaveURLAction TasksLibraryAction | TasksRestartAction TasksStopAllAction"
         " | TasksRefreshAction | TasksExitAction"},
        {"ImagesMenu", "&Images",
         "ImagesCopyToAction ImagesMoveToAction | ImagesDeleteAction ImagesDeleteAllAction ImagesDeleteByAction"
         " | ImagesSetWallpaperAction ImagesOpenFolderAction | ImagesFitAction"
         " | ImagesUnsortAction ImagesSortByNameAction ImagesSortByTypeAction ImagesSortBySizeAction"
         " | ImagesBuildInAction"},
        {"ViewMenu", "&View",
         "ViewShowHideStdBarAction ViewShowHideStateAction | ViewShowAllFilesAction | ViewOptionAction"},
        {"HelpMenu", "&Help", "HelpTopicAction HelpTipAction | HelpAboutAction | HelpVisitAction"},
        {"StandardToolBar", "Standard tool bar",
         "TasksNewAction TasksDeleteAction | TasksRunAction TasksStopAction | TasksCollectAction TasksLibraryAction"
         " | ImagesSetWallpaperAction ImagesOpenFolderAction ImagesFitAction | HelpTopicAction"},
        {"ImageToolBar", "Image Toolbar",
         "ImagesCopyToAction ImagesMoveToAction | ImagesDeleteAction ImagesDeleteAllAction ImagesDeleteByAction"
         " | ImagesSetWallpaperAction ImagesOpenFolderAction | ImagesFitAction"},
        {"ImagesPopupMenu", "",
         "ImagesCopyToAction ImagesMoveToAction | ImagesDeleteAction ImagesDeleteAllAction ImagesDeleteByAction"
         " | ImagesSetWallpaperAction ImagesOpenFolderAction | ImagesFitAction"},
        {"TasksPopupMenu", "",
         "TasksNewAction TasksNewFolderAction | TasksDeleteAction TasksPropAction | TasksRunAction TasksStopAction"
         " | TasksCollectAction TasksSaveURLAction | TasksRestartAction TasksStopAllAction | TasksRefreshAction"},
        {"TrayMenu", "",
         "ShowMainFormAction | TasksNewAction TasksStopAllAction | TasksCollectAction TasksLibraryAction"
         " | ViewOptionAction | TasksExitAction"},
    };
    return layouts;
}

const TCommandLayout *FindCommandLayout(const QString &container)
{
    for (const TCommandLayout &layout : CommandLayouts()) {
        if (container == QLatin1String(layout.Container))
            return &layout;
    }
    return nullptr;
}

QStringList LayoutEntries(const TCommandLayout &layout)
{
    return QString::fromLatin1(layout.Entries).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

namespace {

QAction *MakeAction(const TCommandSpec &spec, QObject *owner)
{
    auto *action = new QAction(owner);
    action->setObjectName(QLatin1String(spec.Name));
    action->setText(QString::fromUtf8(spec.MenuCaption ? spec.MenuCaption : spec.Caption));
    if (spec.MenuCaption)
        action->setIconText(QString::fromUtf8(spec.Caption));
    if (spec.Hint) {
        const QString hint = QString::fromUtf8(spec.Hint);
        action->setStatusTip(hint);
        action->setToolTip(hint);
    }
    if (*spec.Shortcut)
        action->setShortcut(QKeySequence(QString::fromLatin1(spec.Shortcut), QKeySequence::PortableText));
    action->setCheckable(spec.Checkable);
    action->setChecked(spec.Checked);
    if (spec.Icon)
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(spec.Icon))));
    return action;
}

} // namespace

TCommandSet::TCommandSet(QWidget *owner)
    : QObject(owner)
{
    InitAppResources();
    for (const TCommandSpec &spec : CommandTable()) {
        QAction *action = MakeAction(spec, owner);
        if (spec.RadioGroup) {
            const QString group = QLatin1String(spec.RadioGroup);
            if (!m_groups.contains(group)) {
                auto *actionGroup = new QActionGroup(this);
                actionGroup->setExclusive(true);
                m_groups.insert(group, actionGroup);
            }
            m_groups.value(group)->addAction(action);
        }
        // Shortcuts work while the window is active, whether or not a menu
        // holding the action is visible.
        if (owner)
            owner->addAction(action);
        m_ordered.append(action);
        m_byName.insert(action->objectName(), action);
    }
}

QAction *TCommandSet::Action(const QString &name) const
{
    return m_byName.value(name);
}

void TCommandSet::Populate(QMenu *menu, const QString &container) const
{
    const TCommandLayout *layout = FindCommandLayout(container);
    if (!layout)
        return;
    for (const QString &entry : LayoutEntries(*layout)) {
        if (entry == QLatin1String("|"))
            menu->addSeparator();
        else if (QAction *action = Action(entry))
            menu->addAction(action);
    }
}

void TCommandSet::Populate(QToolBar *bar, const QString &container) const
{
    const TCommandLayout *layout = FindCommandLayout(container);
    if (!layout)
        return;
    const bool standard = container == QLatin1String("StandardToolBar");
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const QString &entry : LayoutEntries(*layout)) {
        if (entry == QLatin1String("|")) {
            bar->addSeparator();
            continue;
        }
        QAction *action = Action(entry);
        if (!action)
            continue;
        bar->addAction(action);
        if (!standard)
            continue;
        for (const TCommandSpec &spec : CommandTable()) {
            if (entry == QLatin1String(spec.Name) && spec.ToolBarCaption) {
                if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action)))
                    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            }
        }
    }
}

bool ExecuteAction(QAction *action)
{
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}
