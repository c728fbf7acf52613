#pragma once

#include <atomic>

// How decoding on one thread may be cut short and kept quiet.
//
// Abandoning: a thread that measures pictures for the library may be ended
// while it decodes a picture of many megabytes; the decoders read through
// our own file object, whose reads fail once the flag is set, so the decoder
// gives up within a moment instead of finishing a picture nobody will record.
//
// Quiet: the image plugins tell of every oddity of a file on stderr ("Corrupt
// JPEG data", "libpng warning: iCCP: ..."); a crawl of thousands of web
// pictures would bury the program's own output under them. While a thread
// decodes, Qt's warnings from that thread are dropped; a failure that
// matters still comes back as an error naming the file.

// For its lifetime, decoding on the calling thread fails once `abandon` is
// true.
class TAbandonDecoding
{
public:
    explicit TAbandonDecoding(const std::atomic<bool> &abandon);
    ~TAbandonDecoding();
    TAbandonDecoding(const TAbandonDecoding &) = delete;
    TAbandonDecoding &operator=(const TAbandonDecoding &) = delete;

private:
    const std::atomic<bool> *m_previous;
};

// Whether the calling thread's decoding is to give up now.
bool DecodingAbandoned();

// For its lifetime, Qt's warnings from the calling thread are dropped.
class TQuietDecoding
{
public:
    TQuietDecoding();
    ~TQuietDecoding();
    TQuietDecoding(const TQuietDecoding &) = delete;
    TQuietDecoding &operator=(const TQuietDecoding &) = delete;
};
