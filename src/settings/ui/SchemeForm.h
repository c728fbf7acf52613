#pragma once

#include "engine/RegScheme.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimer;

// "Scheme": the count of units and the start date and time of a schedule.
// With "Start on now" ticked the date and time fields are disabled and follow
// the clock (refreshed every second), so OK stores the moment of the last
// refresh. Dates and times are shown and read in the user's short date and
// long time formats; text that does not parse is stored as 0.
class TSchemeForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSchemeForm(QWidget *parent = nullptr);

    // What "&Change" hands in: the type name shown, "Start on now" ticked
    // when no start date is set (its whole part is 0), the count (its low 16
    // bits, within the field's 0 to 100), the start date and time.
    void LoadScheme(const QString &typeName, const TRegScheme &scheme);
    // What OK hands back: the count and the parsed start date and time.
    void SaveScheme(TRegScheme &scheme) const;

    // The one-second tick: while "Start on now" is ticked, the date and time
    // fields show the current date and time.
    void TimerTimer();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void StartOnNowChanged();

    QLabel *m_typeName = nullptr;
    QSpinBox *m_count = nullptr;
    QLabel *m_unitWord = nullptr;
    QLineEdit *m_date = nullptr;
    QLineEdit *m_time = nullptr;
    QCheckBox *m_startOnNow = nullptr;
    QTimer *m_timer = nullptr;
};
