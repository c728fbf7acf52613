#include "engine/TaskItemList.h"

#include "engine/Errors.h"
#include "engine/TaskItem.h"

#include <algorithm>

namespace {

// Buckets are kept in descending priority; this finds the first bucket whose
// priority is not above `priority`.
template <typename Buckets>
auto FirstNotAbove(Buckets &buckets, qint64 priority)
{
    return std::lower_bound(buckets.begin(), buckets.end(), priority,
                            [](const auto &bucket, qint64 p) { return bucket.priority > p; });
}

} // namespace

TTaskItemList::TTaskItemList(TTask *task)
    : m_task(task)
{
}

TTaskItemList::~TTaskItemList() = default;

void TTaskItemList::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TTaskItemList *>(&source);
    if (!other)
        AssignError(source);
    if (other == this)
        return;
    const QList<TTaskItem *> sourceItems = other->ToList();
    DeleteAll();
    for (const TTaskItem *sourceItem : sourceItems) {
        auto *copy = new TTaskItem(m_task, QString());
        copy->Assign(*sourceItem);
        if (Get(AddSorted(copy)) != copy)
            delete copy;
    }
}

int TTaskItemList::AddSorted(TTaskItem *item, bool *added)
{
    const std::lock_guard locker(m_lock);
    if (added)
        *added = true;
    if (m_count == 0)
        return Add(item);
    if (const TTaskItem *present = m_byUrl.value(item->URL().URI())) {
        if (added)
            *added = false;
        return IndexOfItem(present);
    }
    m_byUrl.insert(item->URL().URI(), item);
    if (!m_ordered)
        return InsertUnordered(item);
    return AppendToBucket(OpenBucket(item->Priority()), item);
}

int TTaskItemList::Add(TTaskItem *item)
{
    const std::lock_guard locker(m_lock);
    // The last item of a URL text is the one IndexOfURL reports.
    m_byUrl.insert(item->URL().URI(), item);
    const qint64 priority = item->Priority();
    if (m_ordered && (m_buckets.empty() || priority <= m_buckets.back().priority)) {
        if (m_buckets.empty() || m_buckets.back().priority != priority) {
            m_buckets.push_back(Bucket{priority, {}});
            RebuildTree();
        }
        return AppendToBucket(static_cast<int>(m_buckets.size()) - 1, item);
    }
    if (m_ordered)
        Flatten();
    m_flat.append(item);
    item->m_listed = true;
    Track(item);
    return m_count++;
}

void TTaskItemList::Clear()
{
    const std::lock_guard locker(m_lock);
    for (TTaskItem *item : ToList())
        item->m_listed = false;
    m_waiting.clear();
    m_running.clear();
    m_byUrl.clear();
    m_buckets.clear();
    m_tree.clear();
    m_flat.clear();
    m_count = 0;
    m_ordered = true;
}

void TTaskItemList::DeleteAll()
{
    QList<TTaskItem *> items;
    {
        const std::lock_guard locker(m_lock);
        items = ToList();
        Clear();
    }
    // Freed outside the lock: an item's end may wait for a worker that is
    // itself waiting for this list.
    qDeleteAll(items);
}

int TTaskItemList::Count() const
{
    const std::lock_guard locker(m_lock);
    return m_count;
}

TTaskItem *TTaskItemList::Get(int index) const
{
    const std::lock_guard locker(m_lock);
    if (index < 0 || index >= m_count)
        throw EZavelonError(QStringLiteral("Item index out of bounds (%1 of %2)").arg(index).arg(m_count));
    if (!m_ordered)
        return m_flat[index];
    int offset = 0;
    const int rank = RankOfIndex(index, offset);
    return m_buckets[rank].items[offset];
}

int TTaskItemList::IndexOfURL(const QString &url) const
{
    const std::lock_guard locker(m_lock);
    const TTaskItem *item = m_byUrl.value(url);
    return item ? IndexOfItem(item) : -1;
}

QList<TTaskItem *> TTaskItemList::ToList() const
{
    const std::lock_guard locker(m_lock);
    if (!m_ordered)
        return m_flat;
    QList<TTaskItem *> items;
    items.reserve(m_count);
    for (const Bucket &bucket : m_buckets)
        items.append(QList<TTaskItem *>(bucket.items.begin(), bucket.items.end()));
    return items;
}

bool TTaskItemList::IsPriorityOrdered() const
{
    const std::lock_guard locker(m_lock);
    return m_ordered;
}

bool TTaskItemList::ListOrder::operator()(const TTaskItem *a, const TTaskItem *b) const
{
    if (a->Priority() != b->Priority())
        return a->Priority() > b->Priority();
    return a->m_slot < b->m_slot;
}

