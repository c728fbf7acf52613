// The "Default options" dialog with its shared pages, driven as a user does.
#include "EditorTestSupport.h"
#include "support/WidgetTestSupport.h"

#include "engine/OptionFields.h"
#include "engine/RegOptions.h"
#include "settings/ListLimit.h"
#include "settings/Schedule.h"
#include "settings/ui/OptionForm.h"
#include "settings/ui/SchemeForm.h"
#include "widgets/HtmlHelp.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <memory>
#include <type_traits>

namespace {

// A field's value as text, to compare with a table of expected values.
QString FieldText(const TRegOptions &options, const char *name)
{
    QString text;
    FindOptionField(name)->Visit(options, [&](const auto &value) {
        using T = std::remove_cvref_t<decltype(value)>;
        if constexpr (std::is_same_v<T, bool>)
            text = value ? QStringLiteral("true") : QStringLiteral("false");
        else if constexpr (std::is_same_v<T, QString>)
            text = value;
        else if constexpr (std::is_same_v<T, QStringList>)
            text = value.join(QLatin1Char('|'));
        else
            text = QString::number(value);
    });
    return text;
}

QStringList Numbered(const QString &prefix, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << prefix + QString::number(i);
    return list;
}

// Clears a field and types into it.
void Type(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class TOptionFormTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TErrorLog> errors;
    std::unique_ptr<TOptionForm> form;

    template <class T>
    T *Get(const char *name) const
    {
        T *widget = form->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    QString Folder(const QString &name) const { return dir->filePath(name) + QLatin1Char('/'); }

    // Default options with a value of their own in every field the dialog shows.
    TRegOptions Distinctive() const
    {
        TRegOptions o;
        o.DefaultFolder = Folder(QStringLiteral("pictures"));
        o.EnableFileLimit = false;
        o.FileMaxSize = 2048;
        o.FileMinSize = 3;
        o.SeekDeep = 10;
        o.AutoShutDown = true;
        o.UseProxyServer = true;
        o.ProxyServerAddr = QStringLiteral("proxy.local");
        o.ProxyServerPort = 3128;
        o.ProxyLoginUserName = QStringLiteral("me");
        o.ProxyLoginPassword = QStringLiteral("secret");
        o.DefaultLogFolder = Folder(QStringLiteral("logs"));
        o.AutoSaveLog = false;
        o.ProjectPath = Folder(QStringLiteral("projects"));
        o.FileMasks = {QStringLiteral("gif, Saved"), QStringLiteral("jpg, Photos")};
        o.ExcludeFiles = {QStringLiteral("spacer.gif"), QStringLiteral("Counter.JPG")};
        o.Scheme.SchemeType = TRegScheme::stWeekly;
        o.Scheme.SchemeCount = 2;
        o.Scheme.SchemeStartDate = 45000;
        o.Scheme.SchemeStartTime = 0.25;
        return o;
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        errors = std::make_unique<TErrorLog>();
        form = std::make_unique<TOptionForm>();
    }

    void cleanup()
    {
        form.reset();
        errors.reset();
        dir.reset();
    }

    void EveryFieldComesBackAsItWent()
    {
        const TRegOptions source = Distinctive();
        form->LoadOptions(source);
        QCOMPARE(Get<QLineEdit>("FolderEdit")->text(), source.DefaultFolder);
        QCOMPARE(Get<QLineEdit>("MaxSizeEdit")->text(), QStringLiteral("2048"));
        QCOMPARE(Get<QLabel>("SeekDeepLabel")->text(), QStringLiteral("10"));
        QCOMPARE(Get<QLineEdit>("ProxyPortEdit")->text(), QStringLiteral("3128"));
        QCOMPARE(Get<QTableWidget>("MaskListView")->item(1, 1)->text(), QStringLiteral("Photos"));
        QCOMPARE(Get<QTableWidget>("ExcludeListView")->rowCount(), 2);

        TRegOptions back;
        form->SaveOptions(back);
        for (const TOptionField &field : OptionFields()) {
            if (field.Role != TOptionRole::TaskOnly && qstrcmp(field.Name, "DefaultTaskAdded") != 0)
                QCOMPARE(FieldText(back, field.Name), FieldText(source, field.Name));
        }
    }

    void TypedValuesAreConverted_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        const QString tmp = QDir::tempPath();
        QTest::newRow("max size letters") << "MaxSizeEdit" << "big" << "FileMaxSize" << "0";
        QTest::newRow("min size letters") << "MinSizeEdit" << "x1" << "FileMinSize" << "0";
        QTest::newRow("min size with blanks") << "MinSizeEdit" << " 12 " << "FileMinSize" << "12";
        QTest::newRow("negative size") << "MaxSizeEdit" << "-5" << "FileMaxSize" << "-5";
        QTest::newRow("size beyond 32 bits") << "MaxSizeEdit" << "4294967296" << "FileMaxSize" << "0";
        QTest::newRow("port letters") << "ProxyPortEdit" << "http" << "ProxyServerPort" << "80";
        QTest::newRow("port empty") << "ProxyPortEdit" << "" << "ProxyServerPort" << "80";
        QTest::newRow("port") << "ProxyPortEdit" << "8080" << "ProxyServerPort" << "8080";
        QTest::newRow("port out of range kept") << "ProxyPortEdit" << "70000" << "ProxyServerPort" << "70000";
        QTest::newRow("server as typed") << "ProxyServerEdit" << " a b " << "ProxyServerAddr" << " a b ";
        QTest::newRow("folder gets a separator") << "FolderEdit" << tmp << "DefaultFolder" << tmp + "/";
        QTest::newRow("folder keeps its separator") << "FolderEdit" << tmp + "/" << "DefaultFolder" << tmp + "/";
        QTest::newRow("log folder") << "LogFolderEdit" << "/nowhere" << "DefaultLogFolder" << "/nowhere/";
        QTest::newRow("project folder") << "ProjectFolderEdit" << "rel" << "ProjectPath" << "rel/";
        QTest::newRow("empty folder stays empty") << "ProjectFolderEdit" << "" << "ProjectPath" << "";
    }

    void TypedValuesAreConverted()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        form->LoadOptions(Distinctive());
        auto *lineEdit = form->findChild<QLineEdit *>(edit);
        QVERIFY(lineEdit);
        // Disabled or not, a field is copied back.
        lineEdit->setEnabled(true);
        Type(lineEdit, typed);
        TRegOptions back;
        form->SaveOptions(back);
        QCOMPARE(FieldText(back, field.toLatin1().constData()), stored);
    }

