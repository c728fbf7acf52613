#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class TFolderField;
class TGeneralPage;
class TRegOptions;
class TSchemePage;
class TWebSitePage;

// "Default options": the options new tasks start from and the program's own
// settings, on six pages (General, Web site, Scheme, Proxy, Logs, Project).
// The dialog edits its controls only; OpenOptionForm copies the options in
// before and back after OK. Nothing is validated: numbers that do not parse
// become 0 (the proxy port 80), folders are taken as typed.
class TOptionForm : public QDialog
{
    Q_OBJECT

public:
    explicit TOptionForm(QWidget *parent = nullptr);

    void LoadOptions(const TRegOptions &options);
    // Every field, disabled ones included; folders end with a separator.
    void SaveOptions(TRegOptions &options) const;

    // "&OK": the default, log and project folders, in this order, are made
    // with their missing parents when they do not exist (a folder that cannot
    // be made is left alone). An empty one is reported as "Unable to create
    // directory" and ends the making; the dialog is accepted all the same.
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void KeepPageKeys();
    QWidget *MakeSchemeTab();
    QWidget *MakeProxyTab();
    QWidget *MakeLogsTab();
    QWidget *MakeProjectTab();
    void ProxyChanged();

    QTabWidget *m_pages = nullptr;
    TGeneralPage *m_general = nullptr;
    TWebSitePage *m_webSite = nullptr;
    TSchemePage *m_scheme = nullptr;
    QCheckBox *m_autoShutDown = nullptr;
    QCheckBox *m_useProxy = nullptr;
    QLineEdit *m_proxyServer = nullptr;
    QLineEdit *m_proxyPort = nullptr;
    QLineEdit *m_proxyUser = nullptr;
    QLineEdit *m_proxyPassword = nullptr;
    QList<QWidget *> m_proxyControls;
    TFolderField *m_logFolder = nullptr;
    QCheckBox *m_autoSaveLog = nullptr;
    TFolderField *m_projectFolder = nullptr;
};

// View > Options: shows the dialog on `options` (the default options in
// memory) and, on OK, copies it back into them. True when OK was chosen.
bool OpenOptionForm(QWidget *parent, TRegOptions &options);
