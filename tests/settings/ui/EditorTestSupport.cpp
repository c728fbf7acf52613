#include "EditorTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

QStringList TabOrder(QWidget *root)
{
    QStringList names;
    QWidget *widget = root;
    do {
        widget = widget->nextInFocusChain();
        if (widget != root && root->isAncestorOf(widget) && widget->isVisibleTo(root->window()) &&
            widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy())
            names << widget->objectName();
    } while (widget != root);
    return names;
}

QString CaptionOf(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    if (!face)
        return {};
    const auto labels = face->relations(QAccessible::Label);
    return labels.isEmpty() ? face->text(QAccessible::Name) : labels.first().first->text(QAccessible::Name);
}

QStringList MnemonicLetters(QWidget *root)
{
    static const QRegularExpression amp(QStringLiteral("&([^&])"));
    QStringList letters;
    const auto add = [&](const QString &text) {
        const QRegularExpressionMatch match = amp.match(text);
        if (match.hasMatch())
            letters << match.captured(1).toLower();
    };
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(root->window()))
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget))
            add(label->text());
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            add(button->text());
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            add(group->title());
    }
    return letters;
}

void Click(QAbstractButton *button)
{
    // A check box takes clicks on its box and text only, which a wide one
    // does not have in its middle.
    const QPoint at = qobject_cast<QCheckBox *>(button) ? QPoint(8, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

bool ShowActive(QWidget *dialog)
{
    dialog->show();
    dialog->activateWindow();
    return QTest::qWaitForWindowActive(dialog);
}
