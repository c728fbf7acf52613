#include "settings/TaskNaming.h"

#include "engine/FileNames.h"

namespace {

// Characters a derived name loses: they would split or misplace the name
// when it becomes a file or folder name.
const QString kDroppedFromUrl = QStringLiteral(".\\/:?*");
const QString kRefusedInName = QStringLiteral("\"#$%&'*+,./:;<>?@\\^|");

} // namespace

QString CompleteUrl(const QString &url)
{
    const QString lower = url.toLower();
    if (lower.contains(QLatin1String("http://")) || lower.contains(QLatin1String("https://")))
        return url;
    return QStringLiteral("http://") + url;
}

QString NameFromUrl(const QString &url)
{
    QString name;
    name.reserve(url.size());
    for (const QChar c : url) {
        if (!kDroppedFromUrl.contains(c))
            name += c;
    }
    return UniqueFileName(name);
}

bool IsValidTaskName(const QString &name)
{
    if (name.trimmed().isEmpty())
        return false;
    for (const QChar c : name) {
        if (kRefusedInName.contains(c))
            return false;
    }
    return true;
}

QString SaveFolderOfName(const QString &baseFolder, const QString &name)
{
    return baseFolder + name + QLatin1Char('/');
}
