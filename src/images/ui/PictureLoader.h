#pragma once

#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

// A picture decoded for showing, by the GIF rule: a ".gif" file (trimmed,
// lower-cased extension) as the still first frame of the GIF decoder, any
// other file as its first image.
struct TDecodedPicture {
    QString Path;
    bool Gif = false;
    QImage Image;  // null when the file could not be decoded
    QString Error; // why, when it could not
    bool Decoded() const { return !Image.isNull(); }
};

Q_DECLARE_METATYPE(TDecodedPicture)

// Decodes a file by the GIF rule; never raises.
TDecodedPicture DecodePicture(const QString &path);

// What the loaders decode with. Tests put their own in front of it (to hold
// a decode back, or to see the thread it runs on); SetPictureDecoder returns
// the one it replaces, and an empty function restores DecodePicture.
using TPictureDecoder = std::function<TDecodedPicture(const QString &path)>;
TPictureDecoder SetPictureDecoder(TPictureDecoder decoder);

// Decodes pictures off the user-interface thread, on Qt's global thread pool,
// and hands them back on the thread it lives in. The newest request wins:
// a request still queued when a newer one comes is never decoded, and the
// result of one that was already decoding is dropped. Destroying the loader
// drops whatever is still under way; a decode that has begun finishes on
// its pool thread and is thrown away, touching nothing of the loader.
class TPictureLoader : public QObject
{
    Q_OBJECT

public:
    explicit TPictureLoader(QObject *parent = nullptr);
    ~TPictureLoader() override;

    // Starts decoding `path`, superseding any earlier request.
    void Load(const QString &path);
    // Drops the pending request, if any.
    void Cancel();
    // A request whose result has not come yet.
    bool Pending() const { return m_pending; }

signals:
    // The result of the newest request, decoded or not.
    void Loaded(const TDecodedPicture &picture);

private:
    std::shared_ptr<std::atomic<quint64>> m_newest;
    quint64 m_request = 0;
    bool m_pending = false;
};
