#include "settings/ui/SchemeForm.h"

#include "engine/DateTime.h"
#include "settings/Schedule.h"
#include "settings/UserDateTime.h"
#include "settings/ui/EditorLayout.h"

#include <QCheckBox>
#include "widgets/OkCancelButtons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

TSchemeForm::TSchemeForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SchemeForm"));
    setWindowTitle(QStringLiteral("Scheme"));

    m_typeName = new QLabel(this);
    m_typeName->setObjectName(QStringLiteral("SchemeTypeLabel"));
    QFont bold = m_typeName->font();
    bold.setBold(true);
    m_typeName->setFont(bold);
    auto *typeRow = new QHBoxLayout;
    typeRow->addWidget(new QLabel(QStringLiteral("Scheme type :"), this));
    typeRow->addWidget(m_typeName, 1);

    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("CountSpinBox"));
    m_count->setRange(0, 100);
    m_count->setValue(1);
    m_unitWord = new QLabel(this);
    m_unitWord->setObjectName(QStringLiteral("UnitWordLabel"));
    auto *everyRow = new QHBoxLayout;
    everyRow->addWidget(FieldCaption(QStringLiteral("&Every :"), m_count, this));
    everyRow->addWidget(m_count);
    everyRow->addWidget(m_unitWord, 1);

    auto *detail = new QGroupBox(QStringLiteral("Detail :"), this);
    m_date = new QLineEdit(detail);
    m_date->setObjectName(QStringLiteral("DateEdit"));
    m_time = new QLineEdit(detail);
    m_time->setObjectName(QStringLiteral("TimeEdit"));
    m_startOnNow = new QCheckBox(QStringLiteral("&Start on now"), detail);
    m_startOnNow->setObjectName(QStringLiteral("StartOnNowCheckBox"));
    auto *detailLayout = new QFormLayout(detail);
    detailLayout->addRow(FieldCaption(QStringLiteral("&Date :"), m_date, detail), m_date);
    detailLayout->addRow(FieldCaption(QStringLiteral("&Time :"), m_time, detail), m_time);
    detailLayout->addRow(m_startOnNow);

    QDialogButtonBox *buttons = OkCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(typeRow);
    layout->addLayout(everyRow);
    layout->addWidget(detail);
    layout->addWidget(buttons);
    setMinimumWidth(320);

    connect(m_startOnNow, &QCheckBox::toggled, this, &TSchemeForm::StartOnNowChanged);
    m_startOnNow->setChecked(true);
    StartOnNowChanged();
    // Made with the current moment, as "Start on now" shows it.
    m_date->setText(FormatShortDate(NowDays()));
    m_time->setText(FormatLongTime(NowDays()));

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("RefreshTimer"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TSchemeForm::TimerTimer);
    m_timer->start();
}

void TSchemeForm::LoadScheme(const QString &typeName, const TRegScheme &scheme)
{
    m_typeName->setText(typeName);
    m_startOnNow->setChecked(std::trunc(scheme.SchemeStartDate) == 0.0);
    m_count->setValue(static_cast<qint16>(scheme.SchemeCount & 0xFFFF));
    m_date->setText(FormatShortDate(scheme.SchemeStartDate));
    m_time->setText(FormatLongTime(scheme.SchemeStartTime));
}

void TSchemeForm::SaveScheme(TRegScheme &scheme) const
{
    scheme.SchemeCount = m_count->value();
    scheme.SchemeStartDate = ParseShortDate(m_date->text());
    scheme.SchemeStartTime = ParseLongTime(m_time->text());
}

void TSchemeForm::showEvent(QShowEvent *event)
{
    m_unitWord->setText(UnitWordOfName(m_typeName->text()));
    // The clock is shown from the first moment, not only after a second.
    TimerTimer();
    QDialog::showEvent(event);
}

void TSchemeForm::TimerTimer()
{
    if (!m_startOnNow->isChecked())
        return;
    const double now = NowDays();
    m_date->setText(FormatShortDate(now));
    m_time->setText(FormatLongTime(now));
}

void TSchemeForm::StartOnNowChanged()
{
    const bool manual = !m_startOnNow->isChecked();
    m_date->setEnabled(manual);
    m_time->setEnabled(manual);
}
