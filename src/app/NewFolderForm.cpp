#include "app/NewFolderForm.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TNewFolderForm::TNewFolderForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NewFolderForm"));
    setWindowTitle(QStringLiteral("New folder"));

    const QString prompt = QStringLiteral("Enter the new folder name below :");
    auto *group = new QGroupBox(prompt, this);
    auto *groupLayout = new QVBoxLayout(group);
    m_folderEdit = new QLineEdit(group);
    m_folderEdit->setObjectName(QStringLiteral("FolderEdit"));
    m_folderEdit->setAccessibleName(prompt);
    m_folderEdit->setMinimumWidth(260);
    groupLayout->addWidget(m_folderEdit);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    m_folderEdit->setFocus();
}

QString TNewFolderForm::FolderName() const
{
    return m_folderEdit->text();
}
