#include "images/ui/DeleteByRules.h"

#include "engine/FileNames.h"
#include "images/ImageLibrary.h"

#include <QDir>
#include <QRegularExpression>

namespace {

QRegularExpression FilterExpression(const QString &filter)
{
    QString pattern;
    QString rest = filter;
    // As the file system's search has it, "name.*" also takes "name".
    const bool anyExtension = rest.endsWith(QLatin1String(".*"));
    if (anyExtension)
        rest.chop(2);
    for (const QChar c : std::as_const(rest)) {
        if (c == QLatin1Char('*'))
            pattern += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            pattern += QLatin1Char('.');
        else
            pattern += QRegularExpression::escape(QString(c));
    }
    if (anyExtension)
        pattern += QLatin1String("(\\..*)?");
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

int IntegerOrZero(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

QStringList SmallPictureCandidates(const QStringList &paths, const TImageLibrary &library, int width, int height)
{
    QStringList candidates;
    for (const QString &path : paths) {
        const TImageDetail *record = library.Find(path);
        if (record && record->Width < width && record->Height < height)
            candidates.append(path);
    }
    return candidates;
}

QStringList SmallFileCandidates(const std::vector<TListedFile> &rows, const QString &limitText)
{
    const qint64 limit = IntegerOrZero(limitText);
    QStringList candidates;
    for (const TListedFile &row : rows) {
        if (row.Size / 1024 <= limit)
            candidates.append(row.FileName);
    }
    return candidates;
}

bool MatchesFilter(const QString &name, const QString &filter)
{
    return !filter.isEmpty() && FilterExpression(filter).match(name).hasMatch();
}

QStringList FilterCandidates(const QString &folder, const QString &filter)
{
    const QString trimmed = filter.trimmed();
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    const QString namePattern = trimmed.mid(slash + 1);
    if (folder.isEmpty() || namePattern.isEmpty())
        return {};
    const QString searched = AddBackslash(AddBackslash(folder) + trimmed.left(slash + 1));
    const QRegularExpression expression = FilterExpression(namePattern);
    QStringList candidates;
    const QStringList names =
        QDir(searched).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : names) {
        if (!name.contains(QLatin1String("!!wr")) && expression.match(name).hasMatch())
            candidates.append(searched + name);
    }
    return candidates;
}
