#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QAbstractButton;

// Helpers for driving the editor dialogs as a user does.

// The widgets that Tab reaches inside `root`, in the order Tab reaches them:
// visible, enabled, taking focus by Tab. Each is named by its objectName.
QStringList TabOrder(QWidget *root);

// The caption a screen reader names `widget` by: the text of the label that
// labels it (its buddy), without the "&", else its accessible name.
QString CaptionOf(QWidget *widget);

// The "&" letter (lower-cased) of every visible caption in `root`, labels
// and buttons; each letter is listed once per caption that carries it.
QStringList MnemonicLetters(QWidget *root);

// Clicks a button the way a user does.
void Click(QAbstractButton *button);

// Shows `dialog` as a window of its own and waits until it is the active one,
// so that focus and shortcuts behave as on a desktop.
bool ShowActive(QWidget *dialog);
