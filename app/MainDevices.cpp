// The output device page: the device list, the stored choice of device and its stepper, and the S/PDIF
// option that decides whether S/PDIF outputs are listed.
#include "app/Main.h"

#include "app/DeviceMap.h"
#include "app/SettingsPages.h"
#include "app/SettingsStore.h"
#include "app/Sliders.h"
#include "platform/UserFiles.h"
#include "platform/WaveOut.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSettings>

namespace murmex {

namespace {

// The file is taken over only while the settings folder has none of its own, and only a regular file is read.
void AdoptDeviceIni(const QString& from, const QString& to) {
    if (!QFileInfo::exists(from) || platform::NotARegularFile(from) || QFileInfo::exists(to) ||
        !QDir().mkpath(QFileInfo(to).absolutePath()) || !QFile::copy(from, to))
        return;
    QFile::remove(from);
}

} // namespace

QString MainServices::DefaultDeviceIniPath() {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QSettings user(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(SettingsStore::kOrganisation),
                         QString::fromLatin1(SettingsStore::kApplication));
    const QString userFolder = QFileInfo(user.fileName()).absolutePath();
    const QString path =
        DeviceIniPath(program.absoluteFilePath(), platform::UsersOwnFolder(program.absolutePath()), userFolder);
    const QString beside = DeviceIniPath(program.absoluteFilePath(), true, userFolder);
    if (path != beside)
        AdoptDeviceIni(beside, path);
    return path;
}

QString MainServices::DeviceIniPath(const QString& programPath, bool programFolderIsUsersOwn,
                                    const QString& userFolder) {
    const QFileInfo program(programPath);
    const QString name = program.completeBaseName() + QStringLiteral(".ini");
    const QString folder = program.absolutePath();
    const bool system = folder == QStringLiteral("/usr") || folder.startsWith(QStringLiteral("/usr/"));
    return QDir(programFolderIsUsersOwn && !system ? folder : userFolder).filePath(name);
}

// The stored key (a name, in older files) finds the device again when its id has changed; a device that is
// not listed plays on the default output, and is chosen again as soon as it is listed. Outputs the S/PDIF
// option hides are looked for as well: they still play. What is stored stays as it is until the user chooses.
void TfmMain::LoadDeviceMap() {
    audio::TDeviceList all;
    audio::FillDeviceList(all, true, m_services.soundDevices);
    for (int k = 1; k <= int(DeviceMap.size()); ++k) {
        const QString entry = QString::number(k);
        TDeviceMapEntry& mapped = DeviceMap[std::size_t(k - 1)];
        mapped.Key = m_audioOut.LoadMappingNameToAudio(entry);
        const std::int32_t stored = m_audioOut.LoadMappingObjectToAudio(entry);
        const QStringList namesAtStored = mapped.Key.isEmpty()
                                              ? QStringList()
                                              : QStringList{audio::SndDeviceName(m_services.soundDevices, stored),
                                                            audio::SndDeviceKey(m_services.soundDevices, stored)};
        mapped.Id = RelocatedDevice(all, stored, mapped.Key, namesAtStored);
        if (k == 1)
            mapped.Edit = Edit_Obj1;
        ShowMappedDevice(k);
    }
}

// An id that is not listed shows the first listed name; one the S/PDIF option hides still plays, and shows its
// own name. With no device listed the field keeps what it shows.
void TfmMain::ShowMappedDevice(int entry) {
    const TDeviceMapEntry& mapped = DeviceMap[std::size_t(entry - 1)];
    if (!mapped.Edit || DeviceList.empty())
        return;
    const audio::TDeviceEntry& shown = DeviceList[std::size_t(DeviceListIndex(DeviceList, mapped.Id))];
    const bool hidden = shown.Id != mapped.Id && mapped.Id >= 0 && mapped.Id < m_services.soundDevices.count();
    mapped.Edit->setText(hidden ? audio::SndDeviceName(m_services.soundDevices, mapped.Id) : shown.Name);
}

void TfmMain::Sb_Obj1_UpClick() {
    ChooseOutputDevice(PreviousDevice(DeviceList, DeviceMap[0].Id));
}

void TfmMain::Sb_Obj1_DownClick() {
    ChooseOutputDevice(NextDevice(DeviceList, DeviceMap[0].Id));
}

// The choice is in effect and shown before it is stored, so a choice that cannot be stored still holds for
// this run. `id` is a listed device's.
void TfmMain::ChooseOutputDevice(std::int32_t id) {
    DeviceMap[0].Id = id;
    DeviceMap[0].Key = DeviceList[std::size_t(DeviceListIndex(DeviceList, id))].Key;
    ShowMappedDevice(1);
    m_audioOut.SaveMappingObjectToAudio(QStringLiteral("1"), id, DeviceMap[0].Key);
    Memo1->appendPlainText(QStringLiteral("SaveMappingObjectToAudio 1 %1").arg(id));
}

void TfmMain::SoundSystemChanged() {
    audio::FillDeviceList(DeviceList, SPDIF, m_services.soundDevices);
    TDeviceMapEntry& chosen = DeviceMap[0];
    // The user may have moved the sound to another output in the desktop's mixer: that is a choice as the
    // arrows make one.
    std::string moved;
    const bool movedByUser = platform::WaveOutTakeOutsideOutput(moved) && QString::fromStdString(moved) != chosen.Key;
    if (movedByUser)
        chosen.Key = QString::fromStdString(moved);
    // Found among all outputs, S/PDIF ones included; one that is not there leaves the stored choice as it is,
    // for the output's return. Where the choice stands in the list is not stored each time it moves: its key
    // finds it again.
    audio::TDeviceList all;
    audio::FillDeviceList(all, true, m_services.soundDevices);
    chosen.Id = chosen.Key.isEmpty() ? chosen.Id : DeviceOfKey(all, chosen.Key);
    if (movedByUser) {
        try {
            m_audioOut.SaveMappingObjectToAudio(QStringLiteral("1"), chosen.Id, chosen.Key);
            Memo1->appendPlainText(QStringLiteral("SaveMappingObjectToAudio 1 %1").arg(chosen.Id));
        } catch (const audio::EAudioOutWriteError& error) {
            Memo1->appendPlainText(QString::fromStdString(error.what()));
        }
    }
    ShowMappedDevice(1);
    std::uint32_t volume = 0;
    if (!platform::WaveOutTakeOutsideVolume(volume))
        return;
    const int left = kVolumeMax - audio::VolumeToTrackBar(std::uint16_t(volume & 0xFFFF));
    const int right = kVolumeMax - audio::VolumeToTrackBar(std::uint16_t(volume >> 16));
    if (left != Value_L || right != Value_R)
        ShowOutsideVolumes(left, right);
}

// The shown device and the choice stay as they are; the arrows step through the new list from then on.
void TfmMain::Cb_SPDIFClick() {
    SPDIF = !SPDIF;
    audio::FillDeviceList(DeviceList, SPDIF, m_services.soundDevices);
    UpdateSPDIFMark();
}

void TfmMain::UpdateSPDIFMark() {
    Cb_SPDIF->SetListIndex(TickBoxPicture(SPDIF));
}

} // namespace murmex
