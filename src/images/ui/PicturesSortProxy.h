#pragma once

#include <QSortFilterProxyModel>

#include <array>

class TExtensionIcons;
class TPicturesModel;

// The order of the pictures list over the raw rows of TPicturesModel.
//
// One of four modes is in force (the window's four radio commands): none,
// by name, by type or by size. Names and types compare byte by byte, case
// sensitive (capital letters first); sizes compare as the whole kilobytes
// the list shows. There is no second key: rows with equal keys keep the
// order they had, and with no mode every row compares equal.
//
// Each column header may carry a mark, ascending or descending; only one
// column has one at a time. When the mode's own column shows the
// descending mark, the order is reversed.
//
// Sorting happens when asked (SortOnce), when the rows are replaced, and,
// while automatic sorting is on, for every row added. With it off, added
// rows go to the end.
class TPicturesSortProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    enum TMode { Unsorted, ByName, ByType, BySize };
    enum TMark { NoMark, Ascending, Descending };

    explicit TPicturesSortProxy(TPicturesModel *source, QObject *parent = nullptr);

    // The header marks are drawn from these icons (none: no marks shown).
    void SetIcons(const TExtensionIcons *icons) { m_icons = icons; }

    TMode Mode() const { return m_mode; }
    // Changes the comparison only; the rows keep their order until sorted.
    void SetMode(TMode mode);
    bool AutoSort() const { return dynamicSortFilter(); }
    void SetAutoSort(bool on) { setDynamicSortFilter(on); }

    TMark Mark(int column) const;
    // A click on a column header: its mark goes from none or descending to
    // ascending, from ascending to descending; every other mark is cleared.
    void ClickMark(int column);

    // Sorts the rows once by the mode, starting from their present order.
    void SortOnce();

    // The mode whose key a column shows (0 name, 1 type, 2 size).
    static TMode ModeOfColumn(int column);

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // -1, 0 or 1 for two source rows, the descending mark applied.
    int Compare(int left, int right) const;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    int CompareKeys(int left, int right) const;

    TPicturesModel *m_source;
    const TExtensionIcons *m_icons = nullptr;
    TMode m_mode = Unsorted;
    std::array<TMark, 3> m_marks{NoMark, NoMark, NoMark};
};
