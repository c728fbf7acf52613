#pragma once

#include "images/ui/PreviewDecoder.h"

#include <QWidget>

#include <functional>

class QLabel;
class TImageScrollBox;

// A preview pane by the GIF rule: a ".gif" file shows as the still first
// frame of the GIF decoder in `GifImage`, at its own size from the pane's
// top-left corner; any other file as its first image in `ImageScrollBox`,
// fitted to the pane. Pictures are decoded off the UI thread
// (TPreviewDecoder); the pane shows the busy cursor meanwhile, and a picture
// that cannot be decoded leaves the previous one on show.
class TPicturePreview : public QWidget
{
    Q_OBJECT

public:
    explicit TPicturePreview(QWidget *parent = nullptr);

    // Shows `path`. A newer ShowFile or Clear drops what this one would show.
    void ShowFile(const QString &path);
    // An empty view and no GIF frame.
    void Clear();

    // When set, a file of two or more images is not decoded before
    // `loadAll(count)` (main thread) has decided whether all its images are
    // loaded (true) or the first only (false). Unset, the first is loaded.
    void SetAllImagesQuestion(std::function<bool(int count)> loadAll);

    TImageScrollBox &View() const { return *m_view; }
    // A picture is being decoded, or a question about it is open.
    bool Busy() const { return m_busy; }

signals:
    // The request of `path` has ended: `shown` when its picture is now on
    // show, false when it could not be decoded.
    void Settled(const QString &path, bool shown);

private:
    void Request(const QString &path, TPreviewDecoder::TWhat what);
    void Decoded(const TPreviewDecoder::TResult &result, bool gif);
    void AskAllImages(const QString &path, int count);
    void SetBusy(bool busy);

    QLabel *m_gifImage;
    TImageScrollBox *m_view;
    TPreviewDecoder m_decoder;
    std::function<bool(int count)> m_loadAll;
    // Bumped by every ShowFile and Clear, so that a question asked for an
    // older file does not load it.
    quint64 m_shown = 0;
    bool m_busy = false;
};
