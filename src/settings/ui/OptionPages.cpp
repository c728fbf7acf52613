#include "settings/ui/OptionPages.h"

#include "engine/FileNames.h"
#include "engine/RegOptions.h"
#include "settings/ui/EditorLayout.h"
#include "settings/ui/FolderField.h"
#include "settings/ui/OptionListEditor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QLineEdit *SizeEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(100);
    return edit;
}

} // namespace

TGeneralPage::TGeneralPage(const QString &folderCaption, const QString &masksCaption, QWidget *parent)
    : QWidget(parent)
{
    m_folder = new TFolderField(QStringLiteral("Folder"), folderCaption, QStringLiteral("Default folder"), this);
    m_masks = new TOptionListEditor(TOptionListEditor::TKind::Masks, masksCaption, this);

    auto *limitGroup = new QGroupBox(QStringLiteral("File size limit :"), this);
    m_limit = new QCheckBox(QStringLiteral("&Enable file size limit"), limitGroup);
    m_limit->setObjectName(QStringLiteral("EnableFileLimitCheckBox"));
    m_maxSize = SizeEdit(QStringLiteral("MaxSizeEdit"), limitGroup);
    m_minSize = SizeEdit(QStringLiteral("MinSizeEdit"), limitGroup);
    auto *maxCaption = FieldCaption(QStringLiteral("&Max. size :"), m_maxSize, limitGroup);
    auto *minCaption = FieldCaption(QStringLiteral("M&in. size :"), m_minSize, limitGroup);
    auto *maxUnit = new QLabel(QStringLiteral("KB"), limitGroup);
    auto *minUnit = new QLabel(QStringLiteral("KB"), limitGroup);
    m_sizeControls = {maxCaption, m_maxSize, maxUnit, minCaption, m_minSize, minUnit};
    auto *limitLayout = new QGridLayout(limitGroup);
    limitLayout->addWidget(m_limit, 0, 0, 1, 3);
    limitLayout->addWidget(maxCaption, 1, 0);
    limitLayout->addWidget(m_maxSize, 1, 1);
    limitLayout->addWidget(maxUnit, 1, 2);
    limitLayout->addWidget(minCaption, 2, 0);
    limitLayout->addWidget(m_minSize, 2, 1);
    limitLayout->addWidget(minUnit, 2, 2);
    limitLayout->setColumnStretch(3, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_folder);
    layout->addWidget(m_masks, 1);
    layout->addWidget(limitGroup);

    connect(m_limit, &QCheckBox::toggled, this, &TGeneralPage::LimitChanged);
    LimitChanged();
}

QWidget *TGeneralPage::MaskList() const
{
    return m_masks->ListView();
}

void TGeneralPage::SetSizeLimit(bool enabled, const QString &maxSize, const QString &minSize)
{
    m_limit->setChecked(enabled);
    m_maxSize->setText(maxSize);
    m_minSize->setText(minSize);
}

void TGeneralPage::LimitChanged()
{
    for (QWidget *control : m_sizeControls)
        control->setEnabled(m_limit->isChecked());
}

void TGeneralPage::LoadOptions(const TRegOptions &options)
{
    m_folder->SetText(options.DefaultFolder);
    SetSizeLimit(options.EnableFileLimit, QString::number(options.FileMaxSize), QString::number(options.FileMinSize));
    m_masks->SetEntries(options.FileMasks);
}

void TGeneralPage::SaveOptions(TRegOptions &options) const
{
    options.DefaultFolder = AddBackslash(m_folder->Text());
    options.EnableFileLimit = m_limit->isChecked();
    options.FileMaxSize = IntegerOrDefault(m_maxSize->text(), 0);
    options.FileMinSize = IntegerOrDefault(m_minSize->text(), 0);
    options.FileMasks = m_masks->Entries();
}

TWebSitePage::TWebSitePage(QWidget *parent)
    : QWidget(parent)
{
    auto *seekGroup = new QGroupBox(QStringLiteral("Seek options :"), this);
    m_depth = new QSlider(Qt::Horizontal, seekGroup);
    m_depth->setObjectName(QStringLiteral("SeekDeepTrackBar"));
    m_depth->setRange(0, 30);
    m_depth->setPageStep(5);
    m_depth->setTickPosition(QSlider::TicksBelow);
    m_depth->setTickInterval(1);
    m_depthValue = new QLabel(QStringLiteral("0"), seekGroup);
    m_depthValue->setObjectName(QStringLiteral("SeekDeepLabel"));
    m_depthValue->setMinimumWidth(m_depthValue->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    auto *seekLayout = new QHBoxLayout(seekGroup);
    seekLayout->addWidget(FieldCaption(QStringLiteral("&Seek deep :"), m_depth, seekGroup));
    seekLayout->addWidget(m_depth, 1);
    seekLayout->addWidget(m_depthValue);
    connect(m_depth, &QSlider::valueChanged, m_depthValue, qOverload<int>(&QLabel::setNum));

    m_excludes = new TOptionListEditor(TOptionListEditor::TKind::Excludes, QStringLiteral("E&xclude file :"), this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(seekGroup);
    layout->addWidget(m_excludes, 1);
}

void TWebSitePage::LoadOptions(const TRegOptions &options)
{
    m_depth->setValue(options.SeekDeep);
    m_excludes->SetEntries(options.ExcludeFiles);
}

void TWebSitePage::SaveOptions(TRegOptions &options) const
{
    options.SeekDeep = m_depth->value();
    options.ExcludeFiles = m_excludes->Entries();
}
