#include "app/WaitForm.h"

#include "widgets/FormPlacement.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

TWaitForm *WaitForm = nullptr;

TWaitForm::TWaitForm(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("WaitForm"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    outer->addWidget(panel);

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(24, 16, 24, 16);
    auto *title = new QLabel(QStringLiteral("Please wait ..."), panel);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_messageLabel = new QLabel(panel);
    m_messageLabel->setObjectName(QStringLiteral("MessageLabel"));
    layout->addWidget(title);
    layout->addWidget(m_messageLabel);
    setMinimumWidth(260);
}

void TWaitForm::ShowMessage(const QString &text)
{
    m_messageLabel->setText(text);
    CenterOnScreen(this);
    show();
    raise();
    // Painted now, not at the next turn of the event loop: the caller keeps
    // the main thread busy until it hides the window again.
    repaint();
}

QString TWaitForm::Message() const
{
    return m_messageLabel->text();
}
