#pragma once

#include <QFileIconProvider>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

class QFileInfo;

// The small icons of the pictures list: the two sort marks of the column
// headers first (0 ascending, 1 descending), then one icon per file
// extension met so far, asked of the desktop for the first file that had
// it. Extensions are compared without regard to letter case; the list only
// grows, for the life of the window.
class TExtensionIcons
{
public:
    static constexpr int AscendingMark = 0;
    static constexpr int DescendingMark = 1;

    TExtensionIcons();

    // The index of the icon for a file's extension ("" for none), asking the
    // desktop for the file's icon when the extension is new.
    int IconIndex(const QFileInfo &file);
    // The extensions, index for index with the icons; the first two are the
    // place-holders "Cursor", "Cursor" of the sort marks.
    const QStringList &Extensions() const { return m_extensions; }
    int Count() const { return int(m_icons.size()); }
    QIcon Icon(int index) const;

private:
    QFileIconProvider m_provider;
    QStringList m_extensions;
    QList<QIcon> m_icons;
};
