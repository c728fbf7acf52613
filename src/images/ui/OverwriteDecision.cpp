#include "images/ui/OverwriteDecision.h"

#include "engine/FileNames.h"

#include <QFileInfo>

QString TOverwriteState::Resolve(const QString &source, const QString &target, const TOverwriteQuestion &ask)
{
    if (!QFileInfo::exists(target))
        return target;
    if (AskAgain) {
        const TOverwriteAnswer answer = ask(source, target);
        AskAgain = !answer.NoPrompt;
        Decision = answer.Decision;
    }
    switch (Decision) {
    case TOverwriteDecision::Overwrite:
        return target;
    case TOverwriteDecision::Rename:
        return UniqueFileName(target);
    case TOverwriteDecision::Skip:
        break;
    }
    return {};
}
