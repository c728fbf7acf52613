#include "settings/ui/SchemePage.h"

#include "settings/Schedule.h"
#include "settings/ui/EditorLayout.h"
#include "settings/ui/SchemeForm.h"
#include "widgets/SideButton.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

TSchemePage::TSchemePage(QWidget *parent)
    : QWidget(parent)
{
    m_types = new QComboBox(this);
    m_types->setObjectName(QStringLiteral("SchemeTypeComboBox"));
    m_types->addItems(SchemeTypeNames());
    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("SchemeMemo"));
    m_description->setReadOnly(true);
    m_description->setTabChangesFocus(true);
    m_description->setAccessibleName(QStringLiteral("Scheme description"));
    m_description->setFixedHeight(m_description->fontMetrics().lineSpacing() * 4);
    m_change = SideButton(QStringLiteral("&Change"), QStringLiteral("SchemeChangeButton"), this);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FieldCaption(QStringLiteral("Choose a &type :"), m_types, this), 0, 0);
    layout->addWidget(m_types, 0, 1);
    layout->addWidget(m_description, 1, 0, 1, 3);
    layout->addWidget(m_change, 2, 2, Qt::AlignRight);
    layout->setColumnStretch(2, 1);

    connect(m_types, &QComboBox::currentIndexChanged, this, &TSchemePage::TypeChanged);
    connect(m_change, &QPushButton::clicked, this, &TSchemePage::ChangeClicked);
}

void TSchemePage::SetScheme(const TRegScheme &scheme)
{
    m_scheme.Assign(scheme);
    // Only the user's choice is a type change; the editors run one when shown.
    const QSignalBlocker blocker(m_types);
    m_types->setCurrentIndex(scheme.SchemeType < SchemeTypeNames().size() ? scheme.SchemeType : -1);
}

void TSchemePage::TypeChanged()
{
    const QString name = m_types->currentText();
    m_change->setEnabled(name != SchemeTypeNames().first());
    const int type = SchemeTypeOfName(name);
    if (type >= 0)
        m_scheme.SchemeType = static_cast<std::uint8_t>(type);
    m_description->setPlainText(Description(m_scheme));
}

void TSchemePage::ChangeClicked()
{
    TSchemeForm form(this);
    form.LoadScheme(m_types->currentText(), m_scheme);
    if (form.exec() != QDialog::Accepted)
        return;
    form.SaveScheme(m_scheme);
    m_description->setPlainText(Description(m_scheme));
}
