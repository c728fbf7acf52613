#include "settings/ui/OptionForm.h"

#include "engine/FileNames.h"
#include "engine/RegOptions.h"
#include "settings/ui/DialogButtons.h"
#include "settings/ui/EditorLayout.h"
#include "settings/ui/FolderField.h"
#include "settings/ui/OptionPages.h"
#include "settings/ui/SchemePage.h"
#include "widgets/ErrorReport.h"
#include "widgets/HtmlHelp.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QCheckBox *CheckBox(const QString &text, const QString &name, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

QLineEdit *LineEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

// A page whose one folder field and what follows sit at the top.
QWidget *FolderTab(TFolderField *field, QWidget *tab, QWidget *below = nullptr)
{
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(field);
    if (below)
        layout->addWidget(below);
    layout->addStretch(1);
    return tab;
}

} // namespace

TOptionForm::TOptionForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("OptionForm"));
    setWindowTitle(QStringLiteral("Default options"));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_general = new TGeneralPage(QStringLiteral("Default &folder :"), QStringLiteral("Default image extend &names :"),
                                 m_pages);
    m_general->setObjectName(QStringLiteral("GeneralPage"));
    m_webSite = new TWebSitePage(m_pages);
    m_webSite->setObjectName(QStringLiteral("WebSitePage"));
    m_pages->addTab(m_general, QStringLiteral("General"));
    m_pages->addTab(m_webSite, QStringLiteral("Web site"));
    m_pages->addTab(MakeSchemeTab(), QStringLiteral("Scheme"));
    m_pages->addTab(MakeProxyTab(), QStringLiteral("Proxy"));
    m_pages->addTab(MakeLogsTab(), QStringLiteral("Logs"));
    m_pages->addTab(MakeProjectTab(), QStringLiteral("Project"));
    KeepPageKeys();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(EditorButtons(this, kHelpTopicOptions));
    resize(520, 480);

    // The size and proxy controls start disabled; filling ticks the boxes.
    m_general->SetSizeLimit(false, QString(), QString());
    ProxyChanged();
}

QWidget *TOptionForm::MakeSchemeTab()
{
    auto *tab = new QWidget(m_pages);
    tab->setObjectName(QStringLiteral("SchemeTab"));
    auto *group = new QGroupBox(QStringLiteral("Scheme settings :"), tab);
    m_scheme = new TSchemePage(group);
    m_scheme->setObjectName(QStringLiteral("SchemePage"));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_scheme);
    m_autoShutDown = CheckBox(QStringLiteral("Auto &shutdown computer when running tasks finished"),
                              QStringLiteral("AutoShutDownCheckBox"), tab);
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(group);
    layout->addWidget(m_autoShutDown);
    layout->addStretch(1);
    return tab;
}

QWidget *TOptionForm::MakeProxyTab()
{
    auto *tab = new QWidget(m_pages);
    tab->setObjectName(QStringLiteral("ProxyTab"));
    auto *group = new QGroupBox(QStringLiteral("Proxy settings :"), tab);
    m_useProxy = CheckBox(QStringLiteral("I &use proxy server to connect internet"),
                          QStringLiteral("UseProxyServerCheckBox"), group);
    m_proxyServer = LineEdit(QStringLiteral("ProxyServerEdit"), group);
    m_proxyPort = LineEdit(QStringLiteral("ProxyPortEdit"), group);
    m_proxyPort->setMaximumWidth(100);
    m_proxyUser = LineEdit(QStringLiteral("ProxyUserNameEdit"), group);
    m_proxyPassword = LineEdit(QStringLiteral("ProxyPasswordEdit"), group);
    m_proxyPassword->setEchoMode(QLineEdit::Password);
    m_proxyPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    auto *serverCaption = FieldCaption(QStringLiteral("HTTP &Server :"), m_proxyServer, group);
    auto *portCaption = FieldCaption(QStringLiteral("&Port :"), m_proxyPort, group);
    auto *account = new QLabel(QStringLiteral("Login account :"), group);
    auto *userCaption = FieldCaption(QStringLiteral("User &name :"), m_proxyUser, group);
    auto *passwordCaption = FieldCaption(QStringLiteral("Pass&word :"), m_proxyPassword, group);
    m_proxyControls = {serverCaption, m_proxyServer, portCaption, m_proxyPort, account,
                       userCaption,   m_proxyUser,   passwordCaption, m_proxyPassword};

    auto *fields = new QFormLayout(group);
    fields->addRow(m_useProxy);
    fields->addRow(serverCaption, m_proxyServer);
    fields->addRow(portCaption, m_proxyPort);
    fields->addRow(account);
    fields->addRow(userCaption, m_proxyUser);
    fields->addRow(passwordCaption, m_proxyPassword);
    connect(m_useProxy, &QCheckBox::toggled, this, &TOptionForm::ProxyChanged);

    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(group);
    layout->addStretch(1);
    return tab;
}

