// The "Scheme" page both editors share and the schedule dialog it opens.
#include "EditorTestSupport.h"
#include "support/WidgetTestSupport.h"

#include "engine/DateTime.h"
#include "settings/Schedule.h"
#include "settings/UserDateTime.h"
#include "settings/ui/SchemeForm.h"
#include "settings/ui/SchemePage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <cmath>
#include <functional>

namespace {

double Day(int year, int month, int day)
{
    return DateTimeToDays(QDateTime(QDate(year, month, day), QTime(0, 0)));
}

TRegScheme Scheme(std::uint8_t type, int count, double date, double time)
{
    TRegScheme scheme;
    scheme.SchemeType = type;
    scheme.SchemeCount = count;
    scheme.SchemeStartDate = date;
    scheme.SchemeStartTime = time;
    return scheme;
}

struct TPage {
    TSchemePage page;
    QComboBox *types = page.findChild<QComboBox *>(QStringLiteral("SchemeTypeComboBox"));
    QPlainTextEdit *memo = page.findChild<QPlainTextEdit *>(QStringLiteral("SchemeMemo"));
    QPushButton *change = page.findChild<QPushButton *>(QStringLiteral("SchemeChangeButton"));

    // Chooses a type as a user does: the list has the focus, a letter picks.
    void Choose(const QString &name) { types->setCurrentIndex(types->findText(name)); }
};

// Runs `action` on the schedule dialog that "&Change" opens.
void ChangeWith(TPage &page, const std::function<void(TSchemeForm *)> &action)
{
    auto handler = AnswerModal([&](QWidget *modal) {
        auto *form = qobject_cast<TSchemeForm *>(modal);
        QVERIFY(form);
        action(form);
    });
    Click(page.change);
    QVERIFY(handler->Fired());
}

template <class T>
T *Field(QWidget *form, const char *name)
{
    return form->findChild<T *>(QLatin1String(name));
}

} // namespace

class TSchemeEditorTest : public QObject
{
    Q_OBJECT

private slots:
    void PageShowsTheTypeAndItsDescription()
    {
        TPage p;
        QVERIFY(p.types && p.memo && p.change);
        QCOMPARE(p.types->count(), 5);
        p.page.SetScheme(Scheme(TRegScheme::stNone, 3, Day(2025, 1, 2), 0.5));
        p.page.TypeChanged();
        QVERIFY(!p.change->isEnabled());
        QCOMPARE(p.memo->toPlainText(), QString());

        p.Choose(QStringLiteral("Daily"));
        QVERIFY(p.change->isEnabled());
        QCOMPARE(p.page.Scheme().SchemeType, TRegScheme::stDaily);
        const QString daily = Description(p.page.Scheme());
        QVERIFY(daily.startsWith(QStringLiteral("All project will start every 3 Day(s), From ")));
        QCOMPARE(p.memo->toPlainText(), daily);

        // "None" keeps the count and start: going back restores them.
        p.Choose(QStringLiteral("None"));
        QVERIFY(!p.change->isEnabled());
        QCOMPARE(p.memo->toPlainText(), QString());
        p.Choose(QStringLiteral("Daily"));
        QCOMPARE(p.memo->toPlainText(), daily);
    }

    void UnknownTypeSelectsNothingAndIsKept()
    {
        TPage p;
        p.page.SetScheme(Scheme(7, 2, Day(2025, 1, 2), 0));
        p.page.TypeChanged();
        QCOMPARE(p.types->currentIndex(), -1);
        QCOMPARE(p.page.Scheme().SchemeType, 7);
        QCOMPARE(p.memo->toPlainText(), QString());
    }

    void ChangeOnAFreshScheduleStartsOnNow()
    {
        TPage p;
        p.page.SetScheme(TRegScheme());
        p.Choose(QStringLiteral("Weekly"));
        ChangeWith(p, [](TSchemeForm *form) {
            QCOMPARE(form->windowTitle(), QStringLiteral("Scheme"));
            QCOMPARE(Field<QLabel>(form, "SchemeTypeLabel")->text(), QStringLiteral("Weekly"));
            QCOMPARE(Field<QLabel>(form, "UnitWordLabel")->text(), QStringLiteral("Week(s)"));
            auto *now = Field<QCheckBox>(form, "StartOnNowCheckBox");
            auto *date = Field<QLineEdit>(form, "DateEdit");
            auto *time = Field<QLineEdit>(form, "TimeEdit");
            QVERIFY(now->isChecked());
            QVERIFY(!date->isEnabled() && !time->isEnabled());
            // Following the clock: today, not the stored 1899-12-30.
            QCOMPARE(date->text(), FormatShortDate(NowDays()));
            QCOMPARE(Field<QSpinBox>(form, "CountSpinBox")->value(), 0);

            // Clearing the box freezes and frees the fields.
            Click(now);
            QVERIFY(date->isEnabled() && time->isEnabled());
            date->setText(FormatShortDate(Day(2026, 3, 4)));
            form->TimerTimer();
            QCOMPARE(date->text(), FormatShortDate(Day(2026, 3, 4)));
            auto *count = Field<QSpinBox>(form, "CountSpinBox");
            count->selectAll();
            QTest::keyClicks(count, QStringLiteral("12"));
            time->setText(FormatLongTime(0.75));
            Click(Field<QPushButton>(form, "OkButton"));
        });
        const TRegScheme &s = p.page.Scheme();
        QCOMPARE(s.SchemeType, TRegScheme::stWeekly);
        QCOMPARE(s.SchemeCount, 12);
        QCOMPARE(s.SchemeStartDate, Day(2026, 3, 4));
        QCOMPARE(s.SchemeStartTime, 0.75);
        QCOMPARE(p.memo->toPlainText(), Description(s));

        // The next opening shows the stored start with the box cleared.
        ChangeWith(p, [](TSchemeForm *form) {
            QVERIFY(!Field<QCheckBox>(form, "StartOnNowCheckBox")->isChecked());
            QCOMPARE(Field<QLineEdit>(form, "DateEdit")->text(), FormatShortDate(Day(2026, 3, 4)));
            QCOMPARE(Field<QSpinBox>(form, "CountSpinBox")->value(), 12);
            Click(Field<QPushButton>(form, "CancelButton"));
        });
        QCOMPARE(p.page.Scheme().SchemeCount, 12);
    }

