#pragma once

#include <QSize>
#include <QString>

#include <cstdint>

// A hostile page can serve a file of a few bytes that declares 100000 x 100000
// pixels. Every decoder checks the declared size against this limit before it
// allocates anything, so such a file fails with an error instead of
// exhausting memory. The size counts 4 bytes per pixel (a 32-bit picture).
inline constexpr std::int64_t kMaxDecodedBytes = std::int64_t(512) * 1024 * 1024;

// Bytes of a decoded picture of `size` (4 per pixel); 0 for an empty size.
std::int64_t DecodedBytes(const QSize &size);

// Raises EZavelonError naming `path` when a picture of `size`, added to the
// `alreadyDecoded` bytes of earlier images of the same file, would exceed
// kMaxDecodedBytes.
void CheckDecodedSize(const QString &path, const QSize &size, std::int64_t alreadyDecoded = 0);
