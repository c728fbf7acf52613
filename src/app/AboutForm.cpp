#include "app/AboutForm.h"

#include "widgets/AppResources.h"
#include "widgets/FormPlacement.h"
#include "engine/AppInfo.h"

#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

QString SupportMailAddress()
{
    return QStringLiteral("support@") + QUrl(AppInfo::kWebAddress).host();
}

void OpenExternalAddress(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}

namespace {

QLabel *LinkLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    // Navy on a light window; navy would vanish on a dark palette's window,
    // so there the palette's own link colour serves.
    QPalette palette = label->palette();
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    palette.setColor(QPalette::WindowText, dark ? palette.color(QPalette::Link) : QColor(0x00, 0x00, 0x80));
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    label->setFont(small);
    return label;
}

// A label that opens its address when clicked.
class TAddressLabel : public QObject
{
public:
    TAddressLabel(QLabel *label, QString address)
        : QObject(label)
        , m_address(std::move(address))
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            OpenExternalAddress(m_address);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_address;
};

} // namespace

TAboutForm::TAboutForm(QWidget *parent)
    : QDialog(parent)
{
    InitAppResources();
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image"));
    picture->setFixedSize(400, 300);
    picture->setPixmap(ResourcePixmap(QStringLiteral(":/pictures/about.svg"), QSize(400, 300)));

    auto *line = new QLabel(QStringLiteral("For newly one, please visit our web site"), this);
    QFont small = line->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    line->setFont(small);

    m_webLabel = LinkLabel(AppInfo::kWebAddress, this);
    m_webLabel->setObjectName(QStringLiteral("WebLabel"));
    new TAddressLabel(m_webLabel, AppInfo::kWebAddress);
    m_mailLabel = LinkLabel(SupportMailAddress(), this);
    m_mailLabel->setObjectName(QStringLiteral("MailLabel"));
    new TAddressLabel(m_mailLabel, QStringLiteral("mailto:") + SupportMailAddress());

    auto *goWeb = new QPushButton(QStringLiteral("&Go web"), this);
    goWeb->setObjectName(QStringLiteral("GoWebButton"));
    goWeb->setDefault(true);
    connect(goWeb, &QPushButton::clicked, this, &TAboutForm::GoWebButtonClick);

    auto *layout = new QGridLayout(this);
    layout->addWidget(picture, 0, 0, 1, 2);
    layout->addWidget(line, 1, 0);
    layout->addWidget(m_webLabel, 2, 0);
    layout->addWidget(m_mailLabel, 3, 0);
    layout->addWidget(goWeb, 1, 1, 3, 1, Qt::AlignRight | Qt::AlignVCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    CenterOnScreen(this);
}

void TAboutForm::GoWebButtonClick()
{
    OpenExternalAddress(AppInfo::kWebAddress);
}
