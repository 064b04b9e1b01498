#pragma once
#include <QPixmap>
#include <QMovie>
#include <QPointer>
#include <QWidget>


// A picture control: shows one picture (or an animation) and reports the mouse entering,
// leaving and clicking it. Tag is free for the form's own use; a Tag of 1 makes
// LoadJpegResource leave the picture alone.
class ImageControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    explicit ImageControl(QWidget *parent = nullptr);
    ~ImageControl() override;

    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    // Replaces the picture and stops a running animation. With AutoSize the control takes
    // the picture's size.
    void SetPicture(const QPixmap &picture);
    const QPixmap &Picture() const { return m_picture; }
    // Shows the movie's frames (the control takes ownership); nullptr stops it.
    void SetMovie(QMovie *movie);
    QMovie *Movie() const { return m_movie; }

    // Scale the picture to the control's size instead of drawing it at its own size.
    void SetStretch(bool stretch);
    bool Stretch() const { return m_stretch; }
    void SetAutoSize(bool autoSize);
    bool AutoSize() const { return m_autoSize; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void mouseEntered();
    void mouseLeft();
    void clicked();

protected:
    // The picture this control draws now; buttons choose it by their state.
    virtual QPixmap ShownPicture() const;
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool LeftPressed() const { return m_leftPressed; }
    void ApplyAutoSize();

private:
    QPixmap m_picture;
    QPointer<QMovie> m_movie;
    int m_tag = 0;
    bool m_stretch = false;
    bool m_autoSize = false;
    bool m_leftPressed = false;
};
