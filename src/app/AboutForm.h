#pragma once

#include <QDialog>

class QLabel;

// The About box: the program's picture, the project's web address and its
// support mail address (both open through the desktop's default handler), and
// "&Go web". Closed with its title bar's close box.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget *parent = nullptr);

    QLabel *WebLabel() const { return m_webLabel; }
    QLabel *MailLabel() const { return m_mailLabel; }

    void GoWebButtonClick();

private:
    QLabel *m_webLabel = nullptr;
    QLabel *m_mailLabel = nullptr;
};

// The support address, on the project's own domain.
QString SupportMailAddress();

// Opens a web or mailto address with the desktop's default handler; a
// failure of that handler is not reported.
void OpenExternalAddress(const QString &address);
