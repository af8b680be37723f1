// A private configuration folder for the whole test run, and helpers to read and edit the settings
// file the way a user could.
#pragma once

#include <QString>

namespace murmex::test {

// Folder of the per-user settings file; set as XDG_CONFIG_HOME before the first test runs.
QString ConfigHome();
// The system-wide settings folder; set as XDG_CONFIG_DIRS before the first test runs.
QString SystemConfigDir();
QString SettingsFilePath();

void RemoveSettingsFile();
void WriteSettingsFile(const QByteArray& text);
QByteArray ReadSettingsFile();

// The value stored under `key` as text, or a null string when it is absent.
QString StoredText(const QString& key);

// Makes the settings file and its folder read-only for this process, also when it runs as root,
// for as long as the guard lives.
class ReadOnlySettings {
public:
    ReadOnlySettings();
    ~ReadOnlySettings();
    ReadOnlySettings(const ReadOnlySettings&) = delete;
    ReadOnlySettings& operator=(const ReadOnlySettings&) = delete;

private:
    bool m_capsDropped = false;
};

} // namespace murmex::test
