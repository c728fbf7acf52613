#pragma once

#include <QString>

// Text rules of the task engine that deliberately ignore the locale: host
// names, extensions and file-mask entries compare with only the letters A to Z
// folded, and are trimmed of blanks and control characters only.

// The text with A-Z changed to a-z; every other character unchanged.
QString AsciiLower(const QString &text);

// The text without leading and trailing characters whose code is 32 or below
// (blanks and control characters); other white space is kept.
QString TrimLowChars(const QString &text);

// The text as it may reach a terminal or a log: every control character
// (C0 codes 0-31, DEL, C1 codes 128-159) written as "\xHH", so a URL or a
// file name from a web page can neither break a line nor send a terminal an
// escape sequence. Text without control characters comes back unchanged.
QString EscapeControlChars(const QString &text);
