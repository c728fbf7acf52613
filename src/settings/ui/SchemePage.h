#pragma once

#include "engine/RegScheme.h"

#include <QWidget>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

// The "Scheme" page both editors share: a type list ("None" to "Monthly"),
// the schedule's one-line description and "&Change", which opens the
// schedule dialog. The page edits a working schedule of its own; the dialog
// copies it in before showing and takes it back after OK, so Cancel drops
// every change, a confirmed "&Change" included.
class TSchemePage : public QWidget
{
    Q_OBJECT

public:
    explicit TSchemePage(QWidget *parent = nullptr);

    // Copies `scheme` into the working schedule and selects its type; a type
    // above 4 selects nothing.
    void SetScheme(const TRegScheme &scheme);
    const TRegScheme &Scheme() const { return m_scheme; }

    // The type change: "&Change" is enabled unless "None" is chosen, the
    // working type follows the list, the description is written anew. The
    // editors run it once when they are shown; the list runs it on every
    // change of its selection.
    void TypeChanged();

private:
    void ChangeClicked();

    TRegScheme m_scheme;
    QComboBox *m_types = nullptr;
    QPlainTextEdit *m_description = nullptr;
    QPushButton *m_change = nullptr;
};
