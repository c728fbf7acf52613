#include "settings/ui/TaskForm.h"

#include "engine/Task.h"
#include "settings/TaskNaming.h"
#include "settings/ui/DialogButtons.h"
#include "settings/ui/EditorLayout.h"
#include "settings/ui/FolderField.h"
#include "settings/ui/OptionPages.h"
#include "settings/ui/SchemePage.h"
#include "widgets/ErrorReport.h"
#include "widgets/HtmlHelp.h"
#include "widgets/SideButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPageRole = Qt::UserRole;

QLineEdit *LineEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

} // namespace

TTaskForm::TTaskForm(TMode mode, QWidget *parent)
    : QDialog(parent)
    , m_mode(mode)
{
    setObjectName(QStringLiteral("TaskForm"));
    setWindowTitle(mode == TMode::New ? QStringLiteral("New Task") : QStringLiteral("Edit Task"));

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("PageTreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setAccessibleName(QStringLiteral("Pages"));
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("PageNotebook"));

    MakeNavigation();

    auto *body = new QHBoxLayout;
    body->addWidget(m_tree);
    body->addWidget(m_pages, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(EditorButtons(this, kHelpTopicNewTask));
    resize(620, 460);

    // The rules that tie the fields together, once every page exists.
    connect(m_url, &QLineEdit::textChanged, this, &TTaskForm::UrlChanged);
    connect(m_name, &QLineEdit::textChanged, this, &TTaskForm::NameChanged);
    connect(m_specified, &QCheckBox::toggled, this, &TTaskForm::SpecifiedChanged);
    connect(m_needLogin, &QCheckBox::toggled, this, &TTaskForm::LoginChanged);
    m_specified->setChecked(true);
    SpecifiedChanged();
    LoginChanged();
    // The General page of a task starts with the limit on, as the defaults
    // have it.
    m_general->SetSizeLimit(true, QStringLiteral("10240"), QStringLiteral("10"));
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &TTaskForm::NodeChanged);
    m_tree->expandAll();
    // Wide enough for its longest page name in the user's font and scale.
    m_tree->resizeColumnToContents(0);
    m_tree->setFixedWidth(qMax(140, m_tree->columnWidth(0) + 2 * m_tree->frameWidth() + 8));
    m_tree->setCurrentItem(m_tree->topLevelItem(0)->child(0));
}

void TTaskForm::MakeNavigation()
{
    auto *task = new QTreeWidgetItem(m_tree, {QStringLiteral("Task")});
    task->setData(0, kPageRole, -1);
    AddPage(task, QStringLiteral("Name and URL"), MakeNameAndUrlPage());
    AddPage(task, QStringLiteral("Note"), MakeNotePage());

    auto *options = new QTreeWidgetItem(m_tree, {QStringLiteral("Options")});
    options->setData(0, kPageRole, -1);
    m_general = new TGeneralPage(QStringLiteral("&Save folder :"), QStringLiteral("Image extend &names :"), m_pages);
    m_general->setObjectName(QStringLiteral("GeneralPage"));
    AddPage(options, QStringLiteral("General"), m_general);
    m_webSite = new TWebSitePage(m_pages);
    m_webSite->setObjectName(QStringLiteral("WebSitePage"));
    AddPage(options, QStringLiteral("Web site"), m_webSite);
    auto *schemeTab = new QWidget(m_pages);
    schemeTab->setObjectName(QStringLiteral("SchemeTab"));
    m_scheme = new TSchemePage(schemeTab);
    m_scheme->setObjectName(QStringLiteral("SchemePage"));
    auto *schemeLayout = new QVBoxLayout(schemeTab);
    schemeLayout->addWidget(m_scheme);
    schemeLayout->addStretch(1);
    AddPage(options, QStringLiteral("Scheme"), schemeTab);
}

void TTaskForm::AddPage(QTreeWidgetItem *group, const QString &name, QWidget *page)
{
    auto *node = new QTreeWidgetItem(group, {name});
    node->setData(0, kPageRole, m_pages->addWidget(page));
}

