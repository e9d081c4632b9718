#pragma once

#include <QPixmap>
#include <QPushButton>

// A status lamp: shows one of four images according to the state its owner sets, with an
// optional caption. State 3 disables the button; every other state enables it.
class CStateImageButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CStateImageButton(QWidget *parent = nullptr);

    // Drops the images held so far and loads the images of states 0 to 3 from image files
    // (Qt resource paths). States 1 to 3 may be given an empty path, which leaves their image
    // empty. Returns false at the first image that cannot be loaded (a missing state-0 image
    // included); the images before it stay, the later ones stay empty.
    bool AssignStateBitmaps(const QString &state0, const QString &state1, const QString &state2,
                            const QString &state3);
    // The same with numeric image IDs; 0 stands for no image.
    bool AssignStateBitmapIds(uint state0, uint state1, uint state2, uint state3);

    // 1 and 2 enable the button and highlight it; 3 disables it; any other value enables it,
    // clears the highlight and becomes 0. The new image shows at once.
    void SetState(int nState);
    int GetState() const { return m_state; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QPixmap &ImageForState(int state) const;

    int m_state = 0;
    QPixmap m_imageState1;
    QPixmap m_imageState2;
    QPixmap m_imageState0;
    QPixmap m_imageState3;
};
