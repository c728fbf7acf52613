#include "widgets/HtmlHelp.h"

#include "widgets/AppResources.h"
#include "engine/Errors.h"

#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QPointer<THelpForm> &TheHelpWindow()
{
    static QPointer<THelpForm> window;
    return window;
}

QUrl PageUrl(const QString &folder, const QString &page)
{
    const QString path = QDir(folder).filePath(page);
    if (path.startsWith(QLatin1Char(':')))
        return QUrl(QStringLiteral("qrc") + path);
    return QUrl::fromLocalFile(path);
}

} // namespace

QString HelpFileName()
{
    InitAppResources();
    return QStringLiteral(":/help");
}

QString HelpTopicAddress(const QString &topic)
{
    return HelpFileName() + QStringLiteral("::/") + topic;
}

THelpForm::THelpForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Zavelon Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    // The pages are written, as web pages are, for dark text on a white page,
    // and keep it under a dark desktop palette, where their own colours
    // (headings, table heads) would vanish.
    QPalette page = m_browser->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    page.setColor(QPalette::Link, QColor(0x00, 0x00, 0xee));
    page.setColor(QPalette::LinkVisited, QColor(0x55, 0x1a, 0x8b));
    m_browser->setPalette(page);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(720, 560);
}

void THelpForm::ShowPage(const QString &folder, const QString &topic)
{
    const QString page = topic.isEmpty() ? kHelpStartPage : topic;
    if (QFileInfo::exists(QDir(folder).filePath(page))) {
        m_browser->setSource(PageUrl(folder, page));
    } else {
        m_browser->setHtml(QStringLiteral("<h2>Page not found</h2><p>The help has no page \"%1\".</p>"
                                          "<p><a href=\"%2\">Contents</a></p>")
                               .arg(page.toHtmlEscaped(), PageUrl(folder, kHelpStartPage).toString()));
    }
    setWindowTitle(QStringLiteral("Zavelon Help - ") + m_browser->documentTitle());
}

QWidget *CallHtmlHelp(QWidget *owner, const QString &path, int command, quintptr data)
{
    Q_UNUSED(data);
    const qsizetype split = path.indexOf(QStringLiteral("::/"));
    const QString folder = split < 0 ? path : path.left(split);
    const QString topic = split < 0 ? QString() : path.mid(split + 3);

    // The same two failures as an absent help control and a missing entry
    // point; each call looks again, so installing the pages mends it.
    if (!QFileInfo(folder).isDir())
        throw EZavelonError(QStringLiteral("Help pages not installed!\n Help cannot be displayed!"));
    if (!QFileInfo::exists(QDir(folder).filePath(kHelpStartPage)))
        throw EZavelonError(QStringLiteral("Help start page cannot be loaded!"));

    if (command != kHelpDisplayTopic)
        return nullptr;
    QWidget *ownerWindow = owner ? owner->window() : nullptr;
    if (!TheHelpWindow())
        TheHelpWindow() = new THelpForm(ownerWindow);
    THelpForm *window = TheHelpWindow();
    // Owned by the asking window, so that help asked from a modal dialog is
    // not blocked by that dialog.
    if (window->parentWidget() != ownerWindow) {
        const QRect geometry = window->geometry();
        window->setParent(ownerWindow, Qt::Window);
        window->setGeometry(geometry);
    }
    window->ShowPage(folder, topic);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

THelpForm *HelpWindow()
{
    return TheHelpWindow();
}