QWidget *TTaskForm::MakeNameAndUrlPage()
{
    auto *page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("NameAndUrlPage"));

    m_url = LineEdit(QStringLiteral("UrlEdit"), page);
    m_url->installEventFilter(this);
    auto *paste = SideButton(QStringLiteral("&Paste"), QStringLiteral("PasteButton"), page);
    auto *copy = SideButton(QStringLiteral("&Copy to clipboard"), QStringLiteral("CopyButton"), page);
    m_name = LineEdit(QStringLiteral("NameEdit"), page);
    m_specified = new QCheckBox(QStringLiteral("&Specified as URL address"), page);
    m_specified->setObjectName(QStringLiteral("SpecifiedAsUrlCheckBox"));

    auto *login = new QGroupBox(QStringLiteral("Login :"), page);
    m_needLogin = new QCheckBox(QStringLiteral("This &website need username and password to login"), login);
    m_needLogin->setObjectName(QStringLiteral("NeedToLoginCheckBox"));
    m_userName = LineEdit(QStringLiteral("UserNameEdit"), login);
    m_password = LineEdit(QStringLiteral("PasswordEdit"), login);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    auto *userCaption = FieldCaption(QStringLiteral("User&name :"), m_userName, login);
    auto *passwordCaption = FieldCaption(QStringLiteral("Passwo&rd :"), m_password, login);
    m_loginControls = {userCaption, m_userName, passwordCaption, m_password};
    auto *loginLayout = new QGridLayout(login);
    loginLayout->addWidget(m_needLogin, 0, 0, 1, 2);
    loginLayout->addWidget(userCaption, 1, 0);
    loginLayout->addWidget(m_userName, 1, 1);
    loginLayout->addWidget(passwordCaption, 2, 0);
    loginLayout->addWidget(m_password, 2, 1);

    auto *layout = new QGridLayout(page);
    layout->addWidget(FieldCaption(QStringLiteral("&URL Information :"), m_url, page), 0, 0, 1, 3);
    layout->addWidget(m_url, 1, 0, 1, 3);
    layout->addWidget(paste, 2, 1);
    layout->addWidget(copy, 2, 2);
    layout->addWidget(FieldCaption(QStringLiteral("&Filename :"), m_name, page), 3, 0, 1, 3);
    layout->addWidget(m_name, 4, 0, 1, 3);
    layout->addWidget(m_specified, 5, 0, 1, 3);
    layout->addWidget(login, 6, 0, 1, 3);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(7, 1);

    connect(paste, &QPushButton::clicked, this, [this] { m_url->setText(QGuiApplication::clipboard()->text()); });
    connect(copy, &QPushButton::clicked, this, [this] {
        if (!m_url->text().trimmed().isEmpty())
            QGuiApplication::clipboard()->setText(m_url->text());
    });
    return page;
}

QWidget *TTaskForm::MakeNotePage()
{
    auto *page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("NotePage"));
    auto *group = new QGroupBox(QStringLiteral("Note :"), page);
    m_note = new QPlainTextEdit(group);
    m_note->setObjectName(QStringLiteral("NoteEdit"));
    // Tab moves on to the next field; the note is plain lines of text.
    m_note->setTabChangesFocus(true);
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(FieldCaption(QStringLiteral("&Enter your task note below :"), m_note, group));
    groupLayout->addWidget(m_note);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(group);
    return page;
}

void TTaskForm::NodeChanged(QTreeWidgetItem *node)
{
    // The group nodes have no page: the page shown stays.
    if (node && node->data(0, kPageRole).toInt() >= 0)
        m_pages->setCurrentIndex(node->data(0, kPageRole).toInt());
}

void TTaskForm::UrlChanged()
{
    if (m_specified->isChecked())
        m_name->setText(NameFromUrl(m_url->text()));
}

void TTaskForm::SpecifiedChanged()
{
    const bool fromUrl = m_specified->isChecked();
    m_name->setReadOnly(fromUrl);
    // A read-only name has the dialog's face colour, an editable one the
    // colour of a field.
    const QPalette standard = QApplication::palette(m_name);
    QPalette palette = standard;
    if (fromUrl)
        palette.setColor(QPalette::Base, standard.color(QPalette::Window));
    m_name->setPalette(palette);
    if (fromUrl)
        m_name->setText(NameFromUrl(m_url->text()));
}

void TTaskForm::NameChanged()
{
    m_general->FolderField()->SetText(SaveFolderOfName(m_baseFolder, m_name->text()));
}

