// The work timer: every 100 ms, also while the window is hidden, it does the work that waits for the window's
// first active moment and keeps the pictures under the cursor, the generator face, the sliders and the tabs
// up to date.
#include "app/Main.h"

#include "app/Generator.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QLabel>

namespace murmex {

void TfmMain::Timer_WorkTimer() {
    if (First_Tick && isActiveWindow()) {
        // Later here: minimise to the tray when the user asked to start so.
        ApplyStoredVolumes();
        First_Tick = false;
    }
    const QPoint cursor = m_services.cursorPos();
    // Later here: the title buttons and the language arrows under the cursor.
    ShowGeneratorFace(cursor);
    // Later here: the auto-off arrows under the cursor, and the auto-off countdown.
    SliderSteps(cursor);
    laThreadCnt->setText(QStringLiteral("Количество потоков: %1").arg(audio::WOThreadCount()));
    ShowTabFaces(cursor);
    StopIfStartFailed();
}

// The face is drawn anew only when it changes: the picture list never changes, so the face shown is
// always the one the state gives, within one tick.
void TfmMain::ShowGeneratorFace(QPoint cursor) {
    Generator_Hover = Hovered(Sb_Generator, cursor);
    const int face = GeneratorFaceIndex(Lang_Num, Generator_On, Generator_Hover, Generator_Pressed);
    if (!m_generatorFace->Drawn() || m_generatorFace->Shown() != face)
        m_generatorFace->Draw(BitmapList_Btn, face);
}

// A start whose player has shown an error and is gone has come to nothing: the generator shows stopped
// again instead of running with nothing to hear.
void TfmMain::StopIfStartFailed() {
    if (!m_playerErrorSeen)
        return;
    if (Generator_On && audio::WOThreadCount() > 0)
        return;
    m_playerErrorSeen = false;
    if (Generator_On)
        StopGenerator();
}

} // namespace murmex
