#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class TFolderField;
class TOptionListEditor;
class TRegOptions;

// The option pages both editors share. Each page copies its own fields in
// from the options (LoadOptions) and back on OK (SaveOptions), so the default
// options dialog and the task dialog convert these fields in one place.

// "General": the save folder with "&Browse" (picker "Default folder"), the
// file masks, and the file size limit. The size fields and their captions
// are enabled exactly while "Enable file size limit" is ticked.
class TGeneralPage : public QWidget
{
    Q_OBJECT

public:
    // `folderCaption` and `masksCaption` differ between the two editors.
    TGeneralPage(const QString &folderCaption, const QString &masksCaption, QWidget *parent = nullptr);

    // The folder field, the limit box, the two sizes as decimal text, the
    // mask rows.
    void LoadOptions(const TRegOptions &options);
    // The folder with a trailing separator (unless empty), the limit box,
    // the sizes (0 for text that is no integer), the mask rows.
    void SaveOptions(TRegOptions &options) const;

    TFolderField *FolderField() const { return m_folder; }
    QWidget *MaskList() const;
    // The limit box and the two sizes as the user sees them at first.
    void SetSizeLimit(bool enabled, const QString &maxSize, const QString &minSize);

private:
    void LimitChanged();

    TFolderField *m_folder = nullptr;
    TOptionListEditor *m_masks = nullptr;
    QCheckBox *m_limit = nullptr;
    QLineEdit *m_maxSize = nullptr;
    QLineEdit *m_minSize = nullptr;
    QList<QWidget *> m_sizeControls;
};

// "Web site": the link depth on a track bar from 0 to 30 with its value
// beside it, and the excluded files.
class TWebSitePage : public QWidget
{
    Q_OBJECT

public:
    explicit TWebSitePage(QWidget *parent = nullptr);

    void LoadOptions(const TRegOptions &options);
    void SaveOptions(TRegOptions &options) const;

private:
    QSlider *m_depth = nullptr;
    QLabel *m_depthValue = nullptr;
    TOptionListEditor *m_excludes = nullptr;
};
