#pragma once

#include <QByteArray>
#include <QString>

// A small writer of plain text as rich text (RTF 1.x): one paragraph per line
// in a fixed-pitch face; "\", "{" and "}" are escaped, tabs become \tab and
// every character beyond ASCII is written as \uN? (N the signed 16-bit UTF-16
// unit, "?" the fallback for readers without Unicode).
QByteArray PlainTextToRtf(const QString &text);

// Writes the text as an RTF file, atomically (temporary file + rename).
// Raises EZavelonError naming the file when it cannot be written.
void SaveTextAsRtf(const QString &text, const QString &fileName);

// The name of a log file written now: the current local date-time as a day
// count since 1899-12-30 with up to 15 significant digits and the user's
// decimal separator, followed by ".rtf".
QString LogFileNameFor(double days);
