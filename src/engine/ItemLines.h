#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The item lines of a project file: "Done,Depth,URL" per item, each ended by
// CR LF. Readers are lenient: a field that is not a number takes a default
// and nothing is reported.
struct TItemLine
{
    bool Done = false;
    int Depth = 0;
    QString URL;
};

// Splits the bytes at CR LF, lone CR and lone LF, stopping at a NUL byte. A
// line break at the very end does not start another line.
QList<QByteArray> SplitItemLines(QByteArrayView text);

// The number of lines SplitItemLines would give, counting no further than
// `limit`.
qsizetype CountItemLines(QByteArrayView text, qsizetype limit);

// Parses one line. An empty line is waiting, depth 0, no URL. Otherwise the
// first field (up to the first comma, or the whole line) is a decimal number
// whose low 8 bits give Done (not a number: 1); the second field up to the
// next comma is Depth (not a number: -1); the URL is everything after the
// second comma, commas included (empty with fewer than two commas).
TItemLine ParseItemLine(const QString &line);

// One line with its CR LF ending.
QByteArray FormatItemLine(bool done, int depth, const QString &url);
