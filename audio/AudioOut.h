// The stored choice of output devices: an INI file, section "ObjectMapping", one device id per mapping entry
// under "Object<entry>", and beside it the device's name under "Object<entry>Name", so that a device whose id
// has shifted since (devices plugged in or out) can be found again. The file is opened for each single read
// or write. UI thread only.
#pragma once

#include <QString>

#include <cstdint>
#include <stdexcept>

namespace murmex::audio {

// What the user is told when a file of the program's cannot be written.
QString WriteErrorText(const QString& path);

// The INI file could not be written; the message names it.
class EAudioOutWriteError : public std::runtime_error {
public:
    explicit EAudioOutWriteError(const QString& path);
};

class TAudioOut {
public:
    explicit TAudioOut(QString iniPath) : m_path(std::move(iniPath)) {}

    const QString& FileName() const { return m_path; }

    // The stored device id of `entry`, or -1 when the file, the section or the key is missing or the value
    // is not a decimal integer. Only a regular file is opened: anything else in its place reads as missing.
    std::int32_t LoadMappingObjectToAudio(const QString& entry) const;
    // The stored name of that device, or an empty text.
    QString LoadMappingNameToAudio(const QString& entry) const;

    // Stores the device id and its name for `entry`; throws EAudioOutWriteError when the file cannot be
    // written or is not a regular file, and then what was stored before stays as it was.
    void SaveMappingObjectToAudio(const QString& entry, std::int32_t id, const QString& name) const;

private:
    QString m_path;
};

} // namespace murmex::audio