    void BoxesEnableTheirFieldsButDisabledOnesAreStillCopied()
    {
        TRegOptions source = Distinctive();
        source.EnableFileLimit = false;
        source.UseProxyServer = false;
        form->LoadOptions(source);
        const QList<QWidget *> sizeFields = {Get<QLineEdit>("MaxSizeEdit"), Get<QLineEdit>("MinSizeEdit")};
        const QList<QWidget *> proxyFields = {Get<QLineEdit>("ProxyServerEdit"), Get<QLineEdit>("ProxyPortEdit"),
                                              Get<QLineEdit>("ProxyUserNameEdit"), Get<QLineEdit>("ProxyPasswordEdit")};
        for (QWidget *field : sizeFields + proxyFields)
            QVERIFY2(!field->isEnabled(), qPrintable(field->objectName()));
        TRegOptions back;
        form->SaveOptions(back);
        QCOMPARE(back.ProxyServerAddr, source.ProxyServerAddr);
        QCOMPARE(back.ProxyLoginPassword, source.ProxyLoginPassword);
        QCOMPARE(back.FileMaxSize, source.FileMaxSize);

        QVERIFY(ShowActive(form.get()));
        Click(Get<QCheckBox>("EnableFileLimitCheckBox"));
        Get<QTabWidget>("PageControl")->setCurrentIndex(3);
        Click(Get<QCheckBox>("UseProxyServerCheckBox"));
        for (QWidget *field : sizeFields + proxyFields)
            QVERIFY2(field->isEnabled(), qPrintable(field->objectName()));
        // Their captions follow them.
        QVERIFY(Get<QLineEdit>("ProxyPortEdit")->isEnabled());
        const QList<QLabel *> labels = form->findChildren<QLabel *>();
        for (QLabel *label : labels) {
            if (label->text() == QStringLiteral("Login account :") || label->text() == QStringLiteral("KB"))
                QVERIFY(label->isEnabled());
        }
    }

