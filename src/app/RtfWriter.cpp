#include "app/RtfWriter.h"

#include "engine/Errors.h"

#include <QLocale>
#include <QSaveFile>

namespace {

void AppendEscaped(QByteArray &out, const QString &line)
{
    for (const QChar c : line) {
        const char16_t unit = c.unicode();
        if (unit == u'\\' || unit == u'{' || unit == u'}') {
            out += '\\';
            out += char(unit);
        } else if (unit == u'\t') {
            out += "\\tab ";
        } else if (unit < 0x20) {
            // Other control characters have no place in a log line.
        } else if (unit < 0x80) {
            out += char(unit);
        } else {
            out += "\\u";
            out += QByteArray::number(int(qint16(unit)));
            out += '?';
        }
    }
}

} // namespace

QByteArray PlainTextToRtf(const QString &text)
{
    QByteArray out("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
                   "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\n"
                   "\\viewkind4\\pard\\f0\\fs20 ");
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QChar(0x2029), QChar(u'\n')); // paragraph separator of rich-text views
    const QStringList lines = normalised.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += "\\par\n";
        AppendEscaped(out, lines.at(i));
    }
    out += "\n}\n";
    return out;
}

void SaveTextAsRtf(const QString &text, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EZavelonError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
    file.write(PlainTextToRtf(text));
    if (!file.commit())
        throw EZavelonError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}

QString LogFileNameFor(double days)
{
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(days, 'g', 15) + QStringLiteral(".rtf");
}
