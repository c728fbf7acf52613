#include "app/ShowMinPromptForm.h"

#include "widgets/AppResources.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

TShowMinPromptForm::TShowMinPromptForm(QWidget *parent)
    : QDialog(parent)
{
    InitAppResources();
    setObjectName(QStringLiteral("ShowMinPromptForm"));
    setWindowTitle(QStringLiteral("Minized"));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image"));
    picture->setFrameShape(QFrame::Box);
    picture->setPixmap(ResourcePixmap(QStringLiteral(":/icons/zavelon.svg"), QSize(48, 48)));
    picture->setFixedSize(56, 56);
    picture->setAlignment(Qt::AlignCenter);

    auto *heading = new QLabel(QStringLiteral("Quorvane minimized"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto *line1 = new QLabel(QStringLiteral("To restore main window, just click the search icon on"), this);
    auto *line2 = new QLabel(QStringLiteral("system panel once."), this);

    m_showNextCheck = new QCheckBox(QStringLiteral("Don't show this window on next time"), this);
    m_showNextCheck->setObjectName(QStringLiteral("ShowNextCheck"));

    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(heading, 0, 1);
    grid->addWidget(line1, 1, 1);
    grid->addWidget(line2, 2, 1);
    grid->addWidget(m_showNextCheck, 3, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    grid->addLayout(buttons, 4, 0, 1, 2);
    setFixedSize(sizeHint());
}

void TShowMinPromptForm::reject()
{
    // "&OK" is also the cancel button: Escape and the close box close with OK.
    accept();
}
