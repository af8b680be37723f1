// Keeps the stored settings up to date while the program runs, so that an end without the orderly close (a
// kill, a crash, a lost display) loses no more than the last moment's changes; and says once per run that the
// store cannot be written. UI thread only.
#pragma once

#include "app/MainState.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

namespace murmex {

class SettingsSaver : public QObject {
    Q_OBJECT
public:
    struct Values {
        MainSettings main;
        std::int32_t language = 0;
        bool operator==(const Values&) const = default;
    };

    // A change is written this long after the first change since the last write, whatever follows it: a
    // slider drag writes about once a second, not on each of its steps.
    static constexpr int kWriteDelayMs = 1000;

    // `current` gives the values as they stand now; `report` tells the user of a store that cannot be written.
    SettingsSaver(std::function<Values()> current, std::function<void(const QString& message)> report,
                  QObject* parent = nullptr);

    // The values as they stand now are those in the store: call it once, when the window has been read from the
    // store and first shown. Until then nothing is written.
    void TakeAsStored();
    // Call after anything that may have changed the values (the window's Changed): a change since the last
    // write arms the next one.
    void Check();
    // Writes the eight window values now, as an orderly end does; the language is the start-up's to write.
    void WriteMain();

    // The start's one message, when something other than a regular file stands where the settings or the
    // chosen output (`iniPath`) are kept: such a thing is never opened, and the defaults are used. The store
    // named there is not reported again when its writes fail.
    std::optional<QString> UnusableFiles(const QString& iniPath);

private:
    void WriteChanges();
    void Written(bool ok);

    std::function<Values()> m_current;
    std::function<void(const QString&)> m_report;
    QTimer m_timer;
    std::optional<Values> m_written;
    bool m_reported = false;
};

} // namespace murmex