    void StartOnNowStoresTheLastRefresh()
    {
        TPage p;
        p.page.SetScheme(Scheme(TRegScheme::stDaily, 1, 0, 0));
        p.page.TypeChanged();
        ChangeWith(p, [](TSchemeForm *form) { Click(Field<QPushButton>(form, "OkButton")); });
        const double now = NowDays();
        // Within the second the clock was shown.
        QVERIFY(p.page.Scheme().SchemeStartDate == std::trunc(now) ||
                p.page.Scheme().SchemeStartDate == std::trunc(now) - 1);
        QVERIFY(p.page.Scheme().SchemeStartTime > 0 || std::trunc(now) == now);
    }

    void UnreadableDateAndTimeBecomeZero_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<bool>("dateParses");
        QTest::addColumn<bool>("timeParses");
        QTest::newRow("both") << FormatShortDate(Day(2025, 5, 6)) << FormatLongTime(0.5) << true << true;
        QTest::newRow("letters") << QStringLiteral("soon") << QStringLiteral("noonish") << false << false;
        QTest::newRow("empty") << QString() << QString() << false << false;
        QTest::newRow("swapped") << FormatLongTime(0.5) << FormatShortDate(Day(2025, 5, 6)) << false << false;
    }

    void UnreadableDateAndTimeBecomeZero()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(bool, dateParses);
        QFETCH(bool, timeParses);
        TSchemeForm form;
        form.LoadScheme(QStringLiteral("Daily"), Scheme(TRegScheme::stDaily, 1, Day(2020, 1, 1), 0.25));
        Field<QLineEdit>(&form, "DateEdit")->setText(date);
        Field<QLineEdit>(&form, "TimeEdit")->setText(time);
        TRegScheme scheme;
        form.SaveScheme(scheme);
        QCOMPARE(scheme.SchemeStartDate, dateParses ? Day(2025, 5, 6) : 0.0);
        QCOMPARE(scheme.SchemeStartTime, timeParses ? 0.5 : 0.0);
    }

    void CountIsShownWithinItsField_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("shown");
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("above 100") << 200 << 100;
        QTest::newRow("negative") << -4 << 0;
        QTest::newRow("low 16 bits") << 65539 << 3;
    }

    void CountIsShownWithinItsField()
    {
        QFETCH(int, count);
        QFETCH(int, shown);
        TSchemeForm form;
        form.LoadScheme(QStringLiteral("Every"), Scheme(TRegScheme::stEvery, count, 0, 0));
        QCOMPARE(Field<QSpinBox>(&form, "CountSpinBox")->value(), shown);
    }

    void EveryFieldHasItsCaption()
    {
        TSchemeForm form;
        QVERIFY(ShowActive(&form));
        QCOMPARE(CaptionOf(Field<QSpinBox>(&form, "CountSpinBox")), QStringLiteral("Every :"));
        QCOMPARE(CaptionOf(Field<QLineEdit>(&form, "DateEdit")), QStringLiteral("Date :"));
        QCOMPARE(CaptionOf(Field<QLineEdit>(&form, "TimeEdit")), QStringLiteral("Time :"));
        Click(Field<QCheckBox>(&form, "StartOnNowCheckBox")); // frees the date and time
        QCOMPARE(TabOrder(&form), QStringList({"CountSpinBox", "DateEdit", "TimeEdit", "StartOnNowCheckBox",
                                               "OkButton", "CancelButton"}));
        QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), Field<QLineEdit>(&form, "DateEdit"));
        QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("CountSpinBox"));

        TPage p;
        QCOMPARE(CaptionOf(p.types), QStringLiteral("Choose a type :"));
    }
};

QTEST_MAIN(TSchemeEditorTest)
#include "SchemeEditor_qtest.moc"
