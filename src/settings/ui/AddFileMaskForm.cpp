#include "settings/ui/AddFileMaskForm.h"

#include "settings/ui/EditorLayout.h"

#include "widgets/OkCancelButtons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

TAddFileMaskForm::TAddFileMaskForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AddFileMaskForm"));
    setWindowTitle(QStringLiteral("Add image extend name"));

    auto *group = new QGroupBox(QStringLiteral("Image extend name :"), this);
    m_extension = new QLineEdit(group);
    m_extension->setObjectName(QStringLiteral("ExtensionEdit"));
    m_folder = new QLineEdit(QStringLiteral("Saved"), group);
    m_folder->setObjectName(QStringLiteral("FolderEdit"));
    m_folder->setEnabled(false);
    auto *fields = new QFormLayout(group);
    fields->addRow(FieldCaption(QStringLiteral("&Extname :"), m_extension, group), m_extension);
    fields->addRow(FieldCaption(QStringLiteral("&Target folder :"), m_folder, group), m_folder);

    QDialogButtonBox *buttons = OkCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    setMinimumWidth(300);
}

QString TAddFileMaskForm::Extension() const
{
    return m_extension->text();
}

QString TAddFileMaskForm::Folder() const
{
    return m_folder->text();
}
