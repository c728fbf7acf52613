#include "settings/Registry.h"

#include "engine/Errors.h"

#include <QtEndian>

#include <cstring>

namespace {

EZavelonError GetDataFailed(const QString &name)
{
    return EZavelonError(QStringLiteral("Failed to get data for '%1'").arg(name));
}

EZavelonError InvalidType(const QString &name)
{
    return EZavelonError(QStringLiteral("Invalid data type for '%1'").arg(name));
}

} // namespace

TRegistry::TRegistry(TRegistryStore &store)
    : m_store(store)
{
}

void TRegistry::SetRootKey(const QString &root)
{
    CloseKey();
    m_root = NormalizeKeyPath(root);
}

QString TRegistry::FullPath(const QString &path) const
{
    const bool absolute = path.startsWith(QLatin1Char('\\'));
    const QString base = absolute || m_current.isEmpty() ? m_root : m_current;
    return NormalizeKeyPath(base + QLatin1Char('\\') + path);
}

bool TRegistry::OpenKey(const QString &path, bool canCreate)
{
    const QString full = FullPath(path);
    if (!m_store.KeyExists(full)) {
        if (!canCreate)
            return false;
        try {
            m_store.CreateKey(full);
        } catch (const EZavelonError &) {
            return false;
        }
    }
    m_current = full;
    return true;
}

void TRegistry::CloseKey()
{
    m_current.clear();
}

bool TRegistry::KeyExists(const QString &path) const
{
    return m_store.KeyExists(FullPath(path));
}

bool TRegistry::ValueExists(const QString &name) const
{
    return !m_current.isEmpty() && m_store.FindValue(m_current, name);
}

const TRegValue &TRegistry::GetData(const QString &name) const
{
    const TRegValue *value = m_current.isEmpty() ? nullptr : m_store.FindValue(m_current, name);
    if (!value)
        throw GetDataFailed(name);
    return *value;
}

qint32 TRegistry::ReadInteger(const QString &name) const
{
    const TRegValue &value = GetData(name);
    if (value.Type != rdInteger)
        throw InvalidType(name);
    if (value.Data.size() != 4)
        throw GetDataFailed(name);
    return qFromLittleEndian<qint32>(value.Data.constData());
}

bool TRegistry::ReadBool(const QString &name) const
{
    return ReadInteger(name) != 0;
}

QString TRegistry::ReadString(const QString &name) const
{
    if (!ValueExists(name))
        return {};
    const TRegValue &value = GetData(name);
    if (value.Type == rdString)
        return QString::fromUtf8(value.Data);
    if (value.Type == 2) { // an expandable text, kept as its bytes
        const qsizetype nul = value.Data.indexOf('\0');
        return QString::fromUtf8(nul < 0 ? value.Data : value.Data.left(nul));
    }
    throw InvalidType(name);
}

QByteArray TRegistry::ReadBinaryData(const QString &name, qsizetype size) const
{
    const TRegValue &value = GetData(name);
    if (value.Type != rdBinary)
        throw InvalidType(name);
    if (value.Data.size() != size)
        throw GetDataFailed(name);
    return value.Data;
}

double TRegistry::ReadFloat(const QString &name) const
{
    const QByteArray bytes = ReadBinaryData(name, sizeof(double));
    const quint64 bits = qFromLittleEndian<quint64>(bytes.constData());
    double result = 0;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

void TRegistry::PutData(const QString &name, quint32 type, const QByteArray &data)
{
    const QList<TRegKey> before = m_store.Keys();
    try {
        if (m_current.isEmpty())
            throw EZavelonError(QStringLiteral("no key is open"));
        m_store.SetValue(m_current, TRegValue{name, type, data});
        m_store.Commit(false);
    } catch (const EZavelonError &error) {
        m_store.RestoreKeys(before);
        throw EZavelonError(QStringLiteral("Failed to set data for '%1' (%2)").arg(name, error.message()));
    }
}

void TRegistry::WriteInteger(const QString &name, qint32 value)
{
    QByteArray data(4, '\0');
    qToLittleEndian<qint32>(value, data.data());
    PutData(name, rdInteger, data);
}

void TRegistry::WriteBool(const QString &name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteString(const QString &name, const QString &value)
{
    PutData(name, rdString, value.toUtf8());
}

void TRegistry::WriteBinaryData(const QString &name, const QByteArray &value)
{
    PutData(name, rdBinary, value);
}

void TRegistry::WriteFloat(const QString &name, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray data(sizeof bits, '\0');
    qToLittleEndian<quint64>(bits, data.data());
    PutData(name, rdBinary, data);
}

QStringList TRegistry::GetValueNames() const
{
    return m_current.isEmpty() ? QStringList() : m_store.ValueNames(m_current);
}

bool TRegistry::DeleteKey(const QString &path)
{
    const QString full = FullPath(path);
    const QList<TRegKey> before = m_store.Keys();
    if (!m_store.DeleteKey(full))
        return false;
    try {
        m_store.Commit(false);
    } catch (const EZavelonError &) {
        m_store.RestoreKeys(before);
        return false;
    }
    // The open key may have been inside the deleted branch.
    if (!m_current.isEmpty() && !m_store.KeyExists(m_current))
        m_current.clear();
    return true;
}

void TRegistry::Flush()
{
    m_store.Commit(true);
}
