#pragma once

#include <QHBoxLayout>

class QDialog;

// "&OK" (the default button), "&Cancel" and "&Help" at the bottom right of
// an editor. OK runs the dialog's accept(), Cancel its reject(); Help opens
// the help page `helpTopic` (a failure of the help viewer is reported, the
// dialog stays).
QHBoxLayout *EditorButtons(QDialog *dialog, const QString &helpTopic);
