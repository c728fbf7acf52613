#include "app/PictureWindows.h"

#include "app/MainForm.h"
#include "app/TaskTreeCommands.h"
#include "engine/FileNames.h"
#include "engine/Task.h"
#include "images/ui/CopyPictures.h"
#include "images/ui/CopyPicturesForm.h"
#include "images/ui/ImageLibraryForm.h"
#include "images/ui/PicturesPanel.h"
#include "session/DownloadSession.h"
#include "widgets/ErrorReport.h"

#include <QAction>

TPictureWindows::TPictureWindows(TMainForm &form, TTaskTreeCommands &tree)
    : QObject(&form)
    , m_form(form)
    , m_tree(tree)
{
    connect(m_form.Action(TCommandId::TasksCollect), &QAction::triggered, this,
            &TPictureWindows::TasksCollectActionExecute);
    connect(m_form.Action(TCommandId::TasksLibrary), &QAction::triggered, this,
            &TPictureWindows::TasksLibraryActionExecute);
    connect(m_form.PicturesPanel(), &TPicturesPanel::CopyRequested, this,
            [this](const QStringList &files) { CopyPictures(files, false); });
    connect(m_form.PicturesPanel(), &TPicturesPanel::MoveRequested, this,
            [this](const QStringList &files) { CopyPictures(files, true); });
}

void TPictureWindows::TasksCollectActionExecute()
{
    TTask *task = m_tree.SelectedTask();
    if (!task)
        return;
    TCopyPicturesForm collect(&m_form.Session->ImageLibrary(), &m_form);
    collect.SetTask(*task);
    collect.exec();
}

void TPictureWindows::TasksLibraryActionExecute()
{
    TImageLibraryForm library(m_form.Session->ImageLibrary(), &m_form);
    library.exec();
}

void TPictureWindows::CopyPictures(const QStringList &files, bool move)
{
    if (files.isEmpty())
        return;
    const TCopyPicturesResult result = CopyPicturesTo(&m_form, files, move);
    if (!result.Moved.isEmpty()) {
        // The moved pictures' rows go: the list is read again from the folder.
        if (TTask *task = m_tree.SelectedTask())
            m_form.PicturesPanel()->ShowFolder(AddBackslash(task->Options().DefaultFolder) + QStringLiteral("Saved"));
    }
}
