// The tray icon (TLMDTrayIcon) over the desktop's notification area, its owner-drawn popup menu
// (TLMDPopupMenu) and the application-wide style of hints (TLMDShapeHint). UI thread only.
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace murmex::ui {

class TLMDTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TLMDTrayIcon(QObject* parent = nullptr);
    // An active icon leaves the notification area with the program.
    ~TLMDTrayIcon() override;

    bool Active() const { return m_active; }
    // Adds the icon to the notification area or removes it; setting the current value does nothing.
    void SetActive(bool active);

    QString Hint() const { return m_icon.toolTip(); }
    void SetHint(const QString& hint) { m_icon.setToolTip(hint); }
    void SetIcon(const QIcon& icon) { m_icon.setIcon(icon); }
    void SetPopupMenu(QMenu* menu) { m_menu = menu; }
    QMenu* PopupMenu() const { return m_menu; }

    // The notification-area icon itself, for those who need to see where it stands.
    QSystemTrayIcon& Native() { return m_icon; }

signals:
    // A left double click on the icon. The first press of the pair is no command of its own.
    void DblClick();

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_icon;
    QMenu* m_menu = nullptr;
    bool m_active = false;
};

// A menu on a blue gradient with a heading, bold light lettering and an 11 x 11 glyph before each item.
class TLMDPopupMenu : public QMenu {
    Q_OBJECT
public:
    TLMDPopupMenu(const QString& heading, QWidget* parent = nullptr);

    QString Heading() const { return m_heading; }
    // The height of the heading bar above the first item.
    static constexpr int kHeadingHeight = 22;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintItem(QPainter& p, QAction* action);

    QString m_heading;
};

// While it exists, every hint of the application is a plain light-yellow rectangle with a blue border,
// and hints can be switched off for the whole application at once.
class TLMDShapeHint : public QObject {
    Q_OBJECT
public:
    explicit TLMDShapeHint(QObject* parent = nullptr);
    ~TLMDShapeHint() override;

    bool HintsShown() const { return m_shown; }
    void SetHintsShown(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_shown = true;
};

} // namespace murmex::ui
