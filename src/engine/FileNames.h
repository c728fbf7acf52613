#pragma once

#include <QString>

// The text with the path separator appended, unless it is empty or already
// ends with one. Folder values of the options and the settings end with it.
QString AddBackslash(const QString &text);

// A path at which no file exists yet: the path itself when free, else the
// folder + the name before its first dot + "[n]" + the extension from the last
// dot, for the first n = 0, 1, ... that is free ("a.b.jpg" -> "a[0].jpg").
QString UniqueFileName(const QString &path);
