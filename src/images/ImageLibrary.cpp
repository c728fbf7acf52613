#include "images/ImageLibrary.h"

#include "engine/Errors.h"
#include "engine/FileNames.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <iterator>

TImageLibrary::TImageLibrary()
    : m_header(std::make_unique<TImageLibraryHeader>())
{
}

TImageLibrary::~TImageLibrary() = default;

const TImageDetail *TImageLibrary::Insert(std::unique_ptr<TImageDetail> record)
{
    const TImageDetail *item = record.get();
    m_owned.push_back(std::move(record));
    m_items.push_back(item);
    m_index[item->FileName].append(item);
    if (!m_removed.isEmpty())
        m_removed.remove(item->FileName);
    return item;
}

const TImageDetail *TImageLibrary::Add(std::unique_ptr<TImageDetail> record)
{
    std::lock_guard lock(m_lock);
    return Insert(std::move(record));
}

const TImageDetail *TImageLibrary::AddIfAbsent(std::unique_ptr<TImageDetail> record, bool quiet)
{
    const TImageDetail *added = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_index.contains(record->FileName))
            return nullptr;
        added = Insert(std::move(record));
    }
    if (!quiet && m_onAdded)
        m_onAdded(*added);
    return added;
}

QSet<QString> TImageLibrary::RemovedNames() const
{
    std::lock_guard lock(m_lock);
    return m_removed;
}

int TImageLibrary::Count() const
{
    std::lock_guard lock(m_lock);
    return int(m_items.size());
}

const TImageDetail *TImageLibrary::Items(int index) const
{
    std::lock_guard lock(m_lock);
    if (index < 0 || size_t(index) >= m_items.size())
        throw EZavelonError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_items[size_t(index)];
}

const TImageDetail *TImageLibrary::Find(const QString &path) const
{
    std::lock_guard lock(m_lock);
    const auto found = m_index.constFind(path);
    return found == m_index.cend() ? nullptr : found->first();
}

bool TImageLibrary::Remove(const TImageDetail *record)
{
    std::lock_guard lock(m_lock);
    // Searched from the end: the library window's verify removes records
    // walking from the last to the first, which makes each removal cheap.
    const auto at = std::find(m_items.rbegin(), m_items.rend(), record);
    if (at == m_items.rend())
        return false;
    m_items.erase(std::next(at).base());
    // The index lists a name's records in list order, so the first one left
    // is still the first in the list.
    const auto named = m_index.find(record->FileName);
    named->removeOne(record);
    if (named->isEmpty()) {
        m_index.erase(named);
        m_removed.insert(record->FileName);
    }
    return true;
}

void TImageLibrary::Clear()
{
    std::lock_guard lock(m_lock);
    for (auto it = m_index.cbegin(); it != m_index.cend(); ++it)
        m_removed.insert(it.key());
    m_items.clear();
    m_index.clear();
}

void TImageLibrary::LoadFromFile(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavelonError(QStringLiteral("Cannot open the image library %1: %2").arg(name, file.errorString()));
    try {
        LoadFromStream(file);
    } catch (const std::bad_alloc &) {
        throw EZavelonError(QStringLiteral("Cannot load the image library %1: not enough memory").arg(name));
    }
}

void TImageLibrary::SaveToFile(const QString &name)
{
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        throw EZavelonError(QStringLiteral("Cannot create the image library %1: %2").arg(name, file.errorString()));
    SaveToStream(file);
    if (!file.commit())
        throw EZavelonError(QStringLiteral("Cannot write the image library %1: %2").arg(name, file.errorString()));
}

TImageLibrary::TLoadState TImageLibrary::LastLoadState() const
{
    std::lock_guard streamLock(m_streamLock);
    return m_loadState;
}

QString TImageLibrary::LastLoadProblem() const
{
    std::lock_guard streamLock(m_streamLock);
    return m_loadProblem;
}

void TImageLibrary::LoadFromStream(QIODevice &stream)
{
    std::lock_guard streamLock(m_streamLock);
    m_loadState = TLoadState::Loaded;
    m_loadProblem.clear();
    m_header->ReadFromStream(stream);
    if (m_header->Signature != TImageLibraryHeader::kSignature) {
        m_loadState = TLoadState::Foreign;
        m_loadProblem = QStringLiteral("it does not begin with the signature of an image library");
        return;
    }
    if (m_header->RecordCount < 0) {
        m_loadState = TLoadState::Damaged;
        m_loadProblem = QStringLiteral("its header counts %1 records").arg(m_header->RecordCount);
        return;
    }
    // Only whole records: a record cut short by the end of the file is no
    // record, and a damaged count cannot make up records that are not there.
    qint32 read = 0;
    for (; read < m_header->RecordCount; ++read) {
        auto record = std::make_unique<TImageDetail>();
        if (!record->ReadRecord(stream))
            break;
        Add(std::move(record));
    }
    if (read < m_header->RecordCount) {
        m_loadState = TLoadState::Damaged;
        m_loadProblem = QStringLiteral("it ends after %1 of its %2 records").arg(read).arg(m_header->RecordCount);
    } else if (!stream.atEnd()) {
        m_loadState = TLoadState::Damaged;
        m_loadProblem = QStringLiteral("it has more bytes than its %1 records").arg(read);
    }
}

void TImageLibrary::SaveToStream(QIODevice &stream)
{
    std::lock_guard streamLock(m_streamLock);
    const int count = Count();
    m_header->RecordCount = count;
    m_header->Signature = TImageLibraryHeader::kSignature;
    m_header->Version = TImageLibraryHeader::kVersion;
    // Write errors are not reported here: a file device remembers them and
    // SaveToFile's commit then refuses to replace the old file.
    try {
        m_header->WriteToStream(stream);
    } catch (const EZavelonError &) {
    }
    int written = 0;
    for (int i = 0; i < count; ++i) {
        try {
            Items(i)->WriteToStream(stream);
            ++written;
        } catch (const EZavelonError &) {
        }
    }
    if (written == count)
        return;
    // The count must equal the records that follow it.
    m_header->RecordCount = written;
    const qint64 end = stream.pos();
    if (stream.seek(0)) {
        try {
            m_header->WriteToStream(stream);
        } catch (const EZavelonError &) {
        }
        stream.seek(end);
    }
}

QString ImageLibraryFileName(const QString &folder)
{
    return AddBackslash(folder) + QStringLiteral("imglib.db");
}
