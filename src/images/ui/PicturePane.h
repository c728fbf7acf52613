#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;
class TImageScrollBox;
class TPictureLoader;
struct TDecodedPicture;

// Where one picture is shown by the GIF rule: a ".gif" file as its still
// first frame in a plain picture control at the top-left corner, sized to
// the frame (`GifImage`); any other file in the scrolling, zooming view
// (`ImageScrollBox`), which fills the pane. Pictures are decoded off the
// user-interface thread; while one is on its way the pane shows what it
// showed before, under a busy cursor, and only the newest one asked for is
// ever shown. A file that cannot be decoded leaves the previous picture.
class TPicturePane : public QWidget
{
    Q_OBJECT

public:
    explicit TPicturePane(QWidget *parent = nullptr);

    TImageScrollBox *ScrollBox() const { return m_scrollBox; }
    QLabel *GifImage() const { return m_gifImage; }

    // Starts showing `path`.
    void Show(const QString &path);
    // An empty view; a picture still on its way is dropped.
    void Clear();
    bool Loading() const;
    // Whether the GIF control, not the view, shows the picture.
    bool ShowsGif() const { return m_gifShown; }

    // The file whose picture is on screen; empty when none.
    const QString &ShownPath() const { return m_shownPath; }
    // The picture on screen: the GIF frame while a GIF is shown, else the
    // view's picture (turned, if it was turned).
    QImage ShownPicture() const;

signals:
    // A picture asked for arrived (`decoded`) or could not be decoded.
    void PictureShown(const QString &path, bool decoded);

private:
    void Apply(const TDecodedPicture &picture);
    void SetBusy(bool busy);

    TImageScrollBox *m_scrollBox;
    QLabel *m_gifImage;
    TPictureLoader *m_loader;
    QImage m_gifFrame;
    bool m_gifShown = false;
    QString m_shownPath;
};
