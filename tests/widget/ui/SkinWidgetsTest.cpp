// The skinned widgets on the offscreen platform: picture numbers, clicks, the level indicator, the window
// shape, the tray icon, its menu and the hint style.
#include "ui/BitmapList.h"
#include "ui/FormShape.h"
#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/SkinAssets.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStyleOption>
#include <QtTest>

using namespace murmex::ui;

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class ToolTipTarget : public QWidget {
public:
    int toolTips = 0;

protected:
    bool event(QEvent* event) override {
        toolTips += event->type() == QEvent::ToolTip;
        return QWidget::event(event);
    }
};

QImage Solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Within a step of a 64-step gradient.
bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 4 && std::abs(a.green() - b.green()) <= 4 &&
           std::abs(a.blue() - b.blue()) <= 4;
}

void SendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A host window with a plain background and one control on it, shown and exposed.
struct Host {
    QWidget window;
    explicit Host(QColor background = Qt::darkCyan) {
        window.resize(200, 200);
        QPalette colours = window.palette();
        colours.setColor(QPalette::Window, background);
        window.setPalette(colours);
        window.setAutoFillBackground(true);
    }
    bool Show() {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
};

} // namespace

class SkinWidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void pictureNumberRepaintsOnlyWhenItChanges() {
        const TLMDBitmapList list({Solid({20, 10}, Qt::red), Solid({20, 10}, Qt::green)});
        Host host;
        auto* image = new TLMDLImage(&host.window);
        image->SetImageList(&list);
        image->setGeometry(10, 10, 30, 30);
        QVERIFY(host.Show());
        PaintCounter counter;
        image->installEventFilter(&counter);
        for (int i = 0; i < 10; ++i) {
            image->SetListIndex(0);
            QCoreApplication::processEvents();
        }
        QCOMPARE(counter.paints, 0);
        image->SetListIndex(-3);
        QCoreApplication::processEvents();
        QCOMPARE(image->ListIndex(), 0);
        QCOMPARE(counter.paints, 0);
        image->SetListIndex(1);
        QTRY_VERIFY(counter.paints > 0);
        QCOMPARE(image->ListIndex(), 1);
    }

    void picturesAreDrawnAtNaturalSizeOverWhatLiesBeneath() {
        const TLMDBitmapList list({Solid({20, 10}, Qt::red), QImage()});
        Host host(Qt::darkCyan);
        auto* image = new TLMDLImage(&host.window);
        image->SetImageList(&list);
        image->setGeometry(10, 10, 30, 30);
        QVERIFY(host.Show());
        QImage shot = host.window.grab().toImage();
        QCOMPARE(shot.pixelColor(10, 10), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(29, 19), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(30, 19), QColor(Qt::darkCyan)); // beyond the picture, not the control
        QCOMPARE(shot.pixelColor(10, 20), QColor(Qt::darkCyan));
        for (int missing : {1, 2, 7}) {
            image->SetListIndex(missing);
            shot = host.window.grab().toImage();
            QCOMPARE(shot.pixelColor(10, 10), QColor(Qt::darkCyan));
        }
    }

    void leftPressAndReleaseClickOnce() {
        TLMDLImage image;
        image.resize(20, 20);
        QSignalSpy clicks(&image, &TLMDLImage::Click), doubles(&image, &TLMDLImage::DblClick);
        QSignalSpy downs(&image, &TLMDLImage::MouseDown), ups(&image, &TLMDLImage::MouseUp);
        SendMouse(&image, QEvent::MouseButtonPress, Qt::LeftButton, {5, 5});
        SendMouse(&image, QEvent::MouseButtonRelease, Qt::LeftButton, {5, 5});
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(downs.count(), 1);
        QCOMPARE(downs.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(ups.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);

        SendMouse(&image, QEvent::MouseButtonPress, Qt::RightButton, {5, 5});
        SendMouse(&image, QEvent::MouseButtonRelease, Qt::RightButton, {5, 5});
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(downs.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);

        SendMouse(&image, QEvent::MouseButtonPress, Qt::LeftButton, {5, 5});
        SendMouse(&image, QEvent::MouseButtonRelease, Qt::LeftButton, {25, 5});
        QCOMPARE(clicks.count(), 1); // released off the control

        // The platform turns the second press of a quick pair into a double click.
        SendMouse(&image, QEvent::MouseButtonPress, Qt::LeftButton, {5, 5});
        SendMouse(&image, QEvent::MouseButtonRelease, Qt::LeftButton, {5, 5});
        SendMouse(&image, QEvent::MouseButtonDblClick, Qt::LeftButton, {5, 5});
        SendMouse(&image, QEvent::MouseButtonRelease, Qt::LeftButton, {5, 5});
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(doubles.count(), 1);
        QCOMPARE(downs.count(), 5);
        QCOMPARE(ups.count(), 5);
    }

    void indicatorStoresOnlyWhileActiveAndEnabled() {
        TIgoIndicator indicator;
        QCOMPARE(indicator.size(), QSize(16, 142));
        QVERIFY(!indicator.Active());
        indicator.SetValue(5000);
        QCOMPARE(indicator.Value(), 0);
        indicator.SetActive(true);
        indicator.SetValue(-5);
        QCOMPARE(indicator.Value(), 0);
        indicator.SetValue(40000);
        QCOMPARE(indicator.Value(), 32767);
        indicator.setEnabled(false);
        indicator.SetValue(100);
        QCOMPARE(indicator.Value(), 32767);
    }

    void indicatorRepaintsOnlyOnChange() {
        Host host;
        auto* indicator = new TIgoIndicator(&host.window);
        indicator->SetActive(true);
        QVERIFY(host.Show());
        PaintCounter counter;
        indicator->installEventFilter(&counter);
        indicator->SetValue(40000);
        QTRY_VERIFY(counter.paints > 0);
        counter.paints = 0;
        indicator->SetValue(32767);
        indicator->SetValue(50000);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);
    }

    void indicatorDrawsItsLampsAndFrameAtTheWindowsSize() {
        auto lamp = [](const char* name) {
            return SkinPicture(std::string(murmex::ui::layout::kLampResourceFolder) + name + ".png").pixelColor(6, 6);
        };
        TIgoIndicator indicator;
        indicator.resize(14, 140);
        indicator.SetActive(true);
        indicator.SetValue(13105); // five lamps
        QImage shot = indicator.grab().toImage();
        for (int k = 1; k <= 10; ++k) {
            const char* want = k <= 5 ? "GONBUTTON" : k <= 7 ? "GOFFBUTTON" : "OFFBUTTON";
            QCOMPARE(shot.pixelColor(7, LampTop(k, 140) + 6), lamp(want));
        }
        QCOMPARE(shot.pixel(5, 139), indicator.palette().color(QPalette::Dark).rgb());
        QCOMPARE(shot.pixel(0, 70), indicator.palette().color(QPalette::Midlight).rgb());
        QVERIFY2(shot.pixel(13, 70) != indicator.palette().color(QPalette::Dark).rgb(), "lamps cover the right frame");

        indicator.setEnabled(false);
        shot = indicator.grab().toImage();
        for (int k = 1; k <= 10; ++k)
            QCOMPARE(shot.pixelColor(7, LampTop(k, 140) + 6), lamp("DISABLEBUTTON"));
    }

    void formShapeSizesCutsAndPaintsTheWindow() {
        const QImage skin = SkinPicture(murmex::ui::layout::kSkinResource);
        QWidget form;
        form.setWindowFlag(Qt::FramelessWindowHint);
        auto* shape = new TLMDFormShape(&form, skin);
        QCOMPARE(form.size(), QSize(808, 608));
        QCOMPARE(form.mask(), shape->Region());
        QCOMPARE(shape->Region().boundingRect(), QRect(1, 1, 800, 600));
        const QImage shot = form.grab().toImage();
        for (QPoint at : {QPoint(400, 300), QPoint(232, 309), QPoint(5, 20), QPoint(700, 590)})
            QCOMPARE(shot.pixelColor(at), skin.pixelColor(at));
    }

    void trayIconActivatesOnceAndDoubleClicksOnce() {
        TLMDTrayIcon tray;
        QSignalSpy doubles(&tray, &TLMDTrayIcon::DblClick);
        tray.SetActive(true);
        QVERIFY(tray.Native().isVisible());
        tray.SetActive(true);
        QVERIFY(tray.Active());
        emit tray.Native().activated(QSystemTrayIcon::Trigger);
        emit tray.Native().activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(doubles.count(), 1);
        tray.SetActive(false);
        QVERIFY(!tray.Native().isVisible());
    }

    void trayRightPressOpensTheMenuAtTheCursor() {
        TLMDTrayIcon tray;
        TLMDPopupMenu menu(QStringLiteral("Murmex"));
        menu.addAction(QStringLiteral("Exit"));
        tray.SetPopupMenu(&menu);
        QCursor::setPos(300, 200);
        emit tray.Native().activated(QSystemTrayIcon::Context);
        QTRY_VERIFY(menu.isVisible());
        QVERIFY((menu.pos() - QCursor::pos()).manhattanLength() < 4);
        menu.hide();
    }

    void popupMenuHasAHeadingAndAGradientGround() {
        TLMDPopupMenu menu(QStringLiteral("Murmex"));
        QAction* first = menu.addAction(QStringLiteral("Start Generator"));
        menu.addAction(QStringLiteral("Exit"));
        menu.adjustSize();
        QVERIFY(menu.actionGeometry(first).top() >= TLMDPopupMenu::kHeadingHeight);
        QCOMPARE(menu.font().pixelSize(), 12);
        QVERIFY(menu.font().bold());
        const QImage shot = menu.grab().toImage();
        QVERIFY(Near(shot.pixelColor(menu.width() - 3, 1), QColor(0x02, 0x3D, 0x7D)));
        QVERIFY(Near(shot.pixelColor(menu.width() - 3, menu.height() - 2), QColor(0x37, 0xBE, 0xFF)));
    }

    void hintsTakeTheHintLookAndCanBeSwitchedOff() {
        auto paintTip = [] {
            QImage tip(40, 20, QImage::Format_RGB32);
            tip.fill(Qt::black);
            QPainter painter(&tip);
            QStyleOption option;
            option.rect = tip.rect();
            QApplication::style()->drawPrimitive(QStyle::PE_PanelTipLabel, &option, &painter);
            return tip;
        };
        ToolTipTarget target;
        target.setToolTip(QStringLiteral("hint"));
        auto ask = [&] {
            QHelpEvent help(QEvent::ToolTip, {2, 2}, target.mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(&target, &help);
        };
        {
            TLMDShapeHint hint;
            const QImage tip = paintTip();
            QCOMPARE(tip.pixelColor(0, 0), QColor(0x10, 0x50, 0x8D));
            QCOMPARE(tip.pixelColor(20, 10), QColor(0xFF, 0xFF, 0xCA));
            ask();
            QCOMPARE(target.toolTips, 1);
            hint.SetHintsShown(false);
            ask();
            QCOMPARE(target.toolTips, 1);
            hint.SetHintsShown(true);
            ask();
            QCOMPARE(target.toolTips, 2);
        }
        QVERIFY2(paintTip().pixelColor(20, 10) != QColor(0xFF, 0xFF, 0xCA), "only while the hint style exists");
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SkinWidgetsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SkinWidgetsTest.moc"
