// zavelon-cli scan: runs the link scanner over a saved page, as a worker does
// over a fetched one, and lists the links it would queue.
#include "cli/Command.h"
#include "engine/AsciiText.h"
#include "engine/Errors.h"
#include "engine/HTMLScan.h"

#include <QFile>

#include <cstdio>

namespace {

QByteArray ReadPage(QFile &file, const QString &name)
{
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EZavelonError(QStringLiteral("cannot read %1: %2").arg(name, file.errorString()));
    return bytes;
}

QByteArray ReadPageFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    return ReadPage(file, path);
}

QByteArray ReadPageStdin()
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("cannot read standard input: %1").arg(input.errorString()));
    return ReadPage(input, QStringLiteral("standard input"));
}

int RunScan(const QStringList &args)
{
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--")))
            throw UsageError("scan: unknown option " + arg.toStdString());
    }
    if (args.isEmpty() || args.size() > 2)
        throw UsageError("scan needs BASEURL and at most one FILE");

    const QByteArray page = args.size() == 2 ? ReadPageFile(args[1]) : ReadPageStdin();

    // The worker's order: MainURL first (nothing to scan yet), then the text.
    THTMLScan scanner;
    scanner.SetMainURL(args[0]);
    scanner.SetHTMLText(page);

    QByteArray out;
    const TURLPathItems &links = scanner.Links();
    for (qsizetype i = 0; i < links.Count(); ++i) {
        // One link, one line: a line end or a terminal's escape inside a
        // link is shown escaped.
        out += EscapeControlChars(links.Get(i)->URL()).toUtf8();
        out += '\n';
    }
    PrintOut(out);
    return kExitOk;
}

const CommandRegistrar reg{{{QStringLiteral("scan")}, QStringLiteral("scan BASEURL [FILE]"), RunScan}};

} // namespace
