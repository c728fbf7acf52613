#include "app/TipForm.h"

#include "widgets/AppResources.h"
#include "widgets/FormPlacement.h"
#include "engine/AppInfo.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QStringList TipTexts()
{
    return {
        QStringLiteral("Right click the link which is you want in IE browser, and select \"Download Images by "
                       "Zavelon\", you may download images from the link quickly."),
        QStringLiteral("Double click image file can view image in full screen mode."),
        QStringLiteral("Press Ctrl + I or Ctrl + O key can rotate image."),
        QStringLiteral("Press Ctrl + J or Ctrl + K key can zoom in or zoom out image, press Ctrl + Z can change "
                       "to normal size."),
        QStringLiteral("Select a task and select image->folder menu item can open the image folder quickly."),
        QStringLiteral("Select Image->Delete by... menu item can delete small image quickly"),
        QStringLiteral("If you can not view whole image on image viewer, you can try to click \"zoom\" button."),
        QStringLiteral("Visit our website to find new version of Zavelon at ") + AppInfo::kWebAddress,
    };
}

TTipForm::TTipForm(QWidget *parent)
    : QDialog(parent)
{
    InitAppResources();
    setObjectName(QStringLiteral("TipForm"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    Tips = TipTexts();

    auto *whitePanel = new QFrame(this);
    whitePanel->setObjectName(QStringLiteral("WhitePanel"));
    whitePanel->setFrameShape(QFrame::StyledPanel);
    whitePanel->setAutoFillBackground(true);
    // The panel is white whatever the desktop's palette; its texts must then
    // be black too, or a dark palette's light text vanishes on it.
    QPalette white = whitePanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    whitePanel->setPalette(white);

    auto *band = new QLabel(whitePanel);
    band->setObjectName(QStringLiteral("Image"));
    band->setAutoFillBackground(true);
    QPalette grey = band->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    band->setPalette(grey);
    band->setFixedWidth(64);
    band->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    band->setContentsMargins(0, 12, 0, 0);
    band->setPixmap(ResourcePixmap(QStringLiteral(":/icons/tip.svg"), QSize(40, 40)));

    auto *heading = new QLabel(QStringLiteral("Did you know..."), whitePanel);
    QFont serif(QStringLiteral("serif"));
    serif.setStyleHint(QFont::Serif);
    serif.setPointSize(heading->font().pointSize() + 6);
    serif.setBold(true);
    heading->setFont(serif);

    auto *rule = new QFrame(whitePanel);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    m_tipMemo = new QPlainTextEdit(whitePanel);
    m_tipMemo->setObjectName(QStringLiteral("TipMemo"));
    m_tipMemo->setReadOnly(true);
    m_tipMemo->setEnabled(false);
    m_tipMemo->setFrameShape(QFrame::NoFrame);
    QPalette memo = m_tipMemo->palette();
    memo.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    memo.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
    m_tipMemo->setPalette(memo);

    auto *text = new QVBoxLayout;
    text->setContentsMargins(12, 12, 12, 12);
    text->addWidget(heading);
    text->addWidget(rule);
    text->addWidget(m_tipMemo, 1);
    auto *panelLayout = new QHBoxLayout(whitePanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(band);
    panelLayout->addLayout(text, 1);

    m_showTipCheckBox = new QCheckBox(QStringLiteral("Do not show tips at startup"), this);
    m_showTipCheckBox->setObjectName(QStringLiteral("ShowTipCheckBox"));
    auto *next = new QPushButton(QStringLiteral("&Next tip"), this);
    next->setObjectName(QStringLiteral("NextTipButton"));
    next->setAutoDefault(false);
    auto *closeButton = new QPushButton(QStringLiteral("&Close"), this);
    closeButton->setObjectName(QStringLiteral("CloseButton"));
    closeButton->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TTipForm::NextTipButtonClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_showTipCheckBox);
    bottom->addStretch();
    bottom->addWidget(next);
    bottom->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(whitePanel, 1);
    layout->addLayout(bottom);
    setFixedSize(440, 260);
    CenterOnScreen(this);
}

void TTipForm::ShowTipAt(int index)
{
    if (index < 0 || index >= Tips.size())
        index = 0;
    m_tipMemo->clear();
    m_tipMemo->setPlainText(Tips.at(index));
    CurrentTip = index;
}

void TTipForm::NextTipButtonClick()
{
    ShowTipAt(CurrentTip + 1);
}
