#include "images/ui/ConfirmOverwriteForm.h"

#include "images/ui/PicturePreview.h"
#include "widgets/SideButton.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

TPicturePreview *MakePreview(const QString &name, QWidget *parent)
{
    auto *preview = new TPicturePreview(parent);
    preview->setObjectName(name);
    preview->setFixedSize(240, 180);
    return preview;
}

} // namespace

TConfirmOverwriteForm::TConfirmOverwriteForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ConfirmOverwriteForm"));
    setWindowTitle(QStringLiteral("Override file"));

    auto *fileLabel = new QLabel(QStringLiteral("File"), this);
    m_fileNameLabel = new QLabel(this);
    m_fileNameLabel->setObjectName(QStringLiteral("FileNameLabel"));
    m_fileNameLabel->setTextFormat(Qt::PlainText);
    QFont bold = m_fileNameLabel->font();
    bold.setBold(true);
    m_fileNameLabel->setFont(bold);
    auto *questionLabel = new QLabel(QStringLiteral("is already exist, do you want to override it ?"), this);

    auto *sourceLabel = new QLabel(QStringLiteral("Source file:"), this);
    m_source = MakePreview(QStringLiteral("SourcePreview"), this);
    auto *destLabel = new QLabel(QStringLiteral("Destination file:"), this);
    m_dest = MakePreview(QStringLiteral("DestPreview"), this);

    auto *overwrite = SideButton(QStringLiteral("&Override"), QStringLiteral("OverwriteButton"), this);
    auto *rename = SideButton(QStringLiteral("&Rename"), QStringLiteral("RenameButton"), this);
    auto *skip = SideButton(QStringLiteral("&Skip"), QStringLiteral("SkipButton"), this);
    rename->setDefault(true);
    m_noPromptCheck = new QCheckBox(QStringLiteral("Do not prompt me on next time"), this);
    m_noPromptCheck->setObjectName(QStringLiteral("NoPromptCheck"));
    connect(overwrite, &QPushButton::clicked, this, &TConfirmOverwriteForm::OverwriteButtonClick);
    connect(rename, &QPushButton::clicked, this, &TConfirmOverwriteForm::RenameButtonClick);
    connect(skip, &QPushButton::clicked, this, &TConfirmOverwriteForm::SkipButtonClick);

    auto *nameLine = new QHBoxLayout;
    nameLine->addWidget(fileLabel);
    nameLine->addWidget(m_fileNameLabel, 1);
    auto *previews = new QGridLayout;
    previews->addWidget(sourceLabel, 0, 0);
    previews->addWidget(destLabel, 0, 1);
    previews->addWidget(m_source, 1, 0);
    previews->addWidget(m_dest, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_noPromptCheck);
    buttons->addStretch();
    buttons->addWidget(overwrite);
    buttons->addWidget(rename);
    buttons->addWidget(skip);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(nameLine);
    layout->addWidget(questionLabel);
    layout->addLayout(previews);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TConfirmOverwriteForm::SetSourcePath(const QString &path)
{
    m_sourcePath = path;
    m_source->ShowFile(path);
}

void TConfirmOverwriteForm::SetDestPath(const QString &path)
{
    m_destPath = path;
    m_dest->ShowFile(path);
}

void TConfirmOverwriteForm::SetFileName(const QString &name)
{
    m_fileNameLabel->setText(name);
}

bool TConfirmOverwriteForm::NoPrompt() const
{
    return m_noPromptCheck->isChecked();
}

void TConfirmOverwriteForm::OverwriteButtonClick()
{
    Choose(TOverwriteDecision::Overwrite);
}

void TConfirmOverwriteForm::RenameButtonClick()
{
    Choose(TOverwriteDecision::Rename);
}

void TConfirmOverwriteForm::SkipButtonClick()
{
    Choose(TOverwriteDecision::Skip);
}

void TConfirmOverwriteForm::Choose(TOverwriteDecision decision)
{
    m_decision = decision;
    accept();
}

TOverwriteAnswer AskOverwrite(QWidget *parent, const QString &source, const QString &target, bool previews)
{
    TConfirmOverwriteForm form(parent);
    form.SetFileName(QFileInfo(target).fileName());
    if (previews) {
        form.SetSourcePath(source);
        form.SetDestPath(target);
    }
    form.exec();
    return form.Answer();
}
