#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

// The help pages: HTML files compiled into the program (":/help"), one start
// page and one page per window that has a "&Help" button. A help address is
// the pages' folder, "::/" and a topic page; without a topic the start page
// is shown.
inline constexpr int kHelpDisplayTopic = 0;
inline const QString kHelpStartPage = QStringLiteral("Welcome.htm");
inline const QString kHelpTopicOptions = QStringLiteral("User interface - Default Options Window.htm");
inline const QString kHelpTopicNewTask = QStringLiteral("User interface - New Task Window.htm");
inline const QString kHelpTopicCollect = QStringLiteral("User interface - Collect Window.htm");
inline const QString kHelpTopicLibrary = QStringLiteral("User interface - Library Window.htm");

// The help pages of this program: folder + "::/" + topic addresses a page.
QString HelpFileName();
QString HelpTopicAddress(const QString &topic);

// The in-program help viewer: one window for the whole run, made on the first
// successful call of CallHtmlHelp.
class THelpForm : public QWidget
{
    Q_OBJECT

public:
    explicit THelpForm(QWidget *parent = nullptr);

    QTextBrowser *Browser() const { return m_browser; }
    void ShowPage(const QString &folder, const QString &topic);

private:
    QTextBrowser *m_browser = nullptr;
};

// Shows help. `path` is the pages' folder, optionally followed by "::/" and a
// topic page; command 0 displays that topic (the start page when none). The
// result is the help window, or null for a command this viewer does not know.
// Raises EZavelonError when the pages are not installed, or when their start
// page is missing; a missing topic page is shown as such by the viewer.
QWidget *CallHtmlHelp(QWidget *owner, const QString &path, int command, quintptr data);

// The one help window, null before the first successful call.
THelpForm *HelpWindow();
