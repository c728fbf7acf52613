#pragma once

#include "engine/Persistent.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstring>

// A page cut into tags: the inside of every "<...>", without the angle
// brackets, in page order. Quotes, comments and scripts mean nothing here.
// A "<" starts the collected text afresh; every ">" lists the collected text,
// also when no tag is open, so a stray ">" repeats the tag before it (or lists
// an empty tag before the first "<"). Text after the last ">" is never listed.
class TTags : public TPersistent
{
public:
    TTags() = default;
    TTags(const TTags &) = delete;
    TTags &operator=(const TTags &) = delete;

    const QByteArray &Text() const { return m_text; }
    // A text that differs from the stored one is stored and cut into tags.
    void SetText(const QByteArray &text);

    // Views into Text(); valid until the text changes.
    const QList<QByteArrayView> &Tags() const { return m_tags; }

    void Assign(const TPersistent &source) override;
    QString ClassName() const override;

    // The tag cutting itself, in one pass: calls onTag(QByteArrayView) for
    // every tag of `text` in page order, each a view into `text`. The scanner
    // works on the tags as they are cut instead of keeping them all.
    template <typename OnTag>
    static void Cut(QByteArrayView text, OnTag &&onTag);

private:
    QByteArray m_text;
    QList<QByteArrayView> m_tags;
};

namespace TagsDetail {

// The first `c` in [from, end), or `end`.
inline const char *FindByte(const char *from, const char *end, char c) noexcept
{
    if (from >= end)
        return end;
    const void *found = std::memchr(from, c, static_cast<size_t>(end - from));
    return found ? static_cast<const char *>(found) : end;
}

} // namespace TagsDetail

template <typename OnTag>
void TTags::Cut(QByteArrayView text, OnTag &&onTag)
{
    if (text.isEmpty())
        return;
    const char *const end = text.data() + text.size();
    const char *tagStart = text.data();
    qsizetype tagSize = 0;
    bool open = false;
    // Both brackets are found with memchr and only the consumed one is looked
    // up again, so every byte is passed over once per bracket kind.
    const char *nextOpen = TagsDetail::FindByte(text.data(), end, '<');
    const char *nextClose = TagsDetail::FindByte(text.data(), end, '>');
    while (nextOpen != end || nextClose != end) {
        if (nextOpen < nextClose) {
            open = true;
            tagStart = nextOpen + 1;
            nextOpen = TagsDetail::FindByte(nextOpen + 1, end, '<');
            continue;
        }
        if (open) {
            tagSize = nextClose - tagStart;
            open = false;
        }
        onTag(QByteArrayView(tagStart, tagSize));
        nextClose = TagsDetail::FindByte(nextClose + 1, end, '>');
    }
}
