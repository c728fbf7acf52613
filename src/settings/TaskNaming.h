#pragma once

#include <QString>

// Rules of the task dialog for a task's URL, name and save folder, shared by
// the dialog and `zavelon-cli task new`.

// URL completion: "http://" is put in front of a URL whose lower-cased text
// contains neither "http://" nor "https://" anywhere; any other URL is left
// as it is (so an https address never becomes "http://https://...").
QString CompleteUrl(const QString &url);

// The task name derived from a URL: the URL text without any ".", "\", "/",
// ":", "?" or "*", made unique with UniqueFileName in the process's current
// folder (a taken name gets "[0]", "[1]", ... appended).
QString NameFromUrl(const QString &url);

// A task name is valid when its trimmed text is not empty and it holds none of
// the twenty characters " # $ % & ' * + , . / : ; < > ? @ \ ^ |.
bool IsValidTaskName(const QString &name);
// The message shown for an invalid name.
inline const QString kInvalidTaskNameMessage =
    QStringLiteral("Sorry, the task name is invalid, please change a name and try again!");

// The save folder that follows a name: base folder + name + "/".
QString SaveFolderOfName(const QString &baseFolder, const QString &name);