    void TrackBarLabelShowsTheDepth_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("stored");
        QTest::newRow("0") << 0 << "0" << 0;
        QTest::newRow("5") << 5 << "5" << 5;
        QTest::newRow("10") << 10 << "10" << 10;
        QTest::newRow("30") << 30 << "30" << 30;
        QTest::newRow("beyond the bar") << 31 << "30" << 30;
        QTest::newRow("negative") << -2 << "0" << 0;
    }

    void TrackBarLabelShowsTheDepth()
    {
        QFETCH(int, depth);
        QFETCH(QString, shown);
        QFETCH(int, stored);
        TRegOptions source = Distinctive();
        source.SeekDeep = depth;
        form->LoadOptions(source);
        QCOMPARE(Get<QLabel>("SeekDeepLabel")->text(), shown);
        TRegOptions back;
        form->SaveOptions(back);
        QCOMPARE(back.SeekDeep, stored);

        Get<QSlider>("SeekDeepTrackBar")->setFocus();
        QTest::keyClick(Get<QSlider>("SeekDeepTrackBar"), Qt::Key_Home);
        QCOMPARE(Get<QLabel>("SeekDeepLabel")->text(), QStringLiteral("0"));
    }

    void MaskRowsComeBackAsTheDialogWritesThem()
    {
        TRegOptions source = Distinctive();
        source.FileMasks = {QStringLiteral("gif, Saved"), QStringLiteral("no comma"), QStringLiteral(" png ,a,b"),
                            QStringLiteral(",Only")};
        form->LoadOptions(source);
        auto *list = Get<QTableWidget>("MaskListView");
        QAbstractItemModelTester tester(list->model());
        QCOMPARE(list->rowCount(), 4);
        QCOMPARE(list->item(1, 0)->text(), QString());
        QCOMPARE(list->item(1, 1)->text(), QString());
        QCOMPARE(list->item(2, 1)->text(), QStringLiteral("a,b"));
        TRegOptions back;
        form->SaveOptions(back);
        QCOMPARE(back.FileMasks, QStringList({"gif, Saved", ", ", "png, a,b", ", Only"}));
    }

    void ListsChangeOnlyThroughTheirButtons()
    {
        form->LoadOptions(Distinctive());
        QVERIFY(ShowActive(form.get()));
        auto *masks = Get<QTableWidget>("MaskListView");
        QCOMPARE(masks->editTriggers(), QAbstractItemView::NoEditTriggers);

        // "&Add": the extension exactly as typed, the folder always "Saved".
        for (const QString &typed : {QStringLiteral(".JPG, x"), QString(), QStringLiteral("gif")}) {
            auto handler = AnswerModal([&](QWidget *modal) {
                QCOMPARE(modal->windowTitle(), QStringLiteral("Add image extend name"));
                auto *folder = modal->findChild<QLineEdit *>(QStringLiteral("FolderEdit"));
                QVERIFY(!folder->isEnabled());
                QCOMPARE(folder->text(), QStringLiteral("Saved"));
                QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("ExtensionEdit")), typed);
                Click(modal->findChild<QPushButton *>(QStringLiteral("OkButton")));
            });
            Click(Get<QPushButton>("MaskAddButton"));
            QVERIFY(handler->Fired());
        }
        // Cancel adds nothing.
        {
            auto handler = AnswerModal([](QWidget *modal) {
                QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("ExtensionEdit")), "bmp");
                Click(modal->findChild<QPushButton *>(QStringLiteral("CancelButton")));
            });
            Click(Get<QPushButton>("MaskAddButton"));
            QVERIFY(handler->Fired());
        }
        TRegOptions back;
        form->SaveOptions(back);
        QCOMPARE(back.FileMasks, QStringList({"gif, Saved", "jpg, Photos", ".JPG, x, Saved", ", Saved", "gif, Saved"}));

        // "&Delete" takes the selected row, and nothing without one.
        masks->clearSelection();
        Click(Get<QPushButton>("MaskDeleteButton"));
        QCOMPARE(masks->rowCount(), 5);
        masks->selectRow(1);
        Click(Get<QPushButton>("MaskDeleteButton"));
        QCOMPARE(masks->rowCount(), 4);
        QCOMPARE(masks->item(1, 0)->text(), QStringLiteral(".JPG, x"));
        Click(Get<QPushButton>("MaskClearButton"));
        QCOMPARE(masks->rowCount(), 0);

        // Excluded names: as typed, blanks included.
        Get<QTabWidget>("PageControl")->setCurrentIndex(1);
        auto handler = AnswerModal([](QWidget *modal) {
            QCOMPARE(modal->windowTitle(), QStringLiteral("Add filename"));
            QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("FileNameEdit")), " a b.gif ");
            Click(modal->findChild<QPushButton *>(QStringLiteral("OkButton")));
        });
        Click(Get<QPushButton>("ExcludeAddButton"));
        QVERIFY(handler->Fired());
        auto *excludes = Get<QTableWidget>("ExcludeListView");
        excludes->selectRow(0);
        Click(Get<QPushButton>("ExcludeDeleteButton"));
        form->SaveOptions(back);
        QCOMPARE(back.ExcludeFiles, QStringList({"Counter.JPG", " a b.gif "}));
        QVERIFY(!form->findChild<QPushButton *>(QStringLiteral("ExcludeClearButton")));
    }

    void FullListRefusesToAdd_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("masks") << 0 << "Mask";
        QTest::newRow("excluded files") << 1 << "Exclude";
    }

    void FullListRefusesToAdd()
    {
        QFETCH(int, page);
        QFETCH(QString, prefix);
        TRegOptions source = Distinctive();
        source.FileMasks = Numbered(QStringLiteral("m, "), int(kMaxListEntries) - 1);
        source.ExcludeFiles = Numbered(QStringLiteral("x"), int(kMaxListEntries) - 1);
        form->LoadOptions(source);
        QVERIFY(ShowActive(form.get()));
        Get<QTabWidget>("PageControl")->setCurrentIndex(page);
        auto *list = form->findChild<QTableWidget *>(prefix + QStringLiteral("ListView"));
        auto *add = form->findChild<QPushButton *>(prefix + QStringLiteral("AddButton"));

        // The 256th entry still fits.
        auto accept = AnswerModal([](QWidget *modal) {
            QTest::keyClicks(modal->findChildren<QLineEdit *>().first(), "last");
            Click(modal->findChild<QPushButton *>(QStringLiteral("OkButton")));
        });
        Click(add);
        QVERIFY(accept->Fired());
        QCOMPARE(list->rowCount(), 256);

        // The next is refused with an explanation; no entry dialog opens.
        QString told;
        auto refuse = AnswerModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            told = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        Click(add);
        QVERIFY(refuse->Fired());
        QCOMPARE(told, kListFullMessage);
        QVERIFY(told.contains(QStringLiteral("256")));
        QCOMPARE(list->rowCount(), 256);
    }

    void OkMakesMissingFoldersInOrderAndReportsAnEmptyOne()
    {
        TRegOptions source = Distinctive();
        source.DefaultFolder = dir->filePath(QStringLiteral("a/b/pictures"));
        source.DefaultLogFolder = dir->filePath(QStringLiteral("c/logs"));
        source.ProjectPath = dir->filePath(QStringLiteral("d/projects"));
        form->LoadOptions(source);
        Click(Get<QPushButton>("OkButton"));
        QCOMPARE(form->result(), int(QDialog::Accepted));
        for (const QString &folder : {source.DefaultFolder, source.DefaultLogFolder, source.ProjectPath})
            QVERIFY2(QFileInfo(folder).isDir(), qPrintable(folder));
        QCOMPARE(errors->Texts, QStringList());

        // An empty log folder: reported, the project folder is not made, and
        // the dialog is accepted with the empty folder.
        TOptionForm second;
        source.DefaultLogFolder.clear();
        source.ProjectPath = dir->filePath(QStringLiteral("e/projects"));
        second.LoadOptions(source);
        Click(second.findChild<QPushButton *>(QStringLiteral("OkButton")));
        QCOMPARE(errors->Texts, QStringList({"Unable to create directory"}));
        QCOMPARE(second.result(), int(QDialog::Accepted));
        QVERIFY(!QFileInfo::exists(source.ProjectPath));
        TRegOptions back;
        second.SaveOptions(back);
        QCOMPARE(back.DefaultLogFolder, QString());
    }

    void BrowsePicksAFolderUnderItsTitle_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("field");
        QTest::newRow("default folder") << 0 << "Folder" << "Default folder" << "DefaultFolder";
        QTest::newRow("log folder") << 4 << "LogFolder" << "Log folder" << "DefaultLogFolder";
        QTest::newRow("project folder") << 5 << "ProjectFolder" << "Project folder" << "ProjectPath";
    }

    void BrowsePicksAFolderUnderItsTitle()
    {
        QFETCH(int, page);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, field);
        const QString start = dir->filePath(QStringLiteral("start"));
        const QString chosen = dir->filePath(QStringLiteral("chosen"));
        QVERIFY(QDir().mkpath(start) && QDir().mkpath(chosen));
        form->LoadOptions(Distinctive());
        QVERIFY(ShowActive(form.get()));
        Get<QTabWidget>("PageControl")->setCurrentIndex(page);
        auto *edit = form->findChild<QLineEdit *>(name + QStringLiteral("Edit"));
        Type(edit, start);

        QString shownTitle;
        QString startedAt;
        auto handler = AnswerModal([&](QWidget *modal) {
            auto *picker = qobject_cast<QFileDialog *>(modal);
            QVERIFY(picker);
            shownTitle = picker->windowTitle();
            startedAt = picker->directory().absolutePath();
            picker->setDirectory(chosen);
            static_cast<QDialog *>(picker)->accept();
        });
        Click(form->findChild<QPushButton *>(name + QStringLiteral("BrowseButton")));
        QVERIFY(handler->Fired());
        QCOMPARE(shownTitle, title);
        QCOMPARE(startedAt, start);
        QCOMPARE(edit->text(), chosen);
        TRegOptions back;
        form->SaveOptions(back);
        QCOMPARE(FieldText(back, field.toLatin1().constData()), chosen + QLatin1Char('/'));

        // Cancel leaves the field alone.
        auto cancel = AnswerModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        Click(form->findChild<QPushButton *>(name + QStringLiteral("BrowseButton")));
        QVERIFY(cancel->Fired());
        QCOMPARE(edit->text(), chosen);
    }

    void OpensOnTheFirstPageWithTheMaskListFocused()
    {
        form->LoadOptions(Distinctive());
        Get<QTabWidget>("PageControl")->setCurrentIndex(3);
        QVERIFY(ShowActive(form.get()));
        QCOMPARE(form->windowTitle(), QStringLiteral("Default options"));
        auto *pages = Get<QTabWidget>("PageControl");
        QCOMPARE(pages->currentIndex(), 0);
        QStringList tabs;
        for (int i = 0; i < pages->count(); ++i)
            tabs << pages->tabText(i);
        QCOMPARE(tabs, QStringList({"General", "Web site", "Scheme", "Proxy", "Logs", "Project"}));
        QCOMPARE(QApplication::focusWidget(), Get<QTableWidget>("MaskListView"));
        // The schedule's description is written when the dialog shows.
        QCOMPARE(Get<QPlainTextEdit>("SchemeMemo")->toPlainText(), Description(Distinctive().Scheme));
        QVERIFY(Get<QPushButton>("OkButton")->isDefault());
    }

    void OpenCopiesBackOnOkOnly()
    {
        TRegOptions options = Distinctive();
        const QByteArray before = options.ToBlock();

        // Cancel after a confirmed "&Change" in the schedule page: nothing changes.
        auto cancelled = AnswerModal([](QWidget *modal) {
            auto *pages = modal->findChild<QTabWidget *>(QStringLiteral("PageControl"));
            pages->setCurrentIndex(2);
            auto scheme = AnswerModal([](QWidget *schemeForm) {
                auto *count = schemeForm->findChild<QSpinBox *>(QStringLiteral("CountSpinBox"));
                count->setValue(77);
                Click(schemeForm->findChild<QPushButton *>(QStringLiteral("OkButton")));
            });
            Click(modal->findChild<QPushButton *>(QStringLiteral("SchemeChangeButton")));
            QVERIFY(scheme->Fired());
            QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("MaxSizeEdit")), "9");
            Click(modal->findChild<QPushButton *>(QStringLiteral("CancelButton")));
        });
        QVERIFY(!OpenOptionForm(nullptr, options));
        QVERIFY(cancelled->Fired());
        QCOMPARE(options.ToBlock(), before);

        // OK: the change reaches the options in memory.
        auto confirmed = AnswerModal([](QWidget *modal) {
            auto *pages = modal->findChild<QTabWidget *>(QStringLiteral("PageControl"));
            pages->setCurrentIndex(2);
            auto scheme = AnswerModal([](QWidget *schemeForm) {
                schemeForm->findChild<QSpinBox *>(QStringLiteral("CountSpinBox"))->setValue(77);
                Click(schemeForm->findChild<QPushButton *>(QStringLiteral("OkButton")));
            });
            Click(modal->findChild<QPushButton *>(QStringLiteral("SchemeChangeButton")));
            QVERIFY(scheme->Fired());
            Click(modal->findChild<QCheckBox *>(QStringLiteral("AutoShutDownCheckBox")));
            Click(modal->findChild<QPushButton *>(QStringLiteral("OkButton")));
        });
        QVERIFY(OpenOptionForm(nullptr, options));
        QVERIFY(confirmed->Fired());
        QCOMPARE(options.Scheme.SchemeCount, 77);
        QVERIFY(!options.AutoShutDown);
        QCOMPARE(options.FileMaxSize, 2048);
    }

    void HelpShowsTheOptionsPage()
    {
        QVERIFY(ShowActive(form.get()));
        Click(Get<QPushButton>("HelpButton"));
        QCOMPARE(errors->Texts, QStringList());
        QVERIFY(HelpWindow());
        QVERIFY(HelpWindow()->Browser()->source().toString().endsWith(
            QStringLiteral("User interface - Default Options Window.htm")));
        QVERIFY(form->isVisible()); // help does not close the dialog
        HelpWindow()->close();
    }

    void EveryFieldIsNamedByItsCaption_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("caption");
        QTest::newRow("default folder") << "FolderEdit" << "Default folder :";
        QTest::newRow("masks") << "MaskListView" << "Default image extend names :";
        QTest::newRow("max size") << "MaxSizeEdit" << "Max. size :";
        QTest::newRow("min size") << "MinSizeEdit" << "Min. size :";
        QTest::newRow("depth") << "SeekDeepTrackBar" << "Seek deep :";
        QTest::newRow("excluded") << "ExcludeListView" << "Exclude file :";
        QTest::newRow("scheme type") << "SchemeTypeComboBox" << "Choose a type :";
        QTest::newRow("proxy server") << "ProxyServerEdit" << "HTTP Server :";
        QTest::newRow("proxy port") << "ProxyPortEdit" << "Port :";
        QTest::newRow("proxy user") << "ProxyUserNameEdit" << "User name :";
        QTest::newRow("proxy password") << "ProxyPasswordEdit" << "Password :";
        QTest::newRow("log folder") << "LogFolderEdit" << "Default log file :";
        QTest::newRow("project folder") << "ProjectFolderEdit" << "Project folder :";
    }

    void EveryFieldIsNamedByItsCaption()
    {
        QFETCH(QString, field);
        QFETCH(QString, caption);
        auto *widget = form->findChild<QWidget *>(field);
        QVERIFY(widget);
        QCOMPARE(CaptionOf(widget), caption);
    }

    void TabFollowsEachPagesReadingOrder_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("General") << 0
                                 << QStringList{"FolderEdit", "FolderBrowseButton", "MaskListView", "MaskAddButton",
                                                "MaskDeleteButton", "MaskClearButton", "EnableFileLimitCheckBox",
                                                "MaxSizeEdit", "MinSizeEdit"};
        QTest::newRow("Web site") << 1
                                  << QStringList{"SeekDeepTrackBar", "ExcludeListView", "ExcludeAddButton",
                                                 "ExcludeDeleteButton"};
        QTest::newRow("Scheme") << 2
                                << QStringList{"SchemeTypeComboBox", "SchemeMemo", "SchemeChangeButton",
                                              "AutoShutDownCheckBox"};
        QTest::newRow("Proxy") << 3
                               << QStringList{"UseProxyServerCheckBox", "ProxyServerEdit", "ProxyPortEdit",
                                              "ProxyUserNameEdit", "ProxyPasswordEdit"};
        QTest::newRow("Logs") << 4 << QStringList{"LogFolderEdit", "LogFolderBrowseButton", "AutoSaveLogCheckBox"};
        QTest::newRow("Project") << 5 << QStringList{"ProjectFolderEdit", "ProjectFolderBrowseButton"};
    }

    void TabFollowsEachPagesReadingOrder()
    {
        QFETCH(int, page);
        QFETCH(QStringList, order);
        form->LoadOptions(Distinctive()); // limit off, proxy on
        QVERIFY(ShowActive(form.get()));
        Click(Get<QCheckBox>("EnableFileLimitCheckBox"));
        auto *pages = Get<QTabWidget>("PageControl");
        pages->setCurrentIndex(page);
        const QStringList expected = QStringList{"qt_tabwidget_tabbar"} + order +
                                     QStringList{"OkButton", "CancelButton", "HelpButton"};
        QCOMPARE(TabOrder(form.get()), expected);

        // Tab itself walks the same way.
        pages->tabBar()->setFocus();
        QStringList walked;
        for (qsizetype i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, expected.mid(1));

        // Wherever Tab stopped on the page, Ctrl+Tab goes on to the next page
        // and Ctrl+Shift+Tab back to the one before.
        const int count = pages->count();
        for (const QString &name : order) {
            for (const auto &[modifiers, step] : {std::pair{Qt::KeyboardModifiers(Qt::ControlModifier), 1},
                                                 std::pair{Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier), count - 1}}) {
                pages->setCurrentIndex(page);
                Get<QWidget>(name.toUtf8().constData())->setFocus();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
                QVERIFY2(pages->currentIndex() == (page + step) % count, qPrintable(name));
            }
        }
    }

    void CaptionLettersMoveTheFocus_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("focused");
        QTest::newRow("default folder") << 0 << int(Qt::Key_F) << "FolderEdit";
        QTest::newRow("masks") << 0 << int(Qt::Key_N) << "MaskListView";
        QTest::newRow("max size") << 0 << int(Qt::Key_M) << "MaxSizeEdit";
        QTest::newRow("min size") << 0 << int(Qt::Key_I) << "MinSizeEdit";
        QTest::newRow("depth") << 1 << int(Qt::Key_S) << "SeekDeepTrackBar";
        QTest::newRow("excluded") << 1 << int(Qt::Key_X) << "ExcludeListView";
        QTest::newRow("scheme type") << 2 << int(Qt::Key_T) << "SchemeTypeComboBox";
        QTest::newRow("proxy server") << 3 << int(Qt::Key_S) << "ProxyServerEdit";
        QTest::newRow("proxy port") << 3 << int(Qt::Key_P) << "ProxyPortEdit";
        QTest::newRow("proxy user") << 3 << int(Qt::Key_N) << "ProxyUserNameEdit";
        QTest::newRow("proxy password") << 3 << int(Qt::Key_W) << "ProxyPasswordEdit";
        QTest::newRow("log folder") << 4 << int(Qt::Key_L) << "LogFolderEdit";
        QTest::newRow("project folder") << 5 << int(Qt::Key_P) << "ProjectFolderEdit";
        QTest::newRow("browse clicks") << 5 << int(Qt::Key_B) << "FolderPicker";
    }

    void CaptionLettersMoveTheFocus()
    {
        QFETCH(int, page);
        QFETCH(int, key);
        QFETCH(QString, focused);
        TRegOptions source = Distinctive();
        source.EnableFileLimit = true;
        form->LoadOptions(source);
        QVERIFY(ShowActive(form.get()));
        Get<QTabWidget>("PageControl")->setCurrentIndex(page);
        Get<QPushButton>("OkButton")->setFocus();
        auto picker = AnswerModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        QTest::keyClick(form.get(), Qt::Key(key), Qt::AltModifier);
        // A button's letter clicks it: "&Browse" opens the picker.
        if (focused == QStringLiteral("FolderPicker"))
            QTRY_VERIFY(picker->Fired());
        else
            QCOMPARE(QApplication::focusWidget()->objectName(), focused);
    }

    void NoTwoCaptionsShareALetter()
    {
        form->LoadOptions(Distinctive());
        QVERIFY(ShowActive(form.get()));
        auto *pages = Get<QTabWidget>("PageControl");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QStringList letters = MnemonicLetters(form.get());
            QStringList repeated;
            letters.sort();
            for (qsizetype i = 1; i < letters.size(); ++i) {
                if (letters[i] == letters[i - 1])
                    repeated << letters[i];
            }
            // "&Clear" and "&Change" are named so, beside "&Cancel".
            const QStringList allowed = page == 0 || page == 2 ? QStringList{"c"} : QStringList{};
            QCOMPARE(repeated, allowed);
        }
    }
};

QTEST_MAIN(TOptionFormTest)
#include "OptionForm_qtest.moc"
