#pragma once

#include <QString>

// The folder picker shared by the option, task, copy and collect dialogs.
// `folder` is cleared first when it is not an existing folder; when not empty
// the picker starts there, else at `root` when given. On confirmation
// `folder` becomes the chosen folder (no trailing separator except for "/")
// and the result is true; on cancel the result is false and `folder` stays as
// after the first step. The picker is modal to the application.
bool BrowseForFolder(const QString &title, const QString &root, QString &folder);
