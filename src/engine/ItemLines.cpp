#include "engine/ItemLines.h"

#include <limits>

namespace {

// A decimal integer: optional sign, then digits only, within 32 bits.
bool ParseInt32(QStringView text, int &value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return false;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(result);
    return true;
}

int Int32Or(QStringView text, int fallback)
{
    int value = 0;
    return ParseInt32(text, value) ? value : fallback;
}

} // namespace

QList<QByteArray> SplitItemLines(QByteArrayView text)
{
    QList<QByteArray> lines;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] != '\0') {
        const qsizetype start = i;
        while (i < n && text[i] != '\0' && text[i] != '\r' && text[i] != '\n')
            ++i;
        lines.append(text.sliced(start, i - start).toByteArray());
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
    }
    return lines;
}

qsizetype CountItemLines(QByteArrayView text, qsizetype limit)
{
    qsizetype count = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] != '\0' && count < limit) {
        while (i < n && text[i] != '\0' && text[i] != '\r' && text[i] != '\n')
            ++i;
        ++count;
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
    }
    return count;
}

TItemLine ParseItemLine(const QString &line)
{
    TItemLine result;
    if (line.isEmpty())
        return result;
    const qsizetype first = line.indexOf(u',');
    const QStringView doneField = first < 0 ? QStringView(line) : QStringView(line).left(first);
    // Done is kept as one byte: only the low 8 bits of the number count.
    result.Done = (Int32Or(doneField, 1) & 0xFF) != 0;

    const qsizetype second = first < 0 ? -1 : line.indexOf(u',', first + 1);
    QStringView depthField;
    if (first >= 0)
        depthField = second < 0 ? QStringView(line).mid(first + 1) : QStringView(line).mid(first + 1, second - first - 1);
    result.Depth = Int32Or(depthField, -1);
    if (second >= 0)
        result.URL = line.mid(second + 1);
    return result;
}

QByteArray FormatItemLine(bool done, int depth, const QString &url)
{
    return QByteArray(done ? "1" : "0") + ',' + QByteArray::number(depth) + ',' + url.toUtf8() + "\r\n";
}
