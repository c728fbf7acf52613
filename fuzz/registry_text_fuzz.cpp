// Feeds arbitrary bytes to the settings store's REGEDIT4 reader. The reader
// must refuse damaged text with EZavelonError and never crash; text it accepts
// is written back in a form that reads back to the same keys and values and
// writes back byte for byte the same.
#include "engine/Errors.h"
#include "settings/RegistryStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<TRegKey> keys;
    try {
        keys = TRegistryStore::ParseText(text);
    } catch (const EZavelonError &) {
        return 0;
    }
    const QByteArray written = TRegistryStore::FormatText(keys);
    const QList<TRegKey> again = TRegistryStore::ParseText(written);
    if (again != keys || TRegistryStore::FormatText(again) != written)
        std::abort();
    return 0;
}
