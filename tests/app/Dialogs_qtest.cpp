// The small windows and services: shut-down countdown and power-off, tips,
// help, About, the folder picker, the splash and the RTF log writer.
#include "AppTestSupport.h"

#include "app/AboutForm.h"
#include "widgets/FolderPicker.h"
#include "widgets/HtmlHelp.h"
#include "app/LoadingForm.h"
#include "app/MainForm.h"
#include "app/PowerOff.h"
#include "app/RtfWriter.h"
#include "app/ShutdownForm.h"
#include "app/TipForm.h"
#include "engine/AppInfo.h"
#include "engine/Errors.h"
#include "settings/RegSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {

QString HelpError(const QString &path)
{
    try {
        CallHtmlHelp(nullptr, path, kHelpDisplayTopic, 0);
    } catch (const EZavelonError &error) {
        return error.message();
    }
    return {};
}

} // namespace

class TDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        home = std::make_unique<TTempHome>();
        errors = std::make_unique<TErrorLog>();
        ResetPowerOffRequests();
    }

    void cleanup()
    {
        QCOMPARE(errors->Texts, QStringList());
        errors.reset();
        home.reset();
    }

    void CountdownTicksFifteenTimesThenAccepts()
    {
        TShutdownForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Shutdown computer"));
        QCOMPARE(form.ShutLabel()->text(), QStringLiteral("Auto shutdown computer in 15 second(s)"));
        QCOMPARE(form.ProgressBar()->value(), 0);
        QCOMPARE(form.ProgressBar()->maximum(), 15);
        QCOMPARE(form.Timer()->interval(), 1000);
        for (int tick = 1; tick <= 15; ++tick) {
            QCOMPARE(form.result(), 0);
            form.TimerTimer();
            QCOMPARE(form.ElapsedSeconds, tick);
            QCOMPARE(form.ProgressBar()->value(), tick);
            QCOMPARE(form.ShutLabel()->text(), QStringLiteral("Auto shutdown computer in %1 second(s)").arg(15 - tick));
        }
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.Timer()->isActive());
    }

    void OfferShutdownPowersOffOnlyAfterTheCountdown_data()
    {
        QTest::addColumn<int>("ticksBeforeCancel"); // -1: never cancelled
        QTest::addColumn<int>("powerOffs");
        QTest::newRow("countdown ends") << -1 << 1;
        QTest::newRow("cancel at once") << 0 << 0;
        QTest::newRow("cancel at 14") << 14 << 0;
    }

    void OfferShutdownPowersOffOnlyAfterTheCountdown()
    {
        QFETCH(int, ticksBeforeCancel);
        QFETCH(int, powerOffs);
        auto form = MakeMainForm();
        TModalHandler handler([&](QWidget *modal) {
            auto *countdown = qobject_cast<TShutdownForm *>(modal);
            QVERIFY(countdown);
            countdown->Timer()->stop(); // the test drives the ticks
            const int ticks = ticksBeforeCancel < 0 ? TShutdownForm::kSeconds : ticksBeforeCancel;
            for (int i = 0; i < ticks; ++i)
                countdown->TimerTimer();
            if (ticksBeforeCancel >= 0)
                countdown->findChild<QPushButton *>(QStringLiteral("CancelButton"))->click();
        });
        form->OfferShutdown();
        QVERIFY(handler.Fired());
        QCOMPARE(PowerOffRequests(), powerOffs);
    }

    void ShutdownComputerGoesThroughTheInstalledService()
    {
        struct TCounter : TPowerOffService {
            int *calls;
            explicit TCounter(int *c) : calls(c) {}
            void PowerOff() override { ++*calls; }
        };
        int calls = 0;
        std::unique_ptr<TPowerOffService> previous = SetPowerOffService(std::make_unique<TCounter>(&calls));
        ShutdownComputer();
        ShutdownComputer();
        SetPowerOffService(std::move(previous));
        QCOMPARE(calls, 2);
        QCOMPARE(PowerOffRequests(), 0);
    }

    void TipIndexWraps_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("shown");
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("middle") << 3 << 3;
        QTest::newRow("last") << 7 << 7;
        QTest::newRow("one past the last") << 8 << 0;
        QTest::newRow("negative") << -1 << 0;
        QTest::newRow("far out") << 1000 << 0;
    }

    void TipIndexWraps()
    {
        QFETCH(int, index);
        QFETCH(int, shown);
        TTipForm form;
        form.ShowTipAt(index);
        QCOMPARE(form.CurrentTip, shown);
        QCOMPARE(form.TipMemo()->toPlainText(), TipTexts().at(shown));
    }

    void TipsAreTheEightInOrder()
    {
        TTipForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Tip of the Day"));
        QCOMPARE(form.Tips.size(), 8);
        QCOMPARE(form.Tips.at(1), QStringLiteral("Double click image file can view image in full screen mode."));
        QVERIFY(form.Tips.at(0).contains(QStringLiteral("\"Download Images by Zavelon\"")));
        QCOMPARE(form.Tips.at(7), QStringLiteral("Visit our website to find new version of Zavelon at ") + AppInfo::kWebAddress);
        form.ShowTipAt(7);
        form.findChild<QPushButton *>(QStringLiteral("NextTipButton"))->click();
        QCOMPARE(form.CurrentTip, 0);
        QVERIFY(!form.TipMemo()->isEnabled());
        QVERIFY(form.TipMemo()->isReadOnly());
    }

    void TipOfTheDayFromTheMenuStartsAfterTheLastShown_data()
    {
        QTest::addColumn<int>("storedIndex");
        QTest::addColumn<bool>("showTip");
        QTest::addColumn<int>("firstShown");
        QTest::newRow("after 0") << 0 << true << 1;
        QTest::newRow("after the last") << 7 << false << 0;
    }

    void TipOfTheDayFromTheMenuStartsAfterTheLastShown()
    {
        QFETCH(int, storedIndex);
        QFETCH(bool, showTip);
        QFETCH(int, firstShown);
        auto form = MakeMainForm();
        form->Settings->Window.TipIndex = storedIndex;
        form->Settings->Window.ShowTip = showTip;
        int shownFirst = -1;
        bool boxChecked = false;
        TModalHandler handler([&](QWidget *modal) {
            auto *tips = qobject_cast<TTipForm *>(modal);
            QVERIFY(tips);
            shownFirst = tips->CurrentTip;
            boxChecked = tips->ShowTipCheckBox()->isChecked();
            tips->findChild<QPushButton *>(QStringLiteral("NextTipButton"))->click();
            tips->ShowTipCheckBox()->setChecked(showTip); // flip the choice
            tips->findChild<QPushButton *>(QStringLiteral("CloseButton"))->click();
        });
        form->Action(QStringLiteral("HelpTipAction"))->trigger();
        QVERIFY(handler.Fired());
        QCOMPARE(shownFirst, firstShown);
        QCOMPARE(boxChecked, !showTip);
        QCOMPARE(form->Settings->Window.TipIndex, (firstShown + 1) % 8);
        QCOMPARE(form->Settings->Window.ShowTip, !showTip);
    }

    void StartupTipTimerWaitsWhileTipsAreOff()
    {
        auto form = MakeMainForm();
        form->LoadTipTimer->start();
        QCOMPARE(form->LoadTipTimer->interval(), 2000);
        form->Settings->Window.ShowTip = false;
        {
            TModalHandler none([](QWidget *modal) { modal->close(); });
            form->LoadTipTimerTimer();
            QTest::qWait(30);
            QVERIFY(!none.Fired());
            QVERIFY(form->LoadTipTimer->isActive());
        }

        form->Settings->Window.ShowTip = true;
        form->Settings->Window.TipIndex = 0;
        int shown = -1;
        TModalHandler handler([&](QWidget *modal) {
            auto *tips = qobject_cast<TTipForm *>(modal);
            QVERIFY(tips);
            shown = tips->CurrentTip;
            tips->ShowTipCheckBox()->setChecked(true);
            tips->accept();
        });
        form->LoadTipTimerTimer();
        QVERIFY(handler.Fired());
        QCOMPARE(shown, 1);
        QVERIFY(!form->LoadTipTimer->isActive());
        QCOMPARE(form->Settings->Window.TipIndex, 1);
        QVERIFY(!form->Settings->Window.ShowTip);
    }

    void HelpReportsMissingPagesEveryTime()
    {
        const QString missing = home->Path() + QStringLiteral("no-help");
        for (int attempt = 0; attempt < 2; ++attempt)
            QCOMPARE(HelpError(missing + QStringLiteral("::/") + kHelpTopicLibrary),
                     QStringLiteral("Help pages not installed!\n Help cannot be displayed!"));
        QVERIFY(QDir().mkpath(missing));
        for (int attempt = 0; attempt < 2; ++attempt)
            QCOMPARE(HelpError(missing), QStringLiteral("Help start page cannot be loaded!"));
        QVERIFY(!HelpWindow() || !HelpWindow()->isVisible());
    }

    void HelpShowsEveryTopicPage_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::newRow("start page") << QString();
        for (const QString &topic : {kHelpTopicOptions, kHelpTopicNewTask, kHelpTopicCollect, kHelpTopicLibrary})
            QTest::newRow(qPrintable(topic)) << topic;
    }

    void HelpShowsEveryTopicPage()
    {
        QFETCH(QString, topic);
        const QString path = topic.isEmpty() ? HelpFileName() : HelpTopicAddress(topic);
        QWidget *window = CallHtmlHelp(nullptr, path, kHelpDisplayTopic, 0);
        QVERIFY(window && window == HelpWindow());
        QTextBrowser *browser = HelpWindow()->Browser();
        QCOMPARE(browser->source().fileName(), topic.isEmpty() ? kHelpStartPage : topic);
        QVERIFY(!browser->documentTitle().isEmpty());
        QVERIFY(!browser->toPlainText().contains(QStringLiteral("Page not found")));

        // Every page links to pages that exist.
        QFile page(QDir(HelpFileName()).filePath(browser->source().fileName()));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.htm)\""));
        for (const QRegularExpressionMatch &match : link.globalMatch(html)) {
            const QString target = QUrl::fromPercentEncoding(match.captured(1).toUtf8());
            QVERIFY2(QFile::exists(QDir(HelpFileName()).filePath(target)), qPrintable(target));
        }
    }

    void HelpCommandShowsTheStartPageAndMissingTopicsInTheViewer()
    {
        auto form = MakeMainForm();
        form->Action(QStringLiteral("HelpTopicAction"))->trigger();
        QVERIFY(HelpWindow() && HelpWindow()->isVisible());
        QCOMPARE(HelpWindow()->Browser()->source().fileName(), kHelpStartPage);
        CallHtmlHelp(form.get(), HelpTopicAddress(QStringLiteral("No such page.htm")), kHelpDisplayTopic, 0);
        QVERIFY(HelpWindow()->Browser()->toPlainText().contains(QStringLiteral("No such page.htm")));
    }

    void AboutShowsTheProjectAddresses()
    {
        TAboutForm about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.WebLabel()->text(), AppInfo::kWebAddress);
        QCOMPARE(about.MailLabel()->text(), SupportMailAddress());
        QVERIFY(SupportMailAddress().endsWith(QUrl(AppInfo::kWebAddress).host()));
        QVERIFY(about.findChild<QPushButton *>(QStringLiteral("GoWebButton"))->isDefault());
    }

    void FolderPickerClearsMissingFoldersAndKeepsThemOnCancel()
    {
        QString folder = home->Path() + QStringLiteral("does-not-exist");
        QString startedIn;
        TModalHandler cancel([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            startedIn = dialog->windowTitle();
            dialog->reject();
        });
        QVERIFY(!BrowseForFolder(QStringLiteral("Log folder"), QString(), folder));
        QVERIFY(cancel.Fired());
        QCOMPARE(startedIn, QStringLiteral("Log folder"));
        QCOMPARE(folder, QString());
    }

    void FolderPickerReturnsTheChosenFolderWithoutSeparator()
    {
        const QString chosen = home->Path() + QStringLiteral("Pictures");
        QVERIFY(QDir().mkpath(chosen));
        QString folder = chosen + QLatin1Char('/');
        QString startDirectory;
        TModalHandler accept([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            startDirectory = dialog->directory().absolutePath();
            static_cast<QDialog *>(dialog)->accept();
        });
        QVERIFY(BrowseForFolder(QStringLiteral("Default folder"), QString(), folder));
        QCOMPARE(startDirectory, chosen);
        QCOMPARE(folder, chosen);
    }

    void SplashClosesAtItsTimerOrOnAClick()
    {
        QPointer<TLoadingForm> timed = new TLoadingForm;
        timed->show();
        QCOMPARE(timed->size(), QSize(400, 300));
        QCOMPARE(timed->Timer()->interval(), 2000);
        QVERIFY(timed->windowFlags() & Qt::WindowStaysOnTopHint);
        QTRY_VERIFY_WITH_TIMEOUT(!timed, 20000);

        QPointer<TLoadingForm> clicked = new TLoadingForm;
        clicked->show();
        QTest::mouseClick(clicked->findChild<QLabel *>(QStringLiteral("Image")), Qt::LeftButton);
        QTRY_VERIFY(!clicked);
    }

    void RtfEscapesAndEncodes()
    {
        const QByteArray rtf = PlainTextToRtf(QStringLiteral("a\\b{c}\n\tx \u00e9\u20ac") + QString::fromUtf8("\xF0\x9F\x98\x80"));
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi"));
        QVERIFY(rtf.endsWith("}\n"));
        QVERIFY2(rtf.contains("a\\\\b\\{c\\}\\par\n\\tab x \\u233?\\u8364?\\u-10179?\\u-8704?"), rtf.constData());
        // Only ASCII in the file; braces balance outside escapes.
        int depth = 0;
        for (qsizetype i = 0; i < rtf.size(); ++i) {
            QVERIFY(uchar(rtf[i]) < 0x80);
            if (rtf[i] == '\\') {
                ++i;
                continue;
            }
            depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
            QVERIFY(depth >= 0);
        }
        QCOMPARE(depth, 0);
    }

    void RtfFileIsWrittenWholeOrNotAtAll()
    {
        const QString file = home->Path() + QStringLiteral("log.rtf");
        SaveTextAsRtf(QStringLiteral("line"), file);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), PlainTextToRtf(QStringLiteral("line")));
        QVERIFY_THROWS_EXCEPTION(EZavelonError, SaveTextAsRtf(QStringLiteral("x"), file + QStringLiteral("/inside.rtf")));
        QCOMPARE(QDir(home->Path()).entryList(QDir::Files), QStringList{QStringLiteral("log.rtf")});
    }

    void LogFileNameIsTheDayNumber()
    {
        const QChar point = QLocale::system().decimalPoint().at(0);
        QCOMPARE(LogFileNameFor(46365.5), QStringLiteral("46365") + point + QStringLiteral("5.rtf"));
        QCOMPARE(LogFileNameFor(46365.0), QStringLiteral("46365.rtf"));
        // 15 significant digits, no exponent, no group separators.
        QCOMPARE(LogFileNameFor(46365.123456789012), QStringLiteral("46365") + point + QStringLiteral("123456789.rtf"));
    }

private:
    std::unique_ptr<TTempHome> home;
    std::unique_ptr<TErrorLog> errors;
};

QTEST_MAIN(TDialogsTest)
#include "Dialogs_qtest.moc"
