#include "app/NewFolderForm.h"

#include "widgets/OkCancelButtons.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
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

    QDialogButtonBox *buttons = OkCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    m_folderEdit->setFocus();
}

QString TNewFolderForm::FolderName() const
{
    return m_folderEdit->text();
}
