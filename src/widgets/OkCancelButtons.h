#pragma once

class QDialog;
class QDialogButtonBox;

// "&OK" (the default button, object name "OkButton") and "&Cancel"
// ("CancelButton") for a small dialog: OK runs its accept(), Cancel its
// reject().
QDialogButtonBox *OkCancelButtons(QDialog *dialog);
