#include "app/MediaLink.h"

#include "app/Main.h"
#include "app/MediaState.h"

namespace murmex {

std::unique_ptr<platform::MediaControls> StartMediaControls(TfmMain& fmMain, bool windowless) {
    TfmMain* fm = &fmMain;
    // Every command is one user action, as a click is; an error it meets is its caller's answer.
    const auto action = [fm](void (TfmMain::*handler)()) {
        return [fm, handler] { return fm->RunCommand([fm, handler] { (fm->*handler)(); }); };
    };
    const auto step = [fm](int by) {
        return [fm, by] { return fm->RunCommand([fm, by] { fm->Cb_NoiseClick(SteppedNoise(fm->Noise_Num, by)); }); };
    };
    platform::MediaCommands commands;
    commands.view = [fm] { return MediaViewOf(*fm, fm->fmHelp); };
    if (!windowless)
        commands.raise = action(&TfmMain::AnotherCopyStarted);
    commands.quit = action(&TfmMain::TrayMenu_4Click);
    // There is no pause: a pause stops.
    commands.play = action(&TfmMain::TrayMenu_1Click);
    commands.pause = action(&TfmMain::TrayMenu_2Click);
    commands.stop = action(&TfmMain::TrayMenu_2Click);
    commands.playPause = action(&TfmMain::Sb_GeneratorClick);
    commands.next = step(1);
    commands.previous = step(-1);
    commands.setVolume = [fm](double volume) {
        return fm->RunCommand([fm, volume] {
            const SliderValues values = SlidersForVolume(fm->Value_L, fm->Value_R, volume);
            fm->SetVolumes(values.left, values.right);
        });
    };
    std::unique_ptr<platform::MediaControls> controls = platform::MediaControls::Start(
        {QStringLiteral("murmex"), QStringLiteral("Murmex"), QStringLiteral("murmex")}, std::move(commands));
    // The window's state changes by many ways (the window, the tray, the auto-off, a failed start, the
    // language); after each the controls compare what they show with it and report what differs.
    if (controls)
        QObject::connect(fm, &TfmMain::Changed, controls.get(), &platform::MediaControls::Refresh);
    return controls;
}

} // namespace murmex
