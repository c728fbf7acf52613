#pragma once

#include "engine/Persistent.h"
#include "engine/RegOptions.h"
#include "settings/RegMenu.h"
#include "settings/RegWindow.h"
#include "settings/Registry.h"
#include "settings/RegistryStore.h"

#include <QString>
#include <QStringList>

struct TOptionField;

// The application's per-user state between runs: window placement (Window),
// view toggles (Menu) and the default options new tasks start from
// (Options). Kept in the settings store "registry.reg" of the program's home
// under HKEY_CURRENT_USER\Software\TORVELLAN\ZAV.
//
// Loaded once at start, changed in memory by the dialogs, saved once at exit:
//
//     TRegSettings settings;          // home: ProgramHome()
//     settings.Load();                // never fails on a bad store
//     settings.Options.SeekDeep = 7;
//     settings.Save();                // throws EZavelonError when refused
class TRegSettings : public TPersistent
{
    // The store and its accessor come first: they live as long as the
    // settings and are freed last.
    TRegistryStore m_store;
    TRegistry m_registry;
    QString m_home;

public:
    // `home` is the program's folder P (with or without its trailing "/"):
    // the store file and the working folders live there.
    explicit TRegSettings(const QString &home = QString());
    TRegSettings(const TRegSettings &) = delete;
    TRegSettings &operator=(const TRegSettings &) = delete;

    QString ClassName() const override { return QStringLiteral("TRegSettings"); }

    // Fills Window, Menu and Options from the store. On the first failed read
    // (a missing or mistyped value; a missing text reads as empty) the values
    // read so far stay, ResetToDefaults runs and Save writes everything; only
    // a failure of that Save escapes. A store file that cannot be parsed is
    // kept aside first (see DamagedStoreCopy) and this is a first start.
    void Load();
    // Writes all three objects to the store, each value at once; the first
    // value the store refuses ends it with "Failed to set data for '<name>'".
    void Save();
    // The three folders to the working folders, the nine standard masks
    // appended to FileMasks (not cleared), the working folders made on disk.
    // Nothing else changes.
    void ResetToDefaults();

    // P, ending with "/".
    const QString &Home() const { return m_home; }
    // P + "registry.reg".
    const QString &StoreFileName() const { return m_store.FileName(); }
    // Where the last Load put a damaged store file, and why; empty when none.
    const QString &DamagedStoreCopy() const { return m_store.DamagedCopy(); }
    const QString &StoreDamage() const { return m_store.DamageReason(); }

    // P + "Images/Downloaded Files/", P + "Images/Logs/", P + "Images/Projects/".
    QString DownloadFolder() const;
    QString LogFolder() const;
    QString ProjectFolder() const;
    // Makes P + "Images" and its three sub-folders, one level each; failures
    // are ignored.
    void MakeWorkingFolders() const;

    TRegWindow Window;
    TRegMenu Menu;
    TRegOptions Options;

private:
    void ReadStore();
    void OpenKey(const QString &path);
    void ReadOptionFields(bool (*which)(const TOptionField &));
    void WriteOptionFields();
    void ReadList(const QString &keyPath, QStringList &list);
    void WriteList(const QString &keyPath, const QStringList &list);
    void SetWorkingFolders();
};

// The file name of the settings store in the program's home.
inline const QString kStoreFileName = QStringLiteral("registry.reg");

// The nine standard file-mask entries: "gif, Saved", "jpg, Saved", ...
const QStringList &StandardFileMasks();
