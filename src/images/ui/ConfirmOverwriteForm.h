#pragma once

#include "images/ui/OverwriteDecision.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class TPicturePreview;

// "Override file": a target file exists; the user chooses &Override,
// &Rename or &Skip, and may tick "Do not prompt me on next time" so that
// the rest of the operation takes the same choice. Setting a path shows that
// file in its preview. Closing the dialog any other way (Esc, the close box)
// skips the file: leaving a window must not replace anybody's picture.
class TConfirmOverwriteForm : public QDialog
{
    Q_OBJECT

public:
    explicit TConfirmOverwriteForm(QWidget *parent = nullptr);

    void SetSourcePath(const QString &path);
    void SetDestPath(const QString &path);
    // The target's file name, as `FileNameLabel` shows it.
    void SetFileName(const QString &name);
    const QString &SourcePath() const { return m_sourcePath; }
    const QString &DestPath() const { return m_destPath; }

    TOverwriteDecision Decision() const { return m_decision; }
    bool NoPrompt() const;
    TOverwriteAnswer Answer() const { return {m_decision, NoPrompt()}; }

    void OverwriteButtonClick();
    void RenameButtonClick();
    void SkipButtonClick();

private:
    void Choose(TOverwriteDecision decision);

    QLabel *m_fileNameLabel;
    TPicturePreview *m_source;
    TPicturePreview *m_dest;
    QCheckBox *m_noPromptCheck;
    QString m_sourcePath;
    QString m_destPath;
    TOverwriteDecision m_decision = TOverwriteDecision::Skip;
};

// Asks about one conflict with the dialog, modal to `parent`: its file name
// label shows the target's name and, with `previews`, both files are shown.
TOverwriteAnswer AskOverwrite(QWidget *parent, const QString &source, const QString &target, bool previews);
