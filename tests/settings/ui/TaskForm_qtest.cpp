// The task dialog, "New Task" and "Edit Task", driven as a user does.
#include "EditorTestSupport.h"
#include "support/WidgetTestSupport.h"

#include "engine/FileNames.h"
#include "engine/RegOptions.h"
#include "engine/Task.h"
#include "settings/TaskNaming.h"
#include "settings/ui/TaskForm.h"
#include "widgets/HtmlHelp.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

class TTaskFormTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TErrorLog> errors;
    std::unique_ptr<TTaskForm> form;
    QString previousFolder;

    template <class T>
    T *Get(const char *name) const
    {
        T *widget = form->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    QString DefaultFolder() const { return dir->filePath(QStringLiteral("Downloaded Files")) + QLatin1Char('/'); }

    TRegOptions Defaults() const
    {
        TRegOptions defaults;
        defaults.DefaultFolder = DefaultFolder();
        defaults.FileMasks = {QStringLiteral("gif, Saved"), QStringLiteral("jpg, Saved")};
        defaults.ExcludeFiles = {QStringLiteral("spacer.gif")};
        defaults.SeekDeep = 3;
        defaults.Scheme.SchemeType = TRegScheme::stDaily;
        defaults.UseProxyServer = true;
        defaults.ProxyServerAddr = QStringLiteral("proxy.local");
        defaults.AutoShutDown = true;
        return defaults;
    }

    // A "New Task" dialog filled as OpenNewTask fills it, shown.
    void OpenNew(const QString &browserUrl = {})
    {
        form = std::make_unique<TTaskForm>(TTaskForm::TMode::New);
        if (!browserUrl.isEmpty())
            form->HandUrl(browserUrl);
        form->LoadEntry(NewTaskEntry(Defaults()));
        QVERIFY(ShowActive(form.get()));
    }

    // Leaves the URL field, as a click elsewhere does.
    void LeaveUrl()
    {
        Get<QLineEdit>("UrlEdit")->setFocus();
        Get<QPlainTextEdit>("NoteEdit")->setFocus();
        Get<QLineEdit>("NameEdit")->setFocus();
    }

    void TypeName(const QString &name)
    {
        auto *edit = Get<QLineEdit>("NameEdit");
        edit->setFocus();
        edit->clear();
        // The test keyboard knows ASCII only; other letters arrive as input.
        if (std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 128; }))
            QTest::keyClicks(edit, name);
        else
            edit->insert(name);
    }

    void SelectPage(const QString &node)
    {
        auto *tree = Get<QTreeWidget>("PageTreeView");
        const QList<QTreeWidgetItem *> found = tree->findItems(node, Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(found.size() == 1);
        tree->setCurrentItem(found.first());
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        errors = std::make_unique<TErrorLog>();
        // Derived names are made unique in the current folder.
        previousFolder = QDir::currentPath();
        QDir::setCurrent(dir->path());
        QGuiApplication::clipboard()->clear();
    }

    void cleanup()
    {
        form.reset();
        QDir::setCurrent(previousFolder);
        errors.reset();
        dir.reset();
    }

    void NewTaskOffersAWebAddressFromTheClipboard_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("url");
        QTest::newRow("web address") << "http://a.example/pics" << "http://a.example/pics";
        QTest::newRow("blanks and capitals kept") << "  HTTPS://a.example " << "  HTTPS://a.example ";
        QTest::newRow("ordinary text") << "holiday pictures" << "";
        QTest::newRow("other scheme") << "ftp://a.example" << "";
        QTest::newRow("empty") << "" << "";
    }

    void NewTaskOffersAWebAddressFromTheClipboard()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, url);
        QGuiApplication::clipboard()->setText(clipboard);
        OpenNew();
        QCOMPARE(form->windowTitle(), QStringLiteral("New Task"));
        QCOMPARE(Get<QLineEdit>("UrlEdit")->text(), url);
        auto *name = Get<QLineEdit>("NameEdit");
        QCOMPARE(name->text(), QString());
        QVERIFY(!name->isReadOnly());
        QVERIFY(!Get<QCheckBox>("SpecifiedAsUrlCheckBox")->isChecked());
        QCOMPARE(QApplication::focusWidget(), name);
        QCOMPARE(Get<QLineEdit>("FolderEdit")->text(), DefaultFolder());

        // The save folder follows the name typed.
        QTest::keyClicks(name, QStringLiteral("My pics"));
        QCOMPARE(Get<QLineEdit>("FolderEdit")->text(), DefaultFolder() + QStringLiteral("My pics/"));
    }

    void NewTaskFromTheBrowserIgnoresTheClipboard()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("http://clipboard.example"));
        OpenNew(QStringLiteral("http://a.example/p?x=1"));
        QCOMPARE(Get<QLineEdit>("UrlEdit")->text(), QStringLiteral("http://a.example/p?x=1"));
        auto *name = Get<QLineEdit>("NameEdit");
        QCOMPARE(name->text(), QStringLiteral("httpaexamplepx=1"));
        QVERIFY(!name->isReadOnly());
        QCOMPARE(Get<QLineEdit>("FolderEdit")->text(), DefaultFolder() + QStringLiteral("httpaexamplepx=1/"));
        QTest::keyClick(name, Qt::Key_End);
        QTest::keyClicks(name, QStringLiteral("2"));
        QCOMPARE(Get<QLineEdit>("FolderEdit")->text(), DefaultFolder() + QStringLiteral("httpaexamplepx=12/"));
    }

    void TickedNameFollowsTheUrl()
    {
        OpenNew();
        auto *url = Get<QLineEdit>("UrlEdit");
        auto *name = Get<QLineEdit>("NameEdit");
        auto *specified = Get<QCheckBox>("SpecifiedAsUrlCheckBox");
        url->setFocus();
        QTest::keyClicks(url, QStringLiteral("a.example/x"));
        QCOMPARE(name->text(), QString());
        // The click leaves the URL field, which completes it.
        Click(specified);
        QCOMPARE(url->text(), QStringLiteral("http://a.example/x"));
        QVERIFY(name->isReadOnly());
        // Read-only in the dialog's face colour, editable in a field's.
        QCOMPARE(name->palette().color(QPalette::Base), form->palette().color(QPalette::Window));
        QCOMPARE(name->text(), QStringLiteral("httpaexamplex"));
        url->setFocus();
        QTest::keyClick(url, Qt::Key_End);
        QTest::keyClicks(url, QStringLiteral("y"));
        QCOMPARE(name->text(), QStringLiteral("httpaexamplexy"));
        QCOMPARE(Get<QLineEdit>("FolderEdit")->text(), DefaultFolder() + QStringLiteral("httpaexamplexy/"));
        // Cleared: editable again, the name stays.
        Click(specified);
        QVERIFY(!name->isReadOnly());
        QCOMPARE(name->palette().color(QPalette::Base), url->palette().color(QPalette::Base));
        QCOMPARE(name->text(), QStringLiteral("httpaexamplexy"));
        QTest::keyClicks(url, QStringLiteral("z"));
        QCOMPARE(name->text(), QStringLiteral("httpaexamplexy"));
    }

    void EnterInTheUrlFieldNamesTheTaskAsAClickOnOkDoes()
    {
        OpenNew();
        auto *url = Get<QLineEdit>("UrlEdit");
        Click(Get<QCheckBox>("SpecifiedAsUrlCheckBox"));
        url->setFocus();
        QTest::keyClicks(url, QStringLiteral("a.example/x"));
        QTest::keyClick(url, Qt::Key_Return);
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(form->Entry().Url, QStringLiteral("http://a.example/x"));
        QCOMPARE(form->Entry().Name, QStringLiteral("httpaexamplex"));
        QCOMPARE(form->Entry().Options.DefaultFolder, DefaultFolder() + QStringLiteral("httpaexamplex/"));
    }

    void DerivedNameAvoidsAFileOfThatName()
    {
        QFile taken(QStringLiteral("aexample"));
        QVERIFY(taken.open(QIODevice::WriteOnly));
        OpenNew(QStringLiteral("a.example"));
        QCOMPARE(Get<QLineEdit>("NameEdit")->text(), QStringLiteral("aexample[0]"));
    }

    void UrlIsCompletedWhenLeft_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("completed");
        QTest::newRow("no scheme") << "a.example/pics" << "http://a.example/pics";
        QTest::newRow("http in capitals") << "HTTP://A.EXAMPLE" << "HTTP://A.EXAMPLE";
        QTest::newRow("https left alone") << "https://a.example" << "https://a.example";
        QTest::newRow("other scheme") << "ftp://a.example" << "http://ftp://a.example";
        QTest::newRow("empty") << "" << "http://";
    }

    void UrlIsCompletedWhenLeft()
    {
        QFETCH(QString, typed);
        QFETCH(QString, completed);
        OpenNew();
        auto *url = Get<QLineEdit>("UrlEdit");
        url->setFocus();
        QTest::keyClicks(url, typed);
        LeaveUrl();
        QCOMPARE(url->text(), completed);
    }

    void NameIsCheckedOnOk_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("blanks only") << "   " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "site.com" << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("at") << "me@site" << false;
        QTest::newRow("blanks inside") << "my site pics" << true;
        QTest::newRow("equals and brackets") << "a=b (2) [x] ~!" << true;
        QTest::newRow("letters beyond ASCII") << "Zürich 漢" << true;
    }

    void NameIsCheckedOnOk()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        OpenNew(QStringLiteral("a.example"));
        TypeName(name);
        Get<QPushButton>("OkButton")->setFocus();
        Click(Get<QPushButton>("OkButton"));
        if (accepted) {
            QCOMPARE(errors->Texts, QStringList());
            QCOMPARE(form->result(), int(QDialog::Accepted));
            QCOMPARE(form->Entry().Name, name);
            QVERIFY(QFileInfo(DefaultFolder() + name).isDir());
        } else {
            QCOMPARE(errors->Texts, QStringList({kInvalidTaskNameMessage}));
            QVERIFY(form->isVisible());
            QCOMPARE(QApplication::focusWidget(), Get<QLineEdit>("NameEdit"));
        }
    }

    void OkCompletesTheUrlAndNeedsASaveFolder()
    {
        OpenNew();
        TypeName(QStringLiteral("site"));
        Get<QLineEdit>("UrlEdit")->setText(QStringLiteral("a.example"));
        Get<QLineEdit>("FolderEdit")->clear();
        Click(Get<QPushButton>("OkButton"));
        QCOMPARE(errors->Texts, QStringList({"Unable to create directory"}));
        QVERIFY(form->isVisible());
        QCOMPARE(Get<QLineEdit>("UrlEdit")->text(), QStringLiteral("http://a.example"));
        QCOMPARE(Get<QLineEdit>("NameEdit")->text(), QStringLiteral("site"));

        const QString folder = dir->filePath(QStringLiteral("x/y/site"));
        Get<QLineEdit>("FolderEdit")->setText(folder);
        Click(Get<QPushButton>("OkButton"));
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(form->Entry().Url, QStringLiteral("http://a.example"));
        QCOMPARE(form->Entry().Options.DefaultFolder, folder + QLatin1Char('/'));
    }

    void LoginBoxEnablesItsFields()
    {
        OpenNew();
        auto *box = Get<QCheckBox>("NeedToLoginCheckBox");
        const QList<QWidget *> fields = {Get<QLineEdit>("UserNameEdit"), Get<QLineEdit>("PasswordEdit")};
        QVERIFY(!box->isChecked());
        for (QWidget *field : fields)
            QVERIFY(!field->isEnabled());
        Click(box);
        for (QWidget *field : fields)
            QVERIFY(field->isEnabled());
        QCOMPARE(Get<QLineEdit>("PasswordEdit")->echoMode(), QLineEdit::Password);
        QTest::keyClicks(Get<QLineEdit>("UserNameEdit"), QStringLiteral("me"));
        QTest::keyClicks(Get<QLineEdit>("PasswordEdit"), QStringLiteral("pa:ss"));
        TypeName(QStringLiteral("site"));
        Click(Get<QPushButton>("OkButton"));
        const TRegOptions &o = form->Entry().Options;
        QCOMPARE(o.NeedToLogin, true);
        QCOMPARE(o.LoginUserName, QStringLiteral("me"));
        QCOMPARE(o.LoginPassword, QStringLiteral("pa:ss"));
    }

    void PasteAndCopyUseTheClipboardText()
    {
        OpenNew();
        QGuiApplication::clipboard()->setText(QStringLiteral(" not trimmed "));
        Click(Get<QPushButton>("PasteButton"));
        QCOMPARE(Get<QLineEdit>("UrlEdit")->text(), QStringLiteral(" not trimmed "));
        Get<QLineEdit>("UrlEdit")->setText(QStringLiteral("   "));
        Click(Get<QPushButton>("CopyButton"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(" not trimmed "));
        Get<QLineEdit>("UrlEdit")->setText(QStringLiteral("http://b.example"));
        Click(Get<QPushButton>("CopyButton"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("http://b.example"));
    }

    void TreeShowsThePageOfItsNode()
    {
        OpenNew();
        auto *tree = Get<QTreeWidget>("PageTreeView");
        auto *pages = Get<QStackedWidget>("PageNotebook");
        QCOMPARE(tree->topLevelItemCount(), 2);
        QStringList nodes;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *group = tree->topLevelItem(i);
            QVERIFY(group->isExpanded());
            nodes << group->text(0);
            for (int j = 0; j < group->childCount(); ++j)
                nodes << QStringLiteral("  ") + group->child(j)->text(0);
        }
        QCOMPARE(nodes, QStringList({"Task", "  Name and URL", "  Note", "Options", "  General", "  Web site",
                                     "  Scheme"}));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Name and URL"));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("NameAndUrlPage"));

        const struct { const char *node; const char *page; } steps[] = {
            {"Note", "NotePage"}, {"Options", "NotePage"}, {"General", "GeneralPage"},
            {"Web site", "WebSitePage"}, {"Task", "WebSitePage"}, {"Scheme", "SchemeTab"},
        };
        for (const auto &step : steps) {
            SelectPage(QString::fromUtf8(step.node));
            QCOMPARE(pages->currentWidget()->objectName(), QString::fromUtf8(step.page));
        }
        // By keyboard: the tree takes arrows.
        tree->setFocus();
        SelectPage(QStringLiteral("Name and URL"));
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("NotePage"));
    }

    void NewTaskTakesTheDefaultsAndGivesNothingBackOnCancel()
    {
        // OK: the task the dialog describes, with what the defaults hand on.
        QGuiApplication::clipboard()->setText(QStringLiteral("http://a.example/"));
        auto ok = AnswerModal([](QWidget *modal) {
            auto *name = modal->findChild<QLineEdit *>(QStringLiteral("NameEdit"));
            QTest::keyClicks(name, QStringLiteral("site"));
            auto *note = modal->findChild<QPlainTextEdit *>(QStringLiteral("NoteEdit"));
            note->setPlainText(QStringLiteral("two\nlines"));
            Click(modal->findChild<QPushButton *>(QStringLiteral("OkButton")));
        });
        const std::unique_ptr<TTask> task = OpenNewTask(nullptr, Defaults());
        QVERIFY(ok->Fired());
        QVERIFY(task);
        QCOMPARE(task->Name(), QStringLiteral("site"));
        QCOMPARE(task->URL().URI(), QStringLiteral("http://a.example/"));
        QCOMPARE(task->Note(), QStringLiteral("two\nlines"));
        QVERIFY(task->ID().isEmpty());
        QVERIFY(task->FileName().isEmpty());
        const TRegOptions &o = task->Options();
        QCOMPARE(o.DefaultFolder, DefaultFolder() + QStringLiteral("site/"));
        QCOMPARE(o.SeekDeep, 3);
        QCOMPARE(o.ExcludeFiles, QStringList({"spacer.gif"}));
        QCOMPARE(o.Scheme.SchemeType, TRegScheme::stDaily);
        QVERIFY(o.UseProxyServer);
        QCOMPARE(o.ProxyServerAddr, QStringLiteral("proxy.local"));
        QVERIFY(!o.AutoShutDown); // the defaults' own settings stay out

        auto cancel = AnswerModal([](QWidget *modal) {
            Click(modal->findChild<QPushButton *>(QStringLiteral("CancelButton")));
        });
        QVERIFY(!OpenNewTask(nullptr, Defaults(), QStringLiteral("http://b.example")));
        QVERIFY(cancel->Fired());
    }

    void EditTaskKeepsNameAndUrlAndRefusesARunningTask()
    {
        TTask task;
        task.SetName(QStringLiteral("site"));
        task.URL().SetURI(QStringLiteral("a.example")); // not completed: its file says so
        task.SetNote(QStringLiteral("note"));
        task.Options() = Defaults();
        task.Options().DefaultFolder = dir->filePath(QStringLiteral("site/"));
        task.Options().NeedToLogin = true;
        task.Options().LoginUserName = QStringLiteral("me");

        task.SetStopped(false);
        QVERIFY(!OpenEditTask(nullptr, task));
        QCOMPARE(errors->Texts, QStringList({"Sorry, current task is running ... Please stop it and try again."}));
        errors->Texts.clear();
        task.SetStopped(true);

        const QString moved = dir->filePath(QStringLiteral("elsewhere"));
        auto ok = AnswerModal([&](QWidget *modal) {
            QCOMPARE(modal->windowTitle(), QStringLiteral("Edit Task"));
            auto *url = modal->findChild<QLineEdit *>(QStringLiteral("UrlEdit"));
            auto *name = modal->findChild<QLineEdit *>(QStringLiteral("NameEdit"));
            auto *specified = modal->findChild<QCheckBox *>(QStringLiteral("SpecifiedAsUrlCheckBox"));
            QCOMPARE(url->text(), QStringLiteral("a.example"));
            QVERIFY(!url->isEnabled());
            QVERIFY(!specified->isEnabled() && specified->isChecked());
            QCOMPARE(name->text(), QStringLiteral("site"));
            QVERIFY(name->isReadOnly());
            auto *folder = modal->findChild<QLineEdit *>(QStringLiteral("FolderEdit"));
            QCOMPARE(folder->text(), dir->filePath(QStringLiteral("site/")));
            QVERIFY(modal->findChild<QCheckBox *>(QStringLiteral("NeedToLoginCheckBox"))->isChecked());
            QCOMPARE(modal->findChild<QLineEdit *>(QStringLiteral("UserNameEdit"))->text(), QStringLiteral("me"));
            folder->setText(moved);
            Click(modal->findChild<QPushButton *>(QStringLiteral("OkButton")));
        });
        QVERIFY(OpenEditTask(nullptr, task));
        QVERIFY(ok->Fired());
        QCOMPARE(errors->Texts, QStringList());
        // The name stays what it was though the URL was completed.
        QCOMPARE(task.Name(), QStringLiteral("site"));
        QCOMPARE(task.URL().URI(), QStringLiteral("http://a.example"));
        QCOMPARE(task.Options().DefaultFolder, moved + QLatin1Char('/'));
        QVERIFY(QFileInfo(moved).isDir());
        QVERIFY(task.Options().UseProxyServer); // fields the dialog does not show are kept

        // OK without a change still says "save"; Cancel leaves the task.
        auto unchanged = AnswerModal([](QWidget *modal) { Click(modal->findChild<QPushButton *>(QStringLiteral("OkButton"))); });
        QVERIFY(OpenEditTask(nullptr, task));
        const QByteArray before = task.Options().ToBlock();
        auto cancel = AnswerModal([](QWidget *modal) {
            modal->findChild<QLineEdit *>(QStringLiteral("FolderEdit"))->setText(QStringLiteral("/other"));
            Click(modal->findChild<QPushButton *>(QStringLiteral("CancelButton")));
        });
        QVERIFY(!OpenEditTask(nullptr, task));
        QCOMPARE(task.Options().ToBlock(), before);
    }

    void HelpShowsTheNewTaskPage()
    {
        OpenNew();
        Click(Get<QPushButton>("HelpButton"));
        QCOMPARE(errors->Texts, QStringList());
        QVERIFY(HelpWindow());
        QVERIFY(HelpWindow()->Browser()->source().toString().endsWith(
            QStringLiteral("User interface - New Task Window.htm")));
        HelpWindow()->close();
    }

    void EveryFieldIsNamedByItsCaption_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("caption");
        QTest::newRow("url") << "UrlEdit" << "URL Information :";
        QTest::newRow("name") << "NameEdit" << "Filename :";
        QTest::newRow("user") << "UserNameEdit" << "Username :";
        QTest::newRow("password") << "PasswordEdit" << "Password :";
        QTest::newRow("note") << "NoteEdit" << "Enter your task note below :";
        QTest::newRow("save folder") << "FolderEdit" << "Save folder :";
        QTest::newRow("masks") << "MaskListView" << "Image extend names :";
        QTest::newRow("max size") << "MaxSizeEdit" << "Max. size :";
        QTest::newRow("depth") << "SeekDeepTrackBar" << "Seek deep :";
        QTest::newRow("excluded") << "ExcludeListView" << "Exclude file :";
        QTest::newRow("scheme") << "SchemeTypeComboBox" << "Choose a type :";
    }

    void EveryFieldIsNamedByItsCaption()
    {
        QFETCH(QString, field);
        QFETCH(QString, caption);
        form = std::make_unique<TTaskForm>(TTaskForm::TMode::New);
        auto *widget = form->findChild<QWidget *>(field);
        QVERIFY(widget);
        QCOMPARE(CaptionOf(widget), caption);
    }

    void TabFollowsEachPagesReadingOrder_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Name and URL") << "Name and URL"
                                      << QStringList{"UrlEdit", "PasteButton", "CopyButton", "NameEdit",
                                                     "SpecifiedAsUrlCheckBox", "NeedToLoginCheckBox",
                                                     "UserNameEdit", "PasswordEdit"};
        QTest::newRow("Note") << "Note" << QStringList{"NoteEdit"};
        QTest::newRow("General") << "General"
                                 << QStringList{"FolderEdit", "FolderBrowseButton", "MaskListView", "MaskAddButton",
                                                "MaskDeleteButton", "MaskClearButton", "EnableFileLimitCheckBox",
                                                "MaxSizeEdit", "MinSizeEdit"};
        QTest::newRow("Web site") << "Web site"
                                  << QStringList{"SeekDeepTrackBar", "ExcludeListView", "ExcludeAddButton",
                                                 "ExcludeDeleteButton"};
        QTest::newRow("Scheme") << "Scheme" << QStringList{"SchemeTypeComboBox", "SchemeMemo", "SchemeChangeButton"};
    }

    void TabFollowsEachPagesReadingOrder()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, order);
        OpenNew();
        Click(Get<QCheckBox>("NeedToLoginCheckBox"));
        SelectPage(node);
        const QStringList expected = QStringList{"PageTreeView"} + order +
                                     QStringList{"OkButton", "CancelButton", "HelpButton"};
        QCOMPARE(TabOrder(form.get()), expected);
        Get<QTreeWidget>("PageTreeView")->setFocus();
        QStringList walked;
        for (qsizetype i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, expected.mid(1));
    }

    void CaptionLettersMoveTheFocus_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("focused");
        QTest::newRow("url") << "Name and URL" << int(Qt::Key_U) << "UrlEdit";
        QTest::newRow("name") << "Name and URL" << int(Qt::Key_F) << "NameEdit";
        QTest::newRow("user") << "Name and URL" << int(Qt::Key_N) << "UserNameEdit";
        QTest::newRow("password") << "Name and URL" << int(Qt::Key_R) << "PasswordEdit";
        QTest::newRow("note") << "Note" << int(Qt::Key_E) << "NoteEdit";
        QTest::newRow("save folder") << "General" << int(Qt::Key_S) << "FolderEdit";
        QTest::newRow("masks") << "General" << int(Qt::Key_N) << "MaskListView";
        QTest::newRow("min size") << "General" << int(Qt::Key_I) << "MinSizeEdit";
        QTest::newRow("excluded") << "Web site" << int(Qt::Key_X) << "ExcludeListView";
        QTest::newRow("scheme") << "Scheme" << int(Qt::Key_T) << "SchemeTypeComboBox";
    }

    void CaptionLettersMoveTheFocus()
    {
        QFETCH(QString, node);
        QFETCH(int, key);
        QFETCH(QString, focused);
        OpenNew();
        Click(Get<QCheckBox>("NeedToLoginCheckBox"));
        SelectPage(node);
        Get<QPushButton>("HelpButton")->setFocus();
        QTest::keyClick(form.get(), Qt::Key(key), Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), focused);
    }

    void NoTwoCaptionsShareALetter()
    {
        OpenNew();
        for (const char *const node : {"Name and URL", "Note", "General", "Web site", "Scheme"}) {
            SelectPage(QString::fromUtf8(node));
            QStringList letters = MnemonicLetters(form.get());
            letters.sort();
            QStringList repeated;
            for (qsizetype i = 1; i < letters.size(); ++i) {
                if (letters[i] == letters[i - 1])
                    repeated << letters[i];
            }
            // "&Copy to clipboard", "&Clear" and "&Change" are named so, beside "&Cancel".
            const bool besideCancel = qstrcmp(node, "Note") != 0 && qstrcmp(node, "Web site") != 0;
            QCOMPARE(repeated, besideCancel ? QStringList{"c"} : QStringList{});
        }
    }
};

QTEST_MAIN(TTaskFormTest)
#include "TaskForm_qtest.moc"