void TTaskForm::LoginChanged()
{
    for (QWidget *control : m_loginControls)
        control->setEnabled(m_needLogin->isChecked());
}

void TTaskForm::CompleteUrlField()
{
    const QString completed = CompleteUrl(m_url->text());
    if (completed != m_url->text())
        m_url->setText(completed);
}

bool TTaskForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_url && event->type() == QEvent::FocusOut)
        CompleteUrlField();
    return QDialog::eventFilter(watched, event);
}

void TTaskForm::HandUrl(const QString &url)
{
    m_readClipboard = false;
    m_url->setText(url);
}

void TTaskForm::LoadEntry(const TTaskEntry &entry)
{
    m_entry = entry;
    if (m_mode == TMode::Edit) {
        m_url->setText(entry.Url);
        m_url->setEnabled(false);
        m_specified->setEnabled(false);
        m_name->setText(entry.Name);
    }
    m_note->setPlainText(entry.Note);
    const TRegOptions &options = entry.Options;
    m_general->LoadOptions(options);
    m_webSite->LoadOptions(options);
    m_scheme->SetScheme(options.Scheme);
    m_needLogin->setChecked(options.NeedToLogin);
    m_userName->setText(options.LoginUserName);
    m_password->setText(options.LoginPassword);
}

void TTaskForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        m_baseFolder = m_general->FolderField()->Text();
        m_scheme->TypeChanged();
        if (m_mode == TMode::New) {
            m_specified->setChecked(false);
            m_name->setFocus();
            const QString clipboard = QGuiApplication::clipboard()->text();
            if (m_readClipboard && clipboard.trimmed().toLower().startsWith(QLatin1String("http")))
                m_url->setText(clipboard);
            // An address handed in by the browser named the task before the
            // default folder was filled in; its pictures get a folder of
            // their own, as a typed or pasted address gives them, instead of
            // every browser task sharing the default folder.
            if (!m_readClipboard && !m_name->text().isEmpty())
                NameChanged();
        }
    }
    QDialog::showEvent(event);
}

TTaskEntry TTaskForm::CopyBack() const
{
    TTaskEntry entry = m_entry;
    entry.Name = m_name->text();
    entry.Url = m_url->text();
    entry.Note = m_note->toPlainText();
    TRegOptions &options = entry.Options;
    m_general->SaveOptions(options);
    m_webSite->SaveOptions(options);
    options.Scheme = m_scheme->Scheme();
    options.NeedToLogin = m_needLogin->isChecked();
    options.LoginUserName = m_userName->text();
    options.LoginPassword = m_password->text();
    return entry;
}

void TTaskForm::accept()
{
    // Enter presses OK without the URL field losing the focus; it completes
    // the address as leaving the field does, so the name that follows the
    // URL is the same either way.
    if (m_url->hasFocus())
        CompleteUrlField();
    TTaskEntry entry = CopyBack();
    const TTaskEntryFault fault = ConfirmTaskEntry(entry);
    {
        // The completed URL is shown; the name the user confirmed stays.
        const QSignalBlocker blocker(m_url);
        m_url->setText(entry.Url);
    }
    if (fault != TTaskEntryFault::None) {
        ShowErrorMessage(this, TaskEntryFaultMessage(fault));
        if (fault == TTaskEntryFault::InvalidName)
            m_name->setFocus();
        return;
    }
    m_entry = entry;
    QDialog::accept();
}

std::unique_ptr<TTask> OpenNewTask(QWidget *parent, const TRegOptions &defaults, const QString &browserUrl)
{
    TTaskForm form(TTaskForm::TMode::New, parent);
    if (!browserUrl.isEmpty())
        form.HandUrl(browserUrl);
    form.LoadEntry(NewTaskEntry(defaults));
    if (form.exec() != QDialog::Accepted)
        return nullptr;
    return MakeNewTask(form.Entry());
}

bool OpenEditTask(QWidget *parent, TTask &task)
{
    if (!task.Stopped()) {
        ShowErrorMessage(parent, kTaskRunningMessage);
        return false;
    }
    TTaskForm form(TTaskForm::TMode::Edit, parent);
    form.LoadEntry(TaskEntryOf(task));
    if (form.exec() != QDialog::Accepted)
        return false;
    ApplyTaskEntry(form.Entry(), task);
    return true;
}
