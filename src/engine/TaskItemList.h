#pragma once

#include "engine/Persistent.h"

#include <QHash>
#include <QList>
#include <QString>

#include <mutex>
#include <set>
#include <unordered_set>
#include <vector>

class TTask;
class TTaskItem;

// The URLs of one task, in the order they are fetched: a list built by
// AddSorted is in descending priority, equal priorities in order of arrival,
// and holds no URL text twice. Items are never removed one by one: a done item
// stays, so the list is also the record of every URL already seen.
//
// The list holds references; the task owns the items (see DeleteAll). Every
// operation takes the list's own re-entrant lock, so workers may call Count,
// Get, IndexOfURL and AddSorted from their threads.
//
// Large crawls stay fast: a hash from URL text to item answers IndexOfURL, and
// while the list is in descending priority order the items are kept in one
// bucket per priority (a new item always goes to the end of its bucket), with
// a Fenwick tree over the bucket sizes to turn positions into indexes. A list
// that Add has put out of order (a hand-made project file) falls back to a
// plain array and the linear walks, with the same results.
class TTaskItemList : public TPersistent
{
public:
    explicit TTaskItemList(TTask *task);
    ~TTaskItemList() override;

    TTaskItemList(const TTaskItemList &) = delete;
    TTaskItemList &operator=(const TTaskItemList &) = delete;

    // Frees the present items and clears the list, then adds, with AddSorted,
    // a new item of this list's task copied from each source item in order (a
    // copy whose URL is already present is freed). Any other source is refused.
    void Assign(const TPersistent &source) override;
    QString ClassName() const override { return QStringLiteral("TTaskItemList"); }

    // Inserts the item before the first entry of lower priority and returns
    // its index. When an item of the same URL text (compared exactly) is
    // present, returns that item's index and adds nothing: the caller sees
    // that Get(index) is not its item and frees it. Another thread may insert
    // between the two calls, so a caller that does not hold the page lock
    // asks `added` instead, which is set under the list's lock.
    int AddSorted(TTaskItem *item, bool *added = nullptr);
    // Appends without the priority order or the duplicate test (for loading).
    int Add(TTaskItem *item);

    // Removes every reference; the items are not freed.
    void Clear();
    // Frees every item and clears the list.
    void DeleteAll();

    int Count() const;
    TTaskItem *Get(int index) const;
    // The index of the last item whose URL text equals `url` exactly, or -1.
    int IndexOfURL(const QString &url) const;
    // The items in list order, taken under the lock.
    QList<TTaskItem *> ToList() const;

    // True while the list is in descending priority order (always, unless Add
    // appended an item of higher priority than the last one).
    bool IsPriorityOrdered() const;

    // What the dispatch asks at every end of a worker, answered without
    // walking the list: the first waiting item (neither done nor running) in
    // list order, or null; and the number of running items. The list keeps
    // both up to date as items arrive and as their Done and Running change.
    TTaskItem *FirstWaiting() const;
    int RunningCount() const;
    // Whether the item is in this list now (Clear takes items out).
    bool Contains(const TTaskItem *item) const;
    // Called by a listed item whose Done or Running has changed.
    void ItemStateChanged(TTaskItem *item);

    TTask *Task() const { return m_task; }

private:
    struct Bucket
    {
        qint64 priority;
        std::vector<TTaskItem *> items;
    };

    int IndexOfItem(const TTaskItem *item) const;
    int BucketRank(qint64 priority) const;
    int OpenBucket(qint64 priority);
    int AppendToBucket(int rank, TTaskItem *item);
    int InsertUnordered(TTaskItem *item);
    void Flatten();
    void Track(TTaskItem *item);

    // List order of two items of an ordered list: higher priority first,
    // then the earlier slot of the bucket.
    struct ListOrder
    {
        bool operator()(const TTaskItem *a, const TTaskItem *b) const;
    };

    // Fenwick tree over the bucket sizes.
    void RebuildTree();
    void TreeAdd(int rank, int delta);
    int CountBefore(int rank) const;
    int RankOfIndex(int index, int &offset) const;

    TTask *m_task;
    mutable std::recursive_mutex m_lock;
    QHash<QString, TTaskItem *> m_byUrl;
    int m_count = 0;
    bool m_ordered = true;
    std::vector<Bucket> m_buckets; // while ordered: descending priority
    std::vector<int> m_tree;       // while ordered: 1-based Fenwick tree
    QList<TTaskItem *> m_flat;     // while not ordered
    std::set<TTaskItem *, ListOrder> m_waiting;      // while ordered: the waiting items
    std::unordered_set<const TTaskItem *> m_running; // the running items
};
