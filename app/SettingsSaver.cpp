#include "app/SettingsSaver.h"

#include "app/SettingsStore.h"
#include "audio/AudioOut.h"
#include "platform/UserFiles.h"

#include <QStringList>

namespace murmex {

SettingsSaver::SettingsSaver(std::function<Values()> current, std::function<void(const QString&)> report,
                             QObject* parent)
    : QObject(parent), m_current(std::move(current)), m_report(std::move(report)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kWriteDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &SettingsSaver::WriteChanges);
}

void SettingsSaver::TakeAsStored() {
    if (!m_written)
        m_written = m_current();
}

void SettingsSaver::Check() {
    if (m_written && m_current() != *m_written && !m_timer.isActive())
        m_timer.start();
}

// Only what changed is written: the language and the window values are stored apart, each by its own owner.
// A failed write is not tried again until the next change, so a store that cannot be written costs nothing.
// The timer runs only once the values have been taken as stored.
void SettingsSaver::WriteChanges() {
    const Values now = m_current();
    bool ok = true;
    if (now.language != m_written->language)
        ok = SettingsStore::WriteLanguage(now.language);
    if (now.main != m_written->main)
        ok = SettingsStore::WriteMainSettings(now.main) && ok;
    m_written = now;
    Written(ok);
}

void SettingsSaver::WriteMain() {
    m_timer.stop();
    const Values now = m_current();
    const bool ok = SettingsStore::WriteMainSettings(now.main);
    if (m_written)
        m_written->main = now.main;
    Written(ok);
}

void SettingsSaver::Written(bool ok) {
    if (ok || m_reported)
        return;
    m_reported = true;
    m_report(audio::WriteErrorText(SettingsStore::Location()));
}

std::optional<QString> SettingsSaver::UnusableFiles(const QString& iniPath) {
    QStringList paths;
    if (SettingsStore::Unusable()) {
        paths << SettingsStore::Location();
        m_reported = true;
    }
    if (platform::NotARegularFile(iniPath))
        paths << iniPath;
    if (paths.isEmpty())
        return std::nullopt;
    return QStringLiteral("Not a regular file, left alone; the defaults are used: %1")
        .arg(paths.join(QStringLiteral(", ")));
}

} // namespace murmex
