#include "audio/AudioOut.h"

#include "platform/UserFiles.h"

#include <QSettings>

namespace murmex::audio {
namespace {

QString Key(const QString& entry) {
    return QStringLiteral("ObjectMapping/Object") + entry;
}

QString NameKey(const QString& entry) {
    return Key(entry) + QStringLiteral("Name");
}

} // namespace

QString WriteErrorText(const QString& path) {
    return QStringLiteral("Unable to write to %1").arg(path);
}

EAudioOutWriteError::EAudioOutWriteError(const QString& path)
    : std::runtime_error(WriteErrorText(path).toStdString()) {}

std::int32_t TAudioOut::LoadMappingObjectToAudio(const QString& entry) const {
    if (platform::NotARegularFile(m_path))
        return -1;
    const QSettings ini(m_path, QSettings::IniFormat);
    bool ok = false;
    const std::int32_t id = ini.value(Key(entry)).toString().trimmed().toInt(&ok, 10);
    return ok ? id : -1;
}

QString TAudioOut::LoadMappingNameToAudio(const QString& entry) const {
    if (platform::NotARegularFile(m_path))
        return {};
    const QSettings ini(m_path, QSettings::IniFormat);
    return ini.value(NameKey(entry)).toString();
}

// The file is replaced as a whole when it is synced, so a failed write leaves the stored choice as it was.
void TAudioOut::SaveMappingObjectToAudio(const QString& entry, std::int32_t id, const QString& name) const {
    if (platform::NotARegularFile(m_path))
        throw EAudioOutWriteError(m_path);
    QSettings ini(m_path, QSettings::IniFormat);
    ini.setValue(Key(entry), id);
    ini.setValue(NameKey(entry), name);
    ini.sync();
    if (ini.status() != QSettings::NoError)
        throw EAudioOutWriteError(m_path);
}

} // namespace murmex::audio
