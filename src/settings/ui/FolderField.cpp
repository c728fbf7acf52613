#include "settings/ui/FolderField.h"

#include "settings/ui/EditorLayout.h"
#include "widgets/FolderPicker.h"
#include "widgets/SideButton.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

TFolderField::TFolderField(const QString &name, const QString &caption, const QString &pickerTitle, QWidget *parent)
    : QWidget(parent)
    , m_pickerTitle(pickerTitle)
{
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(name + QStringLiteral("Edit"));
    auto *browse = SideButton(QStringLiteral("&Browse"), name + QStringLiteral("BrowseButton"), this);
    connect(browse, &QPushButton::clicked, this, &TFolderField::BrowseClicked);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FieldCaption(caption, m_edit, this), 0, 0, 1, 2);
    layout->addWidget(m_edit, 1, 0);
    layout->addWidget(browse, 1, 1);
    setFocusProxy(m_edit);
}

QString TFolderField::Text() const
{
    return m_edit->text();
}

void TFolderField::SetText(const QString &text)
{
    m_edit->setText(text);
}

void TFolderField::BrowseClicked()
{
    QString folder = m_edit->text();
    if (BrowseForFolder(m_pickerTitle, QString(), folder))
        m_edit->setText(folder);
}
