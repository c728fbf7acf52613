#include "PicturesTestSupport.h"

#include "images/ImageLibrary.h"
#include "images/ui/ImageScrollBox.h"
#include "images/ui/PictureLoader.h"
#include "images/ui/PicturePane.h"
#include "images/ui/PicturesModel.h"
#include "images/ui/PicturesPanel.h"
#include "images/ui/PicturesSortProxy.h"
#include "images/ui/ViewImageForm.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QThreadPool>
#include <QSpinBox>
#include <QLineEdit>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <atomic>
#include <optional>

namespace {

// The panel in a window that holds the commands, as the main window does.
struct TPanelHost {
    QWidget window;
    TPicturesActions actions = MakePictureActions(&window);
    TPicturesPanel *panel = new TPicturesPanel(&window);
    TImageLibrary library;
    QAbstractItemModelTester modelTester{&panel->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest};
    QAbstractItemModelTester listTester{&panel->SortProxy(), QAbstractItemModelTester::FailureReportingMode::QtTest};

    TPanelHost()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(panel);
        panel->BindActions(actions);
        panel->SetLibrary(&library);
        window.resize(700, 400);
    }
    ~TPanelHost() { panel->SetLibrary(nullptr); }

    QTreeView *List() const { return panel->findChild<QTreeView *>(QStringLiteral("ImagesListView")); }
    TPicturePane *Preview() const { return panel->findChild<TPicturePane *>(QStringLiteral("PreviewPane")); }

    QStringList Names() const
    {
        QStringList names;
        for (const QString &path : panel->ListedFiles())
            names.append(QFileInfo(path).fileName());
        return names;
    }
    int RowOf(const QString &name) const { return int(Names().indexOf(name)); }
    void Select(const QStringList &names) const
    {
        // One change, as a click makes it.
        QItemSelection rows;
        QModelIndex last;
        for (const QString &name : names) {
            last = List()->model()->index(RowOf(name), 0);
            rows.select(last, last);
        }
        List()->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        List()->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
    }
    void AddRecord(const QString &path, int width, int height)
    {
        auto record = std::make_unique<TImageDetail>();
        record->FileName = path;
        record->Width = width;
        record->Height = height;
        library.Add(std::move(record));
    }
};

// A "Saved" folder of small pictures of known sizes.
struct TSavedFolder {
    QTemporaryDir dir;
    QString Path() const { return dir.path() + QStringLiteral("/Saved"); }
    QString File(const QString &name) const { return Path() + QLatin1Char('/') + name; }
    TSavedFolder() { QDir().mkpath(Path()); }
};

bool Exists(const QString &path)
{
    return QFileInfo::exists(path);
}

void ClickOk(QWidget *dialog)
{
    dialog->findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
}

// Holds each decode at a gate until the test lets it through, and notes
// whether any ran on the user-interface thread.
struct TDecodeGate {
    QSemaphore open;
    std::atomic<bool> ranOnUiThread{false};
    std::atomic<int> waiting{0};
    TPictureDecoder previous;
    TDecodeGate()
    {
        QThread *ui = QThread::currentThread();
        previous = SetPictureDecoder([this, ui](const QString &path) {
            if (QThread::currentThread() == ui)
                ranOnUiThread = true;
            ++waiting;
            // Never hangs the test: a decode on the user-interface thread
            // would wait here for a release that cannot come.
            open.tryAcquire(1, 20000);
            return DecodePicture(path);
        });
    }
    ~TDecodeGate()
    {
        open.release(100);
        SetPictureDecoder(previous);
    }
};

} // namespace

class PicturesPanelTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Recorder().Reset();
    }

    void listsTheFolderWithoutPartialDownloads()
    {
        TSavedFolder saved;
        WriteBytes(saved.File(QStringLiteral("a.jpg")), 1500);
        WriteBytes(saved.File(QStringLiteral("a.jpg!!wr")), 10);
        WriteBytes(saved.File(QStringLiteral("a!!wr")), 2048);
        WriteBytes(saved.File(QStringLiteral(".hidden.PNG")), 1000);
        QDir().mkpath(saved.File(QStringLiteral("sub.folder")));
        TPanelHost host;
        host.AddRecord(saved.File(QStringLiteral("a.jpg")), 10, 10);
        host.panel->ShowFolder(saved.Path());

        QStringList names = host.Names();
        names.sort();
        QCOMPARE(names, (QStringList{".hidden.PNG", "a!!wr", "a.jpg", "sub.folder"}));
        const TPicturesModel &model = host.panel->Model();
        QHash<QString, QStringList> rows;
        for (int row = 0; row < model.rowCount(); ++row)
            rows.insert(model.index(row, 0).data().toString(),
                        {model.index(row, 1).data().toString(), model.index(row, 2).data().toString(),
                         model.index(row, 0).data(TPicturesModel::PathRole).toString()});
        QCOMPARE(rows.value("a!!wr"), (QStringList{"", "2 KB", saved.File("a!!wr")}));
        QCOMPARE(rows.value(".hidden.PNG"), (QStringList{".PNG", "0 KB", saved.File(".hidden.PNG")}));
        // A sub-folder is a row of 0 KB; its extension is what follows its dot.
        QCOMPARE(rows.value("sub.folder"), (QStringList{".folder", "0 KB", saved.File("sub.folder")}));
        for (int row = 0; row < model.rowCount(); ++row)
            QVERIFY(!model.index(row, 0).data(Qt::DecorationRole).isNull());

        // Everything listed but what the library knows waits for "Build-in".
        QStringList pending = host.panel->BuildInList();
        pending.sort();
        QCOMPARE(pending, (QStringList{saved.File(".hidden.PNG"), saved.File("a!!wr"), saved.File("sub.folder")}));

        // A folder that does not exist lists nothing.
        host.panel->ShowFolder(saved.File(QStringLiteral("missing")));
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(host.panel->BuildInList().isEmpty());
    }

    void unsortedShowsTheEnumerationOrder()
    {
        TSavedFolder saved;
        for (const char *name : {"c.jpg", "a.jpg", "b.jpg", "d.png"})
            WriteBytes(saved.File(QLatin1String(name)), 10);
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        QStringList enumerated;
        for (const QFileInfo &entry : QDir(saved.Path()).entryInfoList(QDir::Files, QDir::Unsorted))
            enumerated.append(entry.fileName());
        QCOMPARE(host.Names(), enumerated);
    }

    void commandsFollowTheRowsAndTheSelection()
    {
        TSavedFolder saved;
        WriteBytes(saved.File(QStringLiteral("a.jpg")), 10);
        TPanelHost host;
        const TPicturesActions &a = host.actions;
        const auto states = [&a] {
            QString text;
            for (QAction *action : {a.CopyTo, a.MoveTo, a.Delete, a.SetWallpaper, a.DeleteAll, a.DeleteBy, a.BuildIn,
                                    a.OpenFolder, a.Fit, a.Unsort, a.SortByName, a.SortByType, a.SortBySize})
                text += action->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
            return text;
        };
        //                     selected  rows  task  always
        QCOMPARE(states(), QStringLiteral("0000" "000" "0" "11111"));
        host.panel->ShowFolder(saved.Path());
        QCOMPARE(states(), QStringLiteral("0000" "111" "1" "11111"));
        host.Select({QStringLiteral("a.jpg")});
        QCOMPARE(states(), QStringLiteral("1111" "111" "1" "11111"));
        host.List()->selectionModel()->clearSelection();
        QCOMPARE(states(), QStringLiteral("0000" "111" "1" "11111"));
        host.panel->ShowFolder(saved.File(QStringLiteral("empty")));
        QCOMPARE(states(), QStringLiteral("0000" "000" "1" "11111"));
        // A folder node: nothing to act on, and the panel goes away; zoom
        // and order stay the user's to choose.
        host.window.show();
        host.panel->ClearFolder();
        QCOMPARE(states(), QStringLiteral("0000" "000" "0" "11111"));
        QVERIFY(host.panel->isHidden());
        QCOMPARE(host.panel->Model().rowCount(), 0);
        host.panel->ShowFolder(saved.Path());
        QVERIFY(!host.panel->isHidden());
        QCOMPARE(states(), QStringLiteral("0000" "111" "1" "11111"));
        // Rows the engine adds while the task runs count as rows.
        host.panel->ShowFolder(saved.File(QStringLiteral("empty")));
        host.panel->View()->AddPictureRow({saved.File(QStringLiteral("new.jpg")), 5000});
        host.panel->Model().Flush();
        QVERIFY(a.DeleteAll->isEnabled());
    }

    void menuOrdersAndHeaderClicks()
    {
        TSavedFolder saved;
        WriteBytes(saved.File(QStringLiteral("b.jpg")), 10 * 1024);
        WriteBytes(saved.File(QStringLiteral("a.png")), 9 * 1024);
        WriteBytes(saved.File(QStringLiteral("C.gif")), 20 * 1024);
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        host.actions.SortByName->trigger();
        QCOMPARE(host.Names(), (QStringList{"C.gif", "a.png", "b.jpg"}));
        QVERIFY(host.panel->SortProxy().AutoSort());
        // Automatic: a picture saved meanwhile takes its place.
        host.panel->View()->AddPictureRow({saved.File(QStringLiteral("B.jpg")), 1});
        host.panel->Model().Flush();
        QCOMPARE(host.Names(), (QStringList{"B.jpg", "C.gif", "a.png", "b.jpg"}));
        host.actions.Unsort->trigger();
        QVERIFY(!host.panel->SortProxy().AutoSort());
        QCOMPARE(host.Names(), (QStringList{"B.jpg", "C.gif", "a.png", "b.jpg"}));
        host.panel->View()->AddPictureRow({saved.File(QStringLiteral("A.jpg")), 1});
        host.panel->Model().Flush();
        QCOMPARE(host.Names().last(), QStringLiteral("A.jpg"));

        // A click on "Size" checks its order and marks the column; again
        // reverses it.
        QHeaderView *header = host.List()->header();
        host.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        const QPoint sizeHeader(header->sectionViewportPosition(2) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
        QVERIFY(host.actions.SortBySize->isChecked());
        QVERIFY(!host.panel->SortProxy().AutoSort());
        QCOMPARE(host.panel->SortProxy().Mark(2), TPicturesSortProxy::Ascending);
        QCOMPARE(host.Names(), (QStringList{"B.jpg", "A.jpg", "a.png", "b.jpg", "C.gif"}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
        QCOMPARE(host.panel->SortProxy().Mark(2), TPicturesSortProxy::Descending);
        QCOMPARE(host.Names(), (QStringList{"C.gif", "b.jpg", "a.png", "B.jpg", "A.jpg"}));

        // The stored order applied at start chooses the comparison only.
        TPanelHost later;
        later.actions.SortBySize->setChecked(true);
        later.panel->ShowFolder(saved.Path());
        QCOMPARE(later.Names(), (QStringList{"a.png", "b.jpg", "C.gif"}));
        QVERIFY(!later.panel->SortProxy().AutoSort());
    }

    void deleteSelectedAsksFirst()
    {
        TSavedFolder saved;
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            WriteBytes(saved.File(QLatin1String(name)), 10);
        QDir().mkpath(saved.File(QStringLiteral("sub")));
        TPanelHost host;
        host.AddRecord(saved.File(QStringLiteral("a.jpg")), 1, 1);
        host.panel->ShowFolder(saved.Path());
        host.Select({QStringLiteral("a.jpg"), QStringLiteral("c.jpg"), QStringLiteral("sub")});
        {
            TBoxAnswer cancel(QMessageBox::Cancel);
            host.actions.Delete->trigger();
            QVERIFY(cancel.Fired());
            QCOMPARE(cancel.Text(), QStringLiteral("Do you want to delete selected images ?"));
            QCOMPARE(cancel.Caption(), QStringLiteral("Question"));
        }
        QCOMPARE(host.panel->Model().rowCount(), 4);
        QVERIFY(Exists(saved.File(QStringLiteral("a.jpg"))));
        TBoxAnswer ok(QMessageBox::Ok);
        host.actions.Delete->trigger();
        QVERIFY(ok.Fired());
        QVERIFY(!Exists(saved.File(QStringLiteral("a.jpg"))));
        QVERIFY(!Exists(saved.File(QStringLiteral("c.jpg"))));
        // A row whose file stays (a folder is not deleted) stays too.
        QStringList names = host.Names();
        names.sort();
        QCOMPARE(names, (QStringList{"b.jpg", "sub"}));
        // The library keeps its records.
        QVERIFY(host.library.Find(saved.File(QStringLiteral("a.jpg"))));
    }

    void deleteAllAsksYesOrNo()
    {
        TSavedFolder saved;
        for (const char *name : {"a.jpg", "b.jpg"})
            WriteBytes(saved.File(QLatin1String(name)), 10);
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        {
            TBoxAnswer no(QMessageBox::No);
            host.actions.DeleteAll->trigger();
            QCOMPARE(no.Text(), QStringLiteral("Delete all downloaded files ?"));
        }
        QCOMPARE(host.panel->Model().rowCount(), 2);
        TBoxAnswer yes(QMessageBox::Yes);
        host.actions.DeleteAll->trigger();
        QVERIFY(yes.Fired());
        QCOMPARE(host.panel->Model().rowCount(), 0);
        QVERIFY(QDir(saved.Path()).isEmpty());
        QVERIFY(!host.actions.DeleteAll->isEnabled());
    }

    void deleteByRules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("unchecked");
        QTest::addColumn<QStringList>("deleted");
        // small.jpg 100x100, big.jpg 400x400, broken.jpg -1x-1 in the library;
        // unknown.jpg has no record. Sizes: 11263 and 11264 bytes, ...
        QTest::newRow("image size under 300 x 300")
            << "ImageSizeButton" << QStringList{"300", "300"} << QStringList{} << QStringList{"broken.jpg", "small.jpg"};
        QTest::newRow("image size, strictly less") << "ImageSizeButton" << QStringList{"100", "400"}
                                                   << QStringList{} << QStringList{"broken.jpg"};
        QTest::newRow("file size 10 KB and smaller")
            << "FileSizeButton" << QStringList{"10"} << QStringList{} << QStringList{"broken.jpg", "small.jpg", "unknown.jpg"};
        QTest::newRow("file size, not a number is 0") << "FileSizeButton" << QStringList{"ten"} << QStringList{}
                                                      << QStringList{"unknown.jpg"};
        QTest::newRow("filter, also files not listed")
            << "FileFilterButton" << QStringList{"*.JPG"} << QStringList{}
            << QStringList{"big.jpg", "broken.jpg", "late.jpg", "small.jpg", "unknown.jpg"};
        QTest::newRow("unchecked files stay") << "FileFilterButton" << QStringList{"b*.jpg"}
                                              << QStringList{"big.jpg"} << QStringList{"broken.jpg"};
    }
    void deleteByRules()
    {
        QFETCH(QStringList, deleted);
        QFETCH(QString, rule);
        QFETCH(QStringList, settings);
        QFETCH(QStringList, unchecked);
        TSavedFolder saved;
        WriteBytes(saved.File("small.jpg"), 11263); // 10 KB
        WriteBytes(saved.File("big.jpg"), 11264);   // 11 KB
        WriteBytes(saved.File("broken.jpg"), 5000);
        WriteBytes(saved.File("unknown.jpg"), 10);
        TPanelHost host;
        host.AddRecord(saved.File("small.jpg"), 100, 100);
        host.AddRecord(saved.File("big.jpg"), 400, 400);
        host.AddRecord(saved.File("broken.jpg"), -1, -1);
        host.panel->ShowFolder(saved.Path());
        // Saved after the list was filled: only the filter finds it.
        WriteBytes(saved.File("late.jpg"), 10);
        WriteBytes(saved.File("part.jpg!!wr"), 10);

        QStringList offered;
        QStringList titles;
        std::unique_ptr<TModalHandler> confirm;
        TModalHandler chooseRule([&](QWidget *form) {
            titles.append(form->windowTitle());
            form->findChild<QRadioButton *>(rule)->click();
            if (rule == QLatin1String("ImageSizeButton")) {
                form->findChild<QSpinBox *>(QStringLiteral("WidthEdit"))->setValue(settings.at(0).toInt());
                form->findChild<QSpinBox *>(QStringLiteral("HeightEdit"))->setValue(settings.at(1).toInt());
            } else if (rule == QLatin1String("FileSizeButton")) {
                form->findChild<QLineEdit *>(QStringLiteral("SizeEdit"))->setText(settings.at(0));
            } else {
                form->findChild<QLineEdit *>(QStringLiteral("FilterEdit"))->setText(settings.at(0));
            }
            // Armed only now, so that it answers the second dialog.
            confirm = std::make_unique<TModalHandler>([&](QWidget *dialog) {
                titles.append(dialog->windowTitle());
                auto *files = dialog->findChild<QTreeWidget *>(QStringLiteral("FilesListView"));
                for (int i = 0; i < files->topLevelItemCount(); ++i) {
                    QTreeWidgetItem *item = files->topLevelItem(i);
                    offered.append(item->text(0));
                    if (unchecked.contains(item->text(0)))
                        item->setCheckState(0, Qt::Unchecked);
                }
                ClickOk(dialog);
            });
            ClickOk(form);
        });
        host.actions.DeleteBy->trigger();
        QVERIFY(chooseRule.Fired());
        QCOMPARE(titles, (QStringList{"Delete by ...", "Confirm images delete action"}));

        QStringList expectedOffer = deleted + unchecked;
        expectedOffer.sort();
        offered.sort();
        QCOMPARE(offered, expectedOffer);
        for (const char *name : {"small.jpg", "big.jpg", "broken.jpg", "unknown.jpg", "late.jpg"})
            QCOMPARE(Exists(saved.File(name)), !deleted.contains(name));
        QVERIFY(Exists(saved.File("part.jpg!!wr")));
        for (const char *name : {"small.jpg", "big.jpg", "broken.jpg", "unknown.jpg"})
            QCOMPARE(host.RowOf(name) >= 0, !deleted.contains(name));
    }

    void openFolderAsksTheDesktop()
    {
        TSavedFolder saved;
        TErrorLog errors;
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        host.actions.OpenFolder->trigger();
        QCOMPARE(Recorder().OpenedUrls, QList<QUrl>{QUrl::fromLocalFile(saved.Path())});
        QVERIFY(errors.Texts.isEmpty());
        host.panel->ShowFolder(saved.File(QStringLiteral("not yet")));
        host.actions.OpenFolder->trigger();
        QCOMPARE(Recorder().OpenedUrls.size(), 1);
        QCOMPARE(errors.Texts.size(), 1);
        QVERIFY(errors.Texts.at(0).contains(saved.File(QStringLiteral("not yet"))));
    }

    void copyAndMoveHandTheSelectedFilesOn()
    {
        TSavedFolder saved;
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            WriteBytes(saved.File(QLatin1String(name)), 10);
        TPanelHost host;
        host.actions.SortByName->trigger();
        host.panel->ShowFolder(saved.Path());
        QSignalSpy copies(host.panel, &TPicturesPanel::CopyRequested);
        QSignalSpy moves(host.panel, &TPicturesPanel::MoveRequested);
        host.Select({QStringLiteral("c.jpg"), QStringLiteral("a.jpg")});
        host.actions.CopyTo->trigger();
        host.actions.MoveTo->trigger();
        const QStringList inListOrder{saved.File("a.jpg"), saved.File("c.jpg")};
        QCOMPARE(copies.value(0).value(0).toStringList(), inListOrder);
        QCOMPARE(moves.value(0).value(0).toStringList(), inListOrder);
        // The mover removes the rows of what it moved.
        host.panel->RemoveFileRows({saved.File("c.jpg"), saved.File("elsewhere.jpg")});
        QCOMPARE(host.Names(), (QStringList{"a.jpg", "b.jpg"}));
    }

    void buildInMeasuresTheUnknownPictures()
    {
        TSavedFolder saved;
        WritePicture(saved.File("a.png"), 30, 20);
        WritePicture(saved.File("b.jpg"), 12, 34);
        WriteGif(saved.File("c.gif"), 7, 9, 2);
        WriteBytes(saved.File("d.jpg"), 100); // not a picture
        TPanelHost host;
        host.AddRecord(saved.File("a.png"), 30, 20);
        host.panel->ShowFolder(saved.Path());
        QCOMPARE(host.panel->BuildInList().size(), 3);
        QSignalSpy progress(host.panel, &TPicturesPanel::Progress);
        {
            TBoxAnswer no(QMessageBox::No);
            host.actions.BuildIn->trigger();
            QCOMPARE(no.Text(), QStringLiteral("Do you want to build-in these images? It will take a few minutes."));
        }
        QCOMPARE(host.panel->BuildInList().size(), 3);
        QCOMPARE(progress.count(), 0);
        TBoxAnswer yes(QMessageBox::Yes);
        host.actions.BuildIn->trigger();
        QVERIFY(host.panel->BuildingIn());
        QVERIFY(!host.actions.BuildIn->isEnabled());
        QTRY_VERIFY(!host.panel->BuildingIn());
        QVERIFY(host.actions.BuildIn->isEnabled());
        QCOMPARE(host.library.Count(), 4);
        const TImageDetail *gif = host.library.Find(saved.File("c.gif"));
        QVERIFY(gif);
        QCOMPARE(QSize(gif->Width, gif->Height), QSize(7, 9));
        QCOMPARE(host.library.Find(saved.File("d.jpg"))->Width, -1);
        QCOMPARE(host.library.Find(saved.File("b.jpg"))->Height, 34);
        QList<QPair<int, int>> steps;
        for (const QList<QVariant> &step : std::as_const(progress))
            steps.append({step.at(0).toInt(), step.at(1).toInt()});
        QCOMPARE(steps, (QList<QPair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 0}}));
        // The rows stay; a second build-in has nothing to do.
        QCOMPARE(host.panel->Model().rowCount(), 4);
        TBoxAnswer info(QMessageBox::Ok);
        host.actions.BuildIn->trigger();
        QCOMPARE(info.Text(), QStringLiteral("No image need to build-in library!"));
        QCOMPARE(info.Caption(), QStringLiteral("Information"));
    }

    void buildInStopsAtAFileThatIsGone_data()
    {
        QTest::addColumn<bool>("messageBox");
        QTest::newRow("error reporter") << false;
        // The real box runs an event loop of its own while the job ends.
        QTest::newRow("message box") << true;
    }
    void buildInStopsAtAFileThatIsGone()
    {
        QFETCH(bool, messageBox);
        TSavedFolder saved;
        for (const char *name : {"a.png", "b.png", "c.png"})
            WritePicture(saved.File(QLatin1String(name)), 5, 5);
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        // Pending in the order the folder listed them; the second goes away
        // behind the list's back.
        const QStringList pending = host.panel->BuildInList();
        QCOMPARE(pending.size(), 3);
        QVERIFY(QFile::remove(pending.at(1)));
        std::optional<TErrorLog> errors;
        if (!messageBox)
            errors.emplace();
        QString errorText;
        QString errorCaption;
        std::unique_ptr<TModalHandler> errorBox;
        TModalHandler yes([&](QWidget *question) {
            if (messageBox) {
                errorBox = std::make_unique<TModalHandler>([&](QWidget *modal) {
                    auto *box = static_cast<QMessageBox *>(modal);
                    errorText = box->text();
                    errorCaption = box->windowTitle();
                    // The box stays, as for a user reading it, until the job
                    // is over and put away by the box's own event loop; the
                    // panel must not be inside the job's pieces then.
                    auto *poll = new QTimer(box);
                    QObject::connect(poll, &QTimer::timeout, box, [&host, box, poll] {
                        if (host.panel->BuildingIn())
                            return;
                        poll->stop();
                        QTimer::singleShot(20, box, [box] { box->button(QMessageBox::Ok)->click(); });
                    });
                    poll->start(10);
                });
            }
            static_cast<QMessageBox *>(question)->button(QMessageBox::Yes)->click();
        });
        host.actions.BuildIn->trigger();
        QTRY_VERIFY(!host.panel->BuildingIn());
        if (messageBox) {
            QTRY_VERIFY(errorBox->Fired());
            QCOMPARE(errorCaption, QStringLiteral("Error"));
        } else {
            QTRY_COMPARE(errors->Texts.size(), 1);
            errorText = errors->Texts.at(0);
        }
        QVERIFY(errorText.contains(pending.at(1)));
        QVERIFY(host.library.Find(pending.at(0)));
        QVERIFY(!host.library.Find(pending.at(2)));
        QVERIFY(host.panel->BuildInList().isEmpty());
        QVERIFY(host.actions.BuildIn->isEnabled());
    }

    void picturesDeletedHereNoLongerWaitForBuildIn()
    {
        TSavedFolder saved;
        for (const char *name : {"a.png", "b.png"})
            WritePicture(saved.File(QLatin1String(name)), 5, 5);
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        host.Select({QStringLiteral("a.png")});
        {
            TBoxAnswer ok(QMessageBox::Ok);
            host.actions.Delete->trigger();
        }
        host.panel->RemoveFileRows({saved.File("b.png")});
        QVERIFY(host.panel->BuildInList().isEmpty());
    }

    void previewFollowsTheGifRule()
    {
        TSavedFolder saved;
        WritePicture(saved.File("a.png"), 40, 30);
        WriteGif(saved.File("b.GIF "), 17, 13, 3);
        WriteBytes(saved.File("c.jpg"), 50); // undecodable
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        TPicturePane *pane = host.Preview();
        QSignalSpy shown(pane, &TPicturePane::PictureShown);

        host.Select({QStringLiteral("a.png")});
        QVERIFY(shown.wait());
        QCOMPARE(pane->ScrollBox()->Picture().size(), QSize(40, 30));
        QVERIFY(!pane->ShowsGif());
        QVERIFY(pane->GifImage()->isHidden());

        // A ".gif" (trimmed, any case) shows its first frame, still.
        host.Select({QStringLiteral("b.GIF ")});
        QVERIFY(shown.wait());
        QVERIFY(pane->ShowsGif());
        QVERIFY(pane->ScrollBox()->isHidden());
        QVERIFY(!pane->GifImage()->isHidden());
        QCOMPARE(pane->GifImage()->size(), QSize(17, 13));
        QCOMPARE(pane->ShownPicture().size(), QSize(17, 13));

        // A file that does not decode leaves the previous picture.
        host.Select({QStringLiteral("a.png")});
        QVERIFY(shown.wait());
        host.Select({QStringLiteral("c.jpg")});
        QVERIFY(shown.wait());
        QCOMPARE(shown.last().at(1).toBool(), false);
        QCOMPARE(pane->ScrollBox()->Picture().size(), QSize(40, 30));
        QCOMPARE(pane->ShownPath(), saved.File("a.png"));

        // No selection: an empty view.
        host.List()->selectionModel()->clearSelection();
        QVERIFY(pane->ScrollBox()->Empty());
        QVERIFY(pane->ShownPath().isEmpty());
    }

    void zoomFitsThePreview()
    {
        TPanelHost host;
        TImageScrollBox *view = host.Preview()->ScrollBox();
        QCOMPARE(view->ZoomMode(), zmOriginalSize);
        host.actions.Fit->trigger();
        QCOMPARE(view->ZoomMode(), zmFitToPage);
        host.actions.Fit->trigger();
        QCOMPARE(view->ZoomMode(), zmOriginalSize);
        // Stored as checked: the preview fits from the start.
        TPanelHost stored;
        stored.actions.Fit->setChecked(true);
        QCOMPARE(stored.Preview()->ScrollBox()->ZoomMode(), zmFitToPage);
        QWidget other;
        TPicturesActions fitted = MakePictureActions(&other);
        fitted.Fit->setChecked(true);
        TPicturesPanel panel;
        panel.BindActions(fitted);
        QCOMPARE(panel.findChild<TImageScrollBox *>()->ZoomMode(), zmFitToPage);
    }

    void theWindowTurnsWhileALargePictureDecodes()
    {
        TSavedFolder saved;
        WritePicture(saved.File("large.jpg"), 4000, 3000);
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        TDecodeGate gate;
        QSignalSpy shown(host.Preview(), &TPicturePane::PictureShown);
        host.Select({QStringLiteral("large.jpg")});
        bool posted = false;
        QMetaObject::invokeMethod(qApp, [&posted] { posted = true; }, Qt::QueuedConnection);
        // The posted call runs while the decode still waits at the gate.
        QTRY_VERIFY(posted);
        QVERIFY(host.Preview()->Loading());
        QCOMPARE(shown.count(), 0);
        gate.open.release();
        QVERIFY(shown.wait(20000));
        QCOMPARE(host.Preview()->ScrollBox()->Picture().size(), QSize(4000, 3000));
        QVERIFY(!gate.ranOnUiThread);
    }

    void theNewestSelectionWins()
    {
        TSavedFolder saved;
        WritePicture(saved.File("a.png"), 10, 10);
        WritePicture(saved.File("b.png"), 20, 20);
        TPanelHost host;
        host.panel->ShowFolder(saved.Path());
        TDecodeGate gate;
        QSignalSpy shown(host.Preview(), &TPicturePane::PictureShown);
        host.Select({QStringLiteral("a.png")});
        QTRY_COMPARE(gate.waiting.load(), 1);
        host.Select({QStringLiteral("b.png")});
        gate.open.release(2);
        QVERIFY(shown.wait());
        // Both decodes are over and their results delivered: only one shows.
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.at(0).at(0).toString(), saved.File("b.png"));
        QCOMPARE(host.Preview()->ScrollBox()->Picture().size(), QSize(20, 20));
    }

    void enterAndDoubleClickOpenTheViewer_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("Enter") << true;
        QTest::newRow("double click") << false;
    }
    void enterAndDoubleClickOpenTheViewer()
    {
        QFETCH(bool, byEnter);
        TSavedFolder saved;
        for (const char *name : {"c.png", "a.png", "b.png"})
            WritePicture(saved.File(QLatin1String(name)), 8, 8);
        TPanelHost host;
        host.actions.SortByName->trigger();
        host.panel->ShowFolder(saved.Path());
        host.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        host.Select({QStringLiteral("b.png")});
        QStringList paths;
        int index = -2;
        TModalHandler viewer([&](QWidget *modal) {
            auto *form = qobject_cast<TViewImageForm *>(modal);
            QVERIFY(form);
            paths = form->PathList();
            index = form->CurrentIndex();
            QCOMPARE(form->CurrentPath(), saved.File("b.png"));
            QTest::keyClick(form, Qt::Key_Escape);
        });
        if (byEnter) {
            host.List()->setFocus();
            QTest::keyClick(host.List(), Qt::Key_Return);
        } else {
            const QRect row = host.List()->visualRect(host.List()->model()->index(1, 0));
            // A double click is a click, then a second press that reads as a
            // double click.
            QTest::mouseClick(host.List()->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseDClick(host.List()->viewport(), Qt::LeftButton, {}, row.center());
        }
        QVERIFY(viewer.Fired());
        QCOMPARE(paths, (QStringList{saved.File("a.png"), saved.File("b.png"), saved.File("c.png")}));
        QCOMPARE(index, 1);
    }
};

QTEST_MAIN(PicturesPanelTest)
#include "PicturesPanel_qtest.moc"
