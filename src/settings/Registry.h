#pragma once

#include "settings/RegistryStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The root of every key the program uses.
inline const QString kCurrentUserRoot = QStringLiteral("HKEY_CURRENT_USER");

// Access to the settings store one key at a time, in the manner of the
// registry's own interface: set a root, open a key, read and write its typed
// values. Every write (and every key deletion) reaches the store's file at
// once, so a write the store refuses is reported for the value it concerns
// and the writes before it are kept, as with the registry itself.
//
// Failures are EZavelonError carrying the value name:
//   "Failed to get data for 'X'"  - the value is missing, or of another size;
//   "Invalid data type for 'X'"   - the value has another type;
//   "Failed to set data for 'X'"  - the store refused the write (the reason
//                                   and the file follow in parentheses).
class TRegistry
{
public:
    explicit TRegistry(TRegistryStore &store);

    void SetRootKey(const QString &root);
    const QString &RootKey() const { return m_root; }

    // Opens `path`: from the root when it starts with a backslash, else below
    // the open key. With `canCreate` a missing key and its missing parents
    // are made (in memory; they reach the file with the next write). False
    // when the key is missing and may not be made, or the path is not valid.
    bool OpenKey(const QString &path, bool canCreate);
    void CloseKey();
    // The full path of the open key, empty when none is open.
    const QString &CurrentPath() const { return m_current; }

    bool KeyExists(const QString &path) const;
    bool ValueExists(const QString &name) const;

    qint32 ReadInteger(const QString &name) const;
    bool ReadBool(const QString &name) const;
    // A missing value reads as the empty text.
    QString ReadString(const QString &name) const;
    // A raw value of exactly `size` bytes.
    QByteArray ReadBinaryData(const QString &name, qsizetype size) const;
    // An 8-byte raw value holding a little-endian IEEE 754 double.
    double ReadFloat(const QString &name) const;

    void WriteInteger(const QString &name, qint32 value);
    void WriteBool(const QString &name, bool value);
    void WriteString(const QString &name, const QString &value);
    void WriteBinaryData(const QString &name, const QByteArray &value);
    void WriteFloat(const QString &name, double value);

    // The value names of the open key in enumeration order.
    QStringList GetValueNames() const;
    // Deletes the key with all its sub-keys; false when it did not exist or
    // the store refused the change.
    bool DeleteKey(const QString &path);

    // Waits until the store's file is on the disk (writes only replace the
    // file atomically). Throws EZavelonError naming the file on failure.
    void Flush();

private:
    QString FullPath(const QString &path) const;
    const TRegValue &GetData(const QString &name) const;
    void PutData(const QString &name, quint32 type, const QByteArray &data);

    TRegistryStore &m_store;
    QString m_root = kCurrentUserRoot;
    QString m_current;
};
