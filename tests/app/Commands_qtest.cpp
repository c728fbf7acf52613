// The main window's commands: every action, menu, bar and pop-up is checked
// against the one command table the window is built from.
#include "AppTestSupport.h"

#include "app/Commands.h"
#include "app/MainForm.h"
#include "app/StatePanel.h"
#include "images/ui/PicturesPanel.h"
#include "settings/RegSettings.h"

#include <QAction>
#include <QEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QListView>
#include <QTreeView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

// A menu's or bar's entries as the layout table writes them.
QStringList EntriesOf(const QWidget *container)
{
    QStringList entries;
    for (const QAction *action : container->actions())
        entries.append(action->isSeparator() ? QStringLiteral("|") : action->objectName());
    return entries;
}

const TCommandSpec *SpecOf(const QString &name)
{
    for (const TCommandSpec &spec : CommandTable()) {
        if (name == QLatin1String(spec.Name))
            return &spec;
    }
    return nullptr;
}

} // namespace

class TCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        home = std::make_unique<TTempHome>();
        errors = std::make_unique<TErrorLog>();
        form = MakeMainForm();
    }

    void cleanup()
    {
        form.reset();
        QVERIFY2(errors->Texts.isEmpty(), qPrintable(errors->Texts.join(QLatin1Char('\n'))));
        errors.reset();
        home.reset();
    }

    void ActionsFollowTheTable()
    {
        QCOMPARE(form->Commands->Actions().size(), qsizetype(CommandTable().size()));
        for (const TCommandSpec &spec : CommandTable()) {
            const QString name = QLatin1String(spec.Name);
            QAction *action = form->Action(name);
            QVERIFY2(action, spec.Name);
            QCOMPARE(form->Action(spec.Id), action); // the table is in the order of its ids
            QCOMPARE(action->text(), QString::fromUtf8(spec.MenuCaption ? spec.MenuCaption : spec.Caption));
            QCOMPARE(action->iconText().remove(QLatin1Char('&')),
                     QString::fromUtf8(spec.Caption).remove(QLatin1Char('&')).remove(QStringLiteral("...")).trimmed());
            QCOMPARE(action->statusTip(), spec.Hint ? QString::fromUtf8(spec.Hint) : QString());
            QCOMPARE(action->shortcut(), QKeySequence(QString::fromLatin1(spec.Shortcut)));
            QCOMPARE(action->isCheckable(), spec.Checkable);
            QCOMPARE(action->isChecked(), spec.Checked); // a fresh home stores the design-time states
            QCOMPARE(action->actionGroup() != nullptr, spec.RadioGroup != nullptr);
        }
    }

    // A few facts of the vocabulary, written out once so that a wrong table
    // cannot pass by agreeing with itself.
    void TableHoldsTheDescribedVocabulary()
    {
        struct Case { const char *name; const char *caption; const char *shortcut; };
        const Case cases[] = {
            {"TasksNewAction", "New", "Ctrl+Ins"},
            {"TasksDeleteAction", "Delete", "Ctrl+Del"},
            {"TasksRunAction", "Run", "Ctrl+R"},
            {"TasksStopAction", "Stop", "Ctrl+S"},
            {"TasksRefreshAction", "Refresh", "F5"},
            {"HelpTopicAction", "Help", "F1"},
            {"ImagesDeleteAction", "Delete", "Del"},
            {"ImagesSetWallpaperAction", "Set Wallpaper", "Ctrl+W"},
            {"HelpTipAction", "&Tip of the day...", ""},
            {"ImagesUnsortAction", "Unsort(&0)", ""},
        };
        for (const Case &c : cases) {
            QAction *action = form->Action(QLatin1String(c.name));
            QCOMPARE(action->text(), QString::fromUtf8(c.caption));
            QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), QString::fromLatin1(c.shortcut));
        }
        QCOMPARE(form->Action(QStringLiteral("ImagesSetWallpaperAction"))->iconText(), QStringLiteral("Wall"));
        QCOMPARE(form->Action(QStringLiteral("TasksNewFolderAction"))->statusTip(), QString());
        QCOMPARE(form->Action(QStringLiteral("TasksCollectAction"))->statusTip(),
                 QStringLiteral("Copy picture files to another directory that is in current selected task"));
    }

    void MenusBarsAndPopupsFollowTheLayouts()
    {
        const QList<QAction *> menus = form->menuBar()->actions();
        QStringList titles;
        for (const QAction *menu : menus)
            titles.append(menu->text());
        // Alt and the underlined letter open each menu.
        QCOMPARE(titles, (QStringList{"&Tasks", "&Images", "&View", "&Help"}));

        for (const TCommandLayout &layout : CommandLayouts()) {
            const QString container = QLatin1String(layout.Container);
            const QWidget *widget = form->findChild<QWidget *>(container);
            QVERIFY2(widget, layout.Container);
            QCOMPARE(EntriesOf(widget), LayoutEntries(layout));
        }
        QCOMPARE(Find<QToolBar>(form.get(), "ImageToolBar")->windowTitle(), QStringLiteral("Image Toolbar"));
        QCOMPARE(Find<QToolBar>(form.get(), "ImageToolBar")->parentWidget(), static_cast<QWidget *>(form->PicturesPanel()));
        QCOMPARE(EntriesOf(Find<QMenu>(form.get(), "TrayMenu")).first(), QStringLiteral("ShowMainFormAction"));
        QCOMPARE(Find<QMenu>(form.get(), "TrayMenu")->defaultAction(), form->Action(QStringLiteral("ShowMainFormAction")));
        QCOMPARE(EntriesOf(Find<QMenu>(form.get(), "TrayMenu")).last(), QStringLiteral("TasksExitAction"));
    }

    void StandardBarShowsCaptionsOfFiveCommands()
    {
        for (QAction *action : Find<QToolBar>(form.get(), "StandardToolBar")->actions()) {
            if (action->isSeparator())
                continue;
            auto *button = qobject_cast<QToolButton *>(Find<QToolBar>(form.get(), "StandardToolBar")->widgetForAction(action));
            QVERIFY(button);
            const bool withCaption = SpecOf(action->objectName())->ToolBarCaption;
            QCOMPARE(button->toolButtonStyle(), withCaption ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
        }
        QStringList captioned;
        for (const TCommandSpec &spec : CommandTable()) {
            if (spec.ToolBarCaption)
                captioned.append(QLatin1String(spec.Caption));
        }
        QCOMPARE(captioned, (QStringList{"Run", "Collect", "Library", "Wall", "Zoom"}));
    }

    void RunAndStopStartDisabledAndInvokedCommandsRespectIt()
    {
        QAction *run = form->Action(QStringLiteral("TasksRunAction"));
        QVERIFY(!run->isEnabled());
        QVERIFY(!form->Action(QStringLiteral("TasksStopAction"))->isEnabled());
        QVERIFY(!form->Action(QStringLiteral("TasksStopAllAction"))->isEnabled()); // nothing runs
        QSignalSpy triggered(run, &QAction::triggered);
        QVERIFY(!ExecuteAction(run));
        QCOMPARE(triggered.count(), 0);
        run->setEnabled(true);
        QVERIFY(ExecuteAction(run));
        QCOMPARE(triggered.count(), 1);
    }

    void SortOrdersAreOneRadioGroup()
    {
        QAction *byName = form->Action(QStringLiteral("ImagesSortByNameAction"));
        byName->trigger();
        QVERIFY(byName->isChecked());
        QVERIFY(!form->Action(QStringLiteral("ImagesUnsortAction"))->isChecked());
        form->Action(QStringLiteral("ImagesSortBySizeAction"))->trigger();
        QVERIFY(!byName->isChecked());
    }

    void HintOfTheCommandUnderTheMouseGoesToPanelOne()
    {
        QAction *run = form->Action(QStringLiteral("TasksRunAction"));
        QWidget *button = Find<QToolBar>(form.get(), "StandardToolBar")->widgetForAction(run);
        const QPointF inside(2, 2);
        QEnterEvent enter(inside, inside, button->mapToGlobal(inside));
        QApplication::sendEvent(button, &enter);
        QCOMPARE(Find<QLabel>(form.get(), "HintPanel")->text(), QStringLiteral("Run current task"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        QCOMPARE(Find<QLabel>(form.get(), "HintPanel")->text(), QString());

        // The image bar sits in the pictures panel, its hints reach the same panel.
        QWidget *zoom = Find<QToolBar>(form.get(), "ImageToolBar")->widgetForAction(form->Action(QStringLiteral("ImagesFitAction")));
        QApplication::sendEvent(zoom, &enter);
        QCOMPARE(Find<QLabel>(form.get(), "HintPanel")->text(), QStringLiteral("Fit image in page"));
        QCOMPARE(Find<QWidget>(form.get(), "StatusPanel0")->width(), 5);
    }

    void ViewTogglesShowAndHideBarAndStatePanel()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QAction *bar = form->Action(QStringLiteral("ViewShowHideStdBarAction"));
        QAction *state = form->Action(QStringLiteral("ViewShowHideStateAction"));
        QSplitter *splitter = Find<QSplitter>(form.get(), "LeftSplitter");
        const int stateIndex = splitter->indexOf(static_cast<QWidget *>(form->StatePanel()));

        bar->trigger();
        QVERIFY(!bar->isChecked());
        QVERIFY(Find<QToolBar>(form.get(), "StandardToolBar")->isHidden());
        bar->trigger();
        QVERIFY(bar->isChecked());
        QVERIFY(!Find<QToolBar>(form.get(), "StandardToolBar")->isHidden());

        state->trigger();
        QVERIFY(!state->isChecked());
        QVERIFY(static_cast<QWidget *>(form->StatePanel())->isHidden());
        QTRY_VERIFY(splitter->handle(stateIndex)->isHidden());
        state->trigger();
        QVERIFY(!static_cast<QWidget *>(form->StatePanel())->isHidden());
        QTRY_VERIFY(!splitter->handle(stateIndex)->isHidden());
    }

    void OptionsEditTheDefaultsInMemory()
    {
        const int before = form->Settings->Options.SeekDeep;
        TModalHandler answer([](QWidget *modal) {
            QCOMPARE(modal->windowTitle(), QStringLiteral("Default options"));
            modal->findChild<QSlider *>(QStringLiteral("SeekDeepTrackBar"))->setValue(12);
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("OkButton")), Qt::LeftButton);
        });
        form->Action(QStringLiteral("ViewOptionAction"))->trigger();
        QVERIFY(answer.Fired());
        QCOMPARE(form->Settings->Options.SeekDeep, 12);
        // The store gets them at exit, not now.
        TRegSettings stored(home->Path());
        stored.Load();
        QCOMPARE(stored.Options.SeekDeep, before);
    }

    void LayoutHoldsTheDescribedAreas()
    {
        const QStringList labels = [this] {
            QStringList texts;
            for (const QLabel *label : form->findChildren<QLabel *>())
                texts.append(label->text());
            return texts;
        }();
        QVERIFY(labels.contains(QStringLiteral("Tasks :")));
        QVERIFY(labels.contains(QStringLiteral("Files found in current task :")));
        QCOMPARE(Find<QTabBar>(form.get(), "TabSet")->count(), 2);
        QCOMPARE(Find<QTabBar>(form.get(), "TabSet")->tabText(0), QStringLiteral("Log"));
        QCOMPARE(Find<QTabBar>(form.get(), "TabSet")->tabText(1), QStringLiteral("Report"));
        QCOMPARE(Find<QTabBar>(form.get(), "TabSet")->currentIndex(), 0);
        Find<QTabBar>(form.get(), "TabSet")->setCurrentIndex(1);
        QCOMPARE(Find<QStackedWidget>(form.get(), "StateNotebook")->currentWidget(), Find<QTreeView>(form.get(), "ReportListView"));
        QVERIFY(!Find<QListView>(form.get(), "LogEdit")->wordWrap());
        const QAbstractItemModel *files = Find<QTreeView>(form.get(), "FilesListView")->model();
        QCOMPARE(files->columnCount(), 6);
        QCOMPARE(files->headerData(1, Qt::Horizontal).toString(), QStringLiteral("From URL"));
        QCOMPARE(Find<QTreeView>(form.get(), "ReportListView")->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("Description"));
    }

private:
    std::unique_ptr<TTempHome> home;
    std::unique_ptr<TErrorLog> errors;
    std::unique_ptr<TMainForm> form;
};

QTEST_MAIN(TCommandsTest)
#include "Commands_qtest.moc"
