#include "images/ui/DeleteByForm.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox *MakeSideEdit(const char *name, QWidget *parent)
{
    auto *edit = new QSpinBox(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setRange(0, 2000);
    edit->setValue(300);
    return edit;
}

QLabel *MakeLabel(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TDeleteByForm::TDeleteByForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DeleteByForm"));
    setWindowTitle(QStringLiteral("Delete by ..."));
    auto *layout = new QVBoxLayout(this);

    m_imageSizeButton = new QRadioButton(QStringLiteral("Image size"), this);
    m_imageSizeButton->setObjectName(QStringLiteral("ImageSizeButton"));
    m_imageSizeButton->setChecked(true);
    auto *imageSizeGroup = new QGroupBox(QStringLiteral("By image size:"), this);
    auto *imageSizeLayout = new QGridLayout(imageSizeGroup);
    m_widthEdit = MakeSideEdit("WidthEdit", imageSizeGroup);
    m_heightEdit = MakeSideEdit("HeightEdit", imageSizeGroup);
    imageSizeLayout->addWidget(MakeLabel(QStringLiteral("Small than"), m_widthEdit, imageSizeGroup), 0, 0);
    imageSizeLayout->addWidget(m_widthEdit, 0, 1);
    imageSizeLayout->addWidget(new QLabel(QStringLiteral("*"), imageSizeGroup), 0, 2);
    imageSizeLayout->addWidget(m_heightEdit, 0, 3);
    m_heightEdit->setAccessibleName(QStringLiteral("Height"));
    m_widthEdit->setAccessibleName(QStringLiteral("Width"));
    imageSizeLayout->addWidget(
        new QLabel(QStringLiteral("Note: You should to build-in images into library first."), imageSizeGroup), 1, 0, 1, 4);

    m_fileSizeButton = new QRadioButton(QStringLiteral("File size"), this);
    m_fileSizeButton->setObjectName(QStringLiteral("FileSizeButton"));
    auto *fileSizeGroup = new QGroupBox(QStringLiteral("By file size:"), this);
    auto *fileSizeLayout = new QHBoxLayout(fileSizeGroup);
    m_sizeEdit = new QLineEdit(QStringLiteral("10"), fileSizeGroup);
    m_sizeEdit->setObjectName(QStringLiteral("SizeEdit"));
    fileSizeLayout->addWidget(MakeLabel(QStringLiteral("Small than"), m_sizeEdit, fileSizeGroup));
    fileSizeLayout->addWidget(m_sizeEdit);
    fileSizeLayout->addWidget(new QLabel(QStringLiteral("KB"), fileSizeGroup));

    m_fileFilterButton = new QRadioButton(QStringLiteral("File filter"), this);
    m_fileFilterButton->setObjectName(QStringLiteral("FileFilterButton"));
    auto *filterGroup = new QGroupBox(QStringLiteral("By filter:"), this);
    auto *filterLayout = new QHBoxLayout(filterGroup);
    m_filterEdit = new QLineEdit(QStringLiteral("*.gif"), filterGroup);
    m_filterEdit->setObjectName(QStringLiteral("FilterEdit"));
    filterLayout->addWidget(MakeLabel(QStringLiteral("Filter"), m_filterEdit, filterGroup));
    filterLayout->addWidget(m_filterEdit);
    filterLayout->addWidget(new QLabel(QStringLiteral("(tn*.*, *.gif, ?fie.*, ... etc)"), filterGroup));

    auto *rules = new QButtonGroup(this);
    for (QRadioButton *button : {m_imageSizeButton, m_fileSizeButton, m_fileFilterButton})
        rules->addButton(button);
    connect(rules, &QButtonGroup::buttonToggled, this, [this] { UpdateInputs(); });

    layout->addWidget(m_imageSizeButton);
    layout->addWidget(imageSizeGroup);
    layout->addWidget(m_fileSizeButton);
    layout->addWidget(fileSizeGroup);
    layout->addWidget(m_fileFilterButton);
    layout->addWidget(filterGroup);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    UpdateInputs();
}

TDeleteByForm::TRule TDeleteByForm::Rule() const
{
    if (m_fileSizeButton->isChecked())
        return FileSizeRule;
    if (m_fileFilterButton->isChecked())
        return FileFilterRule;
    return ImageSizeRule;
}

int TDeleteByForm::WidthLimit() const
{
    return m_widthEdit->value();
}

int TDeleteByForm::HeightLimit() const
{
    return m_heightEdit->value();
}

QString TDeleteByForm::SizeText() const
{
    return m_sizeEdit->text();
}

QString TDeleteByForm::Filter() const
{
    return m_filterEdit->text();
}

void TDeleteByForm::UpdateInputs()
{
    const TRule rule = Rule();
    m_widthEdit->setEnabled(rule == ImageSizeRule);
    m_heightEdit->setEnabled(rule == ImageSizeRule);
    m_sizeEdit->setEnabled(rule == FileSizeRule);
    m_filterEdit->setEnabled(rule == FileFilterRule);
}
