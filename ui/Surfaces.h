// The plain skinned widgets of the window: the texture panel (TLMDPanelFill), the fixed picture, the
// filled rectangle lamp (TShape), the text-only label (TLMDLabelFill), the read-only field and the picture
// drawn over a control through an off-screen bitmap. Each keeps its look in its paint; presses on any of
// them stay with it, so only free points of the skin and the title labels move the window. UI thread only.
#pragma once

#include <QImage>
#include <QLineEdit>
#include <QWidget>

#include <cstdint>

namespace murmex::ui {

class TLMDBitmapList;

// A colour stored as the platform keeps colour values: red in the low byte, then green, then blue.
constexpr QColor FromWinColour(std::uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// A container whose background is its texture repeated from its top-left corner.
class TLMDPanelFill : public QWidget {
    Q_OBJECT
public:
    TLMDPanelFill(QImage texture, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_texture;
};

// One picture at its natural size from the control's top-left corner.
class TImage : public QWidget {
    Q_OBJECT
public:
    TImage(QImage picture, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

// A rectangle filled with its brush colour inside a one-pixel outline.
class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);

    QColor BrushColor() const { return m_brush; }
    void SetBrushColor(const QColor& colour);
    void SetPenColor(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_brush{Qt::white};
    QColor m_pen{Qt::black};
};

// Text only, in the palette's text colour, from the top-left corner; the skin shows around the letters.
class TLMDLabelFill : public QWidget {
    Q_OBJECT
public:
    explicit TLMDLabelFill(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    // With AutoSize the label grows or shrinks to the width of its text, as a caption label does.
    void setText(const QString& text);
    void SetAutoSize(bool autoSize);
    // Presses pass on to the parent (the window), which then moves itself.
    void SetPassPresses(bool pass) { m_passPresses = pass; }

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FitWidth();

    QString m_text;
    bool m_autoSize = false;
    bool m_passPresses = false;
};

// A read-only field: no border, a soft lowered inner bevel, light text on blue; arrows beside it change
// its text.
class TSkinField : public QLineEdit {
    Q_OBJECT
public:
    explicit TSkinField(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A picture the window draws over a control: a list item is drawn into the off-screen bitmap, which is
// then shown at the picture's place on every repaint of the window. Until its first draw it shows
// nothing, so the control beneath shows its own picture. The mouse passes through to that control.
class TDirectPicture : public QWidget {
    Q_OBJECT
public:
    TDirectPicture(QImage& bitmap, QRect place, QWidget* form);

    void Draw(const TLMDBitmapList& list, int n);
    bool Drawn() const { return m_drawn; }
    // The list item drawn last.
    int Shown() const { return m_shown; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage& m_bitmap;
    bool m_drawn = false;
    int m_shown = -1;
};

} // namespace murmex::ui
