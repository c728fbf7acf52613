#include "images/ui/WallpaperOptionsForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QRadioButton *MakeStyleButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

TWallpaperOptionsForm::TWallpaperOptionsForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("WallpaperOptionsForm"));
    setWindowTitle(QStringLiteral("Set wallpaper"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Please select the options below :"), this));
    m_centerButton = MakeStyleButton("CenterButton", QStringLiteral("Center"), this);
    m_tileButton = MakeStyleButton("TileButton", QStringLiteral("Tile"), this);
    m_stretchButton = MakeStyleButton("StretchButton", QStringLiteral("Stretch"), this);
    m_maxButton = MakeStyleButton("MaxButton", QStringLiteral("Max"), this);
    m_centerButton->setChecked(true);
    for (QRadioButton *button : {m_centerButton, m_tileButton, m_stretchButton, m_maxButton})
        layout->addWidget(button);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TWallpaperStyle TWallpaperOptionsForm::Style() const
{
    if (m_tileButton->isChecked())
        return TWallpaperStyle::Tile;
    if (m_stretchButton->isChecked())
        return TWallpaperStyle::Stretch;
    if (m_maxButton->isChecked())
        return TWallpaperStyle::Max;
    return TWallpaperStyle::Center;
}
