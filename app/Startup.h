// The program's start-up sequence, message loop and orderly end, and the way a player reaches the user
// while the loop runs. UI thread, except the presenters, which players call on their own threads.
#pragma once

#include "audio/WaveOutThreadPlayWL.h"

#include <QString>

#include <functional>
#include <memory>

namespace murmex {

class TfmMain;
struct TfmHelp;

int RunMurmex(int& argc, char** argv);

// The orderly end, once the message loop has returned: players may show no more errors, they are asked
// to stop and get a short moment to close their devices (never more, and a late one finds everything it
// reads still there), the language is stored and the windows go, the text holder first. Leaves both null.
void EndMurmex(std::unique_ptr<TfmMain>& fmMain, std::unique_ptr<TfmHelp>& fmHelp);

// A player's way to the user: `show` runs on the UI thread and the player waits until it has returned.
// Once EndMurmex has begun it returns at once and shows nothing, so a player never holds up the end nor
// reaches an application that is gone.
audio::ErrorPresenter PresentOnUiThread(std::function<void(const QString& message)> show);

// A player's news in passing: `show` runs later on the UI thread, and the player goes on at once. Once
// EndMurmex has begun the news is dropped, before or after it has been posted.
audio::Notice PostOnUiThread(std::function<void(const QString& message)> show);

} // namespace murmex
