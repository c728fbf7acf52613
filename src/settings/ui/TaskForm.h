#pragma once

#include "settings/TaskEntry.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TGeneralPage;
class TRegOptions;
class TSchemePage;
class TTask;
class TWebSitePage;

// The task dialog, "New Task" or "Edit Task": a tree of pages on the left
// ("Task": "Name and URL", "Note"; "Options": "General", "Web site",
// "Scheme"), the page on the right, "&OK", "&Cancel" and "&Help" below.
//
// While "Specified as URL address" is ticked the name follows the URL (see
// NameFromUrl); the save folder follows the name (the folder shown when the
// dialog opened + the name). The URL is completed when its field is left and
// on OK. OK checks the task as ConfirmTaskEntry does and stays open with the
// fault's message when it fails. The main window uses the dialog through
// OpenNewTask and OpenEditTask below.
class TTaskForm : public QDialog
{
    Q_OBJECT

public:
    enum class TMode { New, Edit };

    explicit TTaskForm(TMode mode, QWidget *parent = nullptr);

    // A link handed over by the browser: it goes into the URL field (so the
    // name follows it) and the clipboard is not read when the dialog opens.
    // New tasks only, before LoadEntry.
    void HandUrl(const QString &url);
    // Fills the dialog. Edit: the URL (whose field and name box are then
    // disabled), the name and note, every option page and the login. New:
    // the option pages and the login; the URL and name are the user's.
    void LoadEntry(const TTaskEntry &entry);
    // The confirmed entry after OK: what LoadEntry had, with the dialog's
    // fields copied back and the URL completed.
    const TTaskEntry &Entry() const { return m_entry; }

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *MakeNameAndUrlPage();
    QWidget *MakeNotePage();
    void MakeNavigation();
    void AddPage(QTreeWidgetItem *group, const QString &name, QWidget *page);
    void NodeChanged(QTreeWidgetItem *node);
    void UrlChanged();
    void SpecifiedChanged();
    void NameChanged();
    void LoginChanged();
    void CompleteUrlField();
    TTaskEntry CopyBack() const;

    TMode m_mode;
    TTaskEntry m_entry;
    bool m_readClipboard = true;
    bool m_shown = false;
    QString m_baseFolder;

    QTreeWidget *m_tree = nullptr;
    QStackedWidget *m_pages = nullptr;
    QLineEdit *m_url = nullptr;
    QLineEdit *m_name = nullptr;
    QCheckBox *m_specified = nullptr;
    QCheckBox *m_needLogin = nullptr;
    QLineEdit *m_userName = nullptr;
    QLineEdit *m_password = nullptr;
    QList<QWidget *> m_loginControls;
    QPlainTextEdit *m_note = nullptr;
    TGeneralPage *m_general = nullptr;
    TWebSitePage *m_webSite = nullptr;
    TSchemePage *m_scheme = nullptr;
};

// The message that refuses to edit a running task.
inline const QString kTaskRunningMessage =
    QStringLiteral("Sorry, current task is running ... Please stop it and try again.");

// Opens "New Task" filled from the default options. With a non-empty
// `browserUrl` the address is handed in and the clipboard is not read;
// otherwise a web address in the clipboard is offered. On OK returns the new
// task made from the dialog (see MakeNewTask: its save folder exists, its ID
// and file name are not yet given); on Cancel null.
std::unique_ptr<TTask> OpenNewTask(QWidget *parent, const TRegOptions &defaults, const QString &browserUrl = {});

// Refuses a running task with kTaskRunningMessage (an error box) and returns
// false. Otherwise opens "Edit Task" on the task; on OK copies the dialog
// back into `task` and returns true (the caller saves it, changed or not); on
// Cancel the task is unchanged and the result is false.
bool OpenEditTask(QWidget *parent, TTask &task);
