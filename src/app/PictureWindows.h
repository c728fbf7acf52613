#pragma once

#include <QObject>
#include <QStringList>

class TMainForm;
class TTaskTreeCommands;

// The commands that open the picture windows from the main window: "Collect"
// (the selected task's pictures, filtered and copied), "Library" (the whole
// image library), and "Copy to ..." / "Move to ..." on the selected pictures.
class TPictureWindows : public QObject
{
    Q_OBJECT

public:
    TPictureWindows(TMainForm &form, TTaskTreeCommands &tree);

    void TasksCollectActionExecute();
    void TasksLibraryActionExecute();
    void CopyPictures(const QStringList &files, bool move);

private:
    TMainForm &m_form;
    TTaskTreeCommands &m_tree;
};
