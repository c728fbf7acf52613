// The main window's Help and View commands, the tip of the day, the log file
// and the shut-down offer.
#include "app/MainForm.h"

#include "app/AboutForm.h"
#include "widgets/ErrorReport.h"
#include "widgets/HtmlHelp.h"
#include "app/PowerOff.h"
#include "app/RtfWriter.h"
#include "app/ShutdownForm.h"
#include "app/TipForm.h"
#include "engine/AppInfo.h"
#include "engine/DateTime.h"
#include "engine/Errors.h"
#include "engine/FileNames.h"
#include "settings/RegSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

void TMainForm::ViewShowHideStdBarActionExecute()
{
    // The action has toggled its own check already; the bar follows it.
    StandardToolBar->setVisible(Action(QStringLiteral("ViewShowHideStdBarAction"))->isChecked());
}

void TMainForm::ViewShowHideStateActionExecute()
{
    // Hiding a splitter's pane hides the handle above it as well.
    StatePanel->setVisible(Action(QStringLiteral("ViewShowHideStateAction"))->isChecked());
}

void TMainForm::HelpTopicActionExecute()
{
    try {
        CallHtmlHelp(this, HelpFileName(), kHelpDisplayTopic, 0);
    } catch (const EZavelonError &error) {
        ShowErrorMessage(this, error.message());
    }
}

void TMainForm::HelpAboutActionExecute()
{
    TAboutForm about(this);
    about.exec();
}

void TMainForm::HelpVisitActionExecute()
{
    OpenExternalAddress(AppInfo::kWebAddress);
}

void TMainForm::LoadTipTimerTimer()
{
    if (!Settings || !Settings->Window.ShowTip)
        return;
    LoadTipTimer->stop();
    ShowTipDialog(false);
}

void TMainForm::HelpTipActionExecute()
{
    ShowTipDialog(true);
}

void TMainForm::ShowTipDialog(bool fromMenu)
{
    TRegWindow &window = Settings->Window;
    TTipForm tips(this);
    tips.ShowTipAt(window.TipIndex + 1);
    if (fromMenu)
        tips.ShowTipCheckBox()->setChecked(!window.ShowTip);
    tips.exec();
    window.TipIndex = tips.CurrentTip;
    window.ShowTip = !tips.ShowTipCheckBox()->isChecked();
}

void TMainForm::OfferShutdown()
{
    TShutdownForm countdown(this);
    if (countdown.exec() == QDialog::Accepted)
        ShutdownComputer();
}

QString TMainForm::SaveLogFile()
{
    const QString fileName = AddBackslash(Settings->Options.DefaultLogFolder) + LogFileNameFor(NowDays());
    SaveTextAsRtf(LogEdit->toPlainText(), fileName);
    return fileName;
}
