#pragma once

#include "images/ui/DesktopWallpaper.h"

#include <QDialog>

class QRadioButton;

// "Set wallpaper": how the picture covers the desktop.
class TWallpaperOptionsForm : public QDialog
{
    Q_OBJECT

public:
    explicit TWallpaperOptionsForm(QWidget *parent = nullptr);

    TWallpaperStyle Style() const;

private:
    QRadioButton *m_centerButton;
    QRadioButton *m_tileButton;
    QRadioButton *m_stretchButton;
    QRadioButton *m_maxButton;
};
