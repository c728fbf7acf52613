#include "settings/ui/AddFileForm.h"

#include "settings/ui/EditorLayout.h"

#include "widgets/OkCancelButtons.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

TAddFileForm::TAddFileForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AddFileForm"));
    setWindowTitle(QStringLiteral("Add filename"));

    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("FileNameEdit"));

    QDialogButtonBox *buttons = OkCancelButtons(this);

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