TTaskItem *TTaskItemList::FirstWaiting() const
{
    const std::lock_guard locker(m_lock);
    if (m_ordered)
        return m_waiting.empty() ? nullptr : *m_waiting.begin();
    // A list out of priority order (a hand-made project file) is walked.
    for (TTaskItem *item : m_flat)
        if (item->Waiting())
            return item;
    return nullptr;
}

int TTaskItemList::RunningCount() const
{
    const std::lock_guard locker(m_lock);
    return static_cast<int>(m_running.size());
}

bool TTaskItemList::Contains(const TTaskItem *item) const
{
    const std::lock_guard locker(m_lock);
    return item->m_listed;
}

void TTaskItemList::ItemStateChanged(TTaskItem *item)
{
    const std::lock_guard locker(m_lock);
    Track(item);
}

void TTaskItemList::Track(TTaskItem *item)
{
    if (!item->m_listed)
        return;
    if (m_ordered) {
        if (item->Waiting())
            m_waiting.insert(item);
        else
            m_waiting.erase(item);
    }
    if (item->Running())
        m_running.insert(item);
    else
        m_running.erase(item);
}

int TTaskItemList::IndexOfItem(const TTaskItem *item) const
{
    if (m_ordered) {
        const int rank = BucketRank(item->Priority());
        if (rank >= 0 && item->m_slot >= 0 && item->m_slot < int(m_buckets[rank].items.size())
            && m_buckets[rank].items[item->m_slot] == item)
            return CountBefore(rank) + item->m_slot;
        // Only an item changed after it was added gets here; find it the slow way.
        return static_cast<int>(ToList().lastIndexOf(const_cast<TTaskItem *>(item)));
    }
    return static_cast<int>(m_flat.lastIndexOf(const_cast<TTaskItem *>(item)));
}

int TTaskItemList::BucketRank(qint64 priority) const
{
    const auto it = FirstNotAbove(m_buckets, priority);
    if (it == m_buckets.end() || it->priority != priority)
        return -1;
    return static_cast<int>(it - m_buckets.begin());
}

int TTaskItemList::OpenBucket(qint64 priority)
{
    auto it = FirstNotAbove(m_buckets, priority);
    if (it != m_buckets.end() && it->priority == priority)
        return static_cast<int>(it - m_buckets.begin());
    it = m_buckets.insert(it, Bucket{priority, {}});
    const int rank = static_cast<int>(it - m_buckets.begin());
    RebuildTree();
    return rank;
}

int TTaskItemList::AppendToBucket(int rank, TTaskItem *item)
{
    std::vector<TTaskItem *> &items = m_buckets[rank].items;
    item->m_slot = static_cast<int>(items.size());
    items.push_back(item);
    TreeAdd(rank, 1);
    ++m_count;
    item->m_listed = true;
    Track(item);
    // Every item of a higher or equal priority stays before the new one.
    return CountBefore(rank) + item->m_slot;
}

int TTaskItemList::InsertUnordered(TTaskItem *item)
{
    const qint64 priority = item->Priority();
    int index = 0;
    while (index < m_flat.size() && m_flat[index]->Priority() >= priority)
        ++index;
    m_flat.insert(index, item);
    ++m_count;
    item->m_listed = true;
    Track(item);
    return index;
}

void TTaskItemList::Flatten()
{
    m_flat = ToList();
    m_ordered = false;
    m_waiting.clear();
    m_buckets.clear();
    m_tree.clear();
}

void TTaskItemList::RebuildTree()
{
    const int n = static_cast<int>(m_buckets.size());
    m_tree.assign(n + 1, 0);
    for (int i = 1; i <= n; ++i) {
        m_tree[i] += static_cast<int>(m_buckets[i - 1].items.size());
        const int parent = i + (i & -i);
        if (parent <= n)
            m_tree[parent] += m_tree[i];
    }
}

void TTaskItemList::TreeAdd(int rank, int delta)
{
    const int n = static_cast<int>(m_buckets.size());
    for (int i = rank + 1; i <= n; i += i & -i)
        m_tree[i] += delta;
}

int TTaskItemList::CountBefore(int rank) const
{
    int sum = 0;
    for (int i = rank; i > 0; i -= i & -i)
        sum += m_tree[i];
    return sum;
}

int TTaskItemList::RankOfIndex(int index, int &offset) const
{
    const int n = static_cast<int>(m_buckets.size());
    int step = 1;
    while (step * 2 <= n)
        step *= 2;
    int rank = 0;
    int rest = index;
    for (; step > 0; step /= 2) {
        if (rank + step <= n && m_tree[rank + step] <= rest) {
            rank += step;
            rest -= m_tree[rank];
        }
    }
    offset = rest;
    return rank;
}
