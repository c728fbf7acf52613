#pragma once

#include <QString>

class TParsedUrl;

// The text after the first "." of a host; empty when the host has no "." or
// when its first "." is its last character ("w.a.c" -> "a.c", "a." -> "").
// The host is taken as it is: callers lower-case and trim where they must.
QString ParentDomain(const QString &host);

// The fetch priority of a URL found for a task whose start URL is on
// `taskHost`: 1000 x class + the length of the URL text in bytes, where class
// is 9 for the task's own host, 6 for a host with the same parent domain and
// 3 for any other (hosts compared with A-Z folded). Higher is fetched first;
// the value is not capped, so a very long URL outranks the class above.
qint64 ItemPriority(const TParsedUrl &url, const QString &taskHost);
