#include "settings/ui/DialogButtons.h"

#include "engine/Errors.h"
#include "widgets/ErrorReport.h"
#include "widgets/HtmlHelp.h"

#include <QDialog>
#include <QPushButton>

namespace {

QPushButton *Button(const QString &text, const QString &name, QDialog *dialog)
{
    auto *button = new QPushButton(text, dialog);
    button->setObjectName(name);
    return button;
}

} // namespace

QHBoxLayout *EditorButtons(QDialog *dialog, const QString &helpTopic)
{
    auto *ok = Button(QStringLiteral("&OK"), QStringLiteral("OkButton"), dialog);
    ok->setDefault(true);
    auto *cancel = Button(QStringLiteral("&Cancel"), QStringLiteral("CancelButton"), dialog);
    cancel->setAutoDefault(false);
    auto *help = Button(QStringLiteral("&Help"), QStringLiteral("HelpButton"), dialog);
    help->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(help, &QPushButton::clicked, dialog, [dialog, helpTopic] {
        try {
            CallHtmlHelp(dialog, HelpTopicAddress(helpTopic), kHelpDisplayTopic, 0);
        } catch (const EZavelonError &error) {
            ShowErrorMessage(dialog, error.message());
        }
    });

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    row->addWidget(help);
    return row;
}
