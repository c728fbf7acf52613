#pragma once

#include <QString>

#include <functional>

// What Copy to, Move to and the collect window do when a target file
// exists. The numbers are those the decision always had.
enum class TOverwriteDecision {
    Overwrite = 0, // replace the target
    Rename = 1,    // copy to a free name beside it ("photo[0].jpg")
    Skip = 2,      // leave both files
};

// The user's answer to one conflict.
struct TOverwriteAnswer {
    TOverwriteDecision Decision = TOverwriteDecision::Skip;
    bool NoPrompt = false; // "Do not prompt me on next time"
};

// Asks about one conflict: `source` would be copied to `target`, which
// exists. Main thread.
using TOverwriteQuestion = std::function<TOverwriteAnswer(const QString &source, const QString &target)>;

// What one operation (one Copy to, one collect copy) keeps while it runs:
// the decision, Rename at first, and whether to ask again, true at first.
// Once the user ticks "Do not prompt me on next time", later conflicts of
// the same operation take the last decision without asking.
struct TOverwriteState {
    TOverwriteDecision Decision = TOverwriteDecision::Rename;
    bool AskAgain = true;

    // The conflict step up to the copy, on the main thread: the path to copy
    // `source` to, or an empty string to skip it. A free target is taken as
    // it is; an existing one is replaced (Overwrite), exchanged for a free
    // name beside it (Rename) or skipped (Skip), asking `ask` while the
    // operation still asks.
    QString Resolve(const QString &source, const QString &target, const TOverwriteQuestion &ask);
};
