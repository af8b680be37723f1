// The image control (TLMDLImage): shows one numbered picture of a bitmap list at its natural size, with no
// background and no border, so whatever lies beneath shows where the picture does not reach. A state is
// shown by choosing the picture number. UI thread only.
#pragma once

#include <QWidget>

namespace murmex::ui {

class TLMDBitmapList;

// Whether setting the picture number `wanted` over `current` changes anything: the same number and
// negative numbers are ignored.
constexpr bool ListIndexChanges(int current, int wanted) {
    return wanted >= 0 && wanted != current;
}

class TLMDLImage : public QWidget {
    Q_OBJECT
public:
    explicit TLMDLImage(QWidget* parent = nullptr);

    const TLMDBitmapList* ImageList() const { return m_list; }
    void SetImageList(const TLMDBitmapList* list);

    int ListIndex() const { return m_index; }
    // Shows picture v; the same number or a negative one does nothing, not even a repaint. A number past
    // the list, or an empty item, shows nothing.
    void SetListIndex(int v);

signals:
    // A left press and release on the control, as a click is for a button.
    void Click();
    // The second press of a quick pair; that pair's release is no click of its own.
    void DblClick();
    void MouseDown(Qt::MouseButton button);
    void MouseUp(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const TLMDBitmapList* m_list = nullptr;
    int m_index = 0;
    bool m_clickArmed = false;
};

} // namespace murmex::ui