QWidget *TOptionForm::MakeLogsTab()
{
    auto *tab = new QWidget(m_pages);
    tab->setObjectName(QStringLiteral("LogsTab"));
    m_logFolder = new TFolderField(QStringLiteral("LogFolder"), QStringLiteral("Default &log file :"),
                                   QStringLiteral("Log folder"), tab);
    m_autoSaveLog = CheckBox(QStringLiteral("&Auto save log file"), QStringLiteral("AutoSaveLogCheckBox"), tab);
    return FolderTab(m_logFolder, tab, m_autoSaveLog);
}

QWidget *TOptionForm::MakeProjectTab()
{
    auto *tab = new QWidget(m_pages);
    tab->setObjectName(QStringLiteral("ProjectTab"));
    m_projectFolder = new TFolderField(QStringLiteral("ProjectFolder"), QStringLiteral("&Project folder :"),
                                       QStringLiteral("Project folder"), tab);
    return FolderTab(m_projectFolder, tab);
}

void TOptionForm::ProxyChanged()
{
    for (QWidget *control : m_proxyControls)
        control->setEnabled(m_useProxy->isChecked());
}

void TOptionForm::LoadOptions(const TRegOptions &options)
{
    m_general->LoadOptions(options);
    m_webSite->LoadOptions(options);
    m_scheme->SetScheme(options.Scheme);
    m_autoShutDown->setChecked(options.AutoShutDown);
    m_useProxy->setChecked(options.UseProxyServer);
    m_proxyServer->setText(options.ProxyServerAddr);
    m_proxyPort->setText(QString::number(options.ProxyServerPort));
    m_proxyUser->setText(options.ProxyLoginUserName);
    m_proxyPassword->setText(options.ProxyLoginPassword);
    m_logFolder->SetText(options.DefaultLogFolder);
    m_autoSaveLog->setChecked(options.AutoSaveLog);
    m_projectFolder->SetText(options.ProjectPath);
}

void TOptionForm::SaveOptions(TRegOptions &options) const
{
    m_general->SaveOptions(options);
    m_webSite->SaveOptions(options);
    options.Scheme = m_scheme->Scheme();
    options.AutoShutDown = m_autoShutDown->isChecked();
    options.UseProxyServer = m_useProxy->isChecked();
    options.ProxyServerAddr = m_proxyServer->text();
    options.ProxyServerPort = IntegerOrDefault(m_proxyPort->text(), 80);
    options.ProxyLoginUserName = m_proxyUser->text();
    options.ProxyLoginPassword = m_proxyPassword->text();
    options.DefaultLogFolder = AddBackslash(m_logFolder->Text());
    options.AutoSaveLog = m_autoSaveLog->isChecked();
    options.ProjectPath = AddBackslash(m_projectFolder->Text());
}

void TOptionForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        m_pages->setCurrentIndex(0);
        m_general->MaskList()->setFocus();
        m_scheme->TypeChanged();
    }
    QDialog::showEvent(event);
}

void TOptionForm::accept()
{
    for (const TFolderField *field : {m_general->FolderField(), m_logFolder, m_projectFolder}) {
        const QString folder = field->Text();
        if (folder.isEmpty()) {
            ShowErrorMessage(this, QStringLiteral("Unable to create directory"));
            break;
        }
        if (!QFileInfo(folder).isDir())
            QDir().mkpath(folder);
    }
    QDialog::accept();
}

bool OpenOptionForm(QWidget *parent, TRegOptions &options)
{
    TOptionForm form(parent);
    form.LoadOptions(options);
    if (form.exec() != QDialog::Accepted)
        return false;
    form.SaveOptions(options);
    return true;
}

void TOptionForm::KeepPageKeys()
{
    // The tab widget turns pages on Ctrl+Tab only when the focused field lets
    // the key through; a combo box or a memo keeps it and would hold the
    // keyboard user on that page.
    const auto turn = [this](int step) {
        m_pages->setCurrentIndex((m_pages->currentIndex() + step + m_pages->count()) % m_pages->count());
    };
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), m_pages, nullptr, nullptr,
                               Qt::WidgetWithChildrenShortcut);
    connect(next, &QShortcut::activated, this, [turn] { turn(1); });
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)}) {
        auto *previous = new QShortcut(keys, m_pages, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(previous, &QShortcut::activated, this, [turn] { turn(-1); });
    }
}
