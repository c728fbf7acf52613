#include "settings/ui/AddFileForm.h"

#include "settings/ui/EditorLayout.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TAddFileForm::TAddFileForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AddFileForm"));
    setWindowTitle(QStringLiteral("Add filename"));

    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("FileNameEdit"));

    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(FieldCaption(QStringLiteral("&Enter the filename below :"), m_fileName, this));
    layout->addWidget(m_fileName);
    layout->addWidget(buttons);
    setMinimumWidth(300);
}

QString TAddFileForm::FileName() const
{
    return m_fileName->text();
}
