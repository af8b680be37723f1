// The device list with its S/PDIF filter, the stepper of the device arrows, finding a stored device again,
// and the INI file that keeps the choice.
#include "app/DeviceMap.h"
#include "app/Main.h"
#include "audio/AudioOut.h"
#include "audio/ListError.h"
#include "audio/WaveOutUtils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <map>
#include <string>

namespace murmex {
namespace {

using audio::TDeviceList;

// A sound-device library with the given names; it counts the names it hands out and gets back.
class FakeLibrary {
public:
    explicit FakeLibrary(std::vector<std::string> names) : m_names(std::move(names)) {}

    audio::SndDeviceLibrary Calls() {
        return {.count = [this] { return int(m_names.size()); },
                .name =
                    [this](int i, platform::SndStringHandle* handle) {
                        auto* copy = new std::string(m_names.at(std::size_t(i)));
                        *handle = copy;
                        ++m_out;
                        return copy->c_str();
                    },
                .freeString =
                    [this](platform::SndStringHandle handle) {
                        delete static_cast<std::string*>(handle);
                        --m_out;
                    },
                .key = {},
                .isDefault = {}};
    }
    int Outstanding() const { return m_out; }

private:
    std::vector<std::string> m_names;
    int m_out = 0;
};

std::vector<std::int32_t> Ids(const TDeviceList& list) {
    std::vector<std::int32_t> ids;
    for (const auto& entry : list)
        ids.push_back(entry.Id);
    return ids;
}

TEST(DeviceListTest, SpdifOutputsAreLeftOutUnlessShownAndEveryNameIsGivenBack) {
    FakeLibrary library({"Speakers", "Digital Output (SPDIF)", "hdmi spdif out", "S/PDIF optical", "Headset"});
    TDeviceList list;
    audio::FillDeviceList(list, true, library.Calls());
    EXPECT_EQ(Ids(list), (std::vector<std::int32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(library.Outstanding(), 0);

    audio::FillDeviceList(list, false, library.Calls());
    EXPECT_EQ(Ids(list), (std::vector<std::int32_t>{0, 3, 4})) << "a slash between S and P is no S/PDIF mark";
    EXPECT_EQ(list[1].Name, QStringLiteral("S/PDIF optical"));
    EXPECT_EQ(library.Outstanding(), 0) << "names of left-out devices are given back too";

    TDeviceList again;
    audio::FillDeviceList(again, false, library.Calls());
    audio::FillDeviceList(again, true, library.Calls());
    audio::FillDeviceList(again, false, library.Calls());
    EXPECT_EQ(again, list) << "toggling twice gives the same list";

    EXPECT_TRUE(audio::IsSpdifName(QStringLiteral("xSpDiFx")));
    EXPECT_FALSE(audio::IsSpdifName(QStringLiteral("SPD IF")));
    EXPECT_TRUE(audio::IsSpdifName(QStringLiteral("Built-in Audio Digital Stereo (IEC958)")));
}

// The sound server's first entry plays on the desktop's default output and bears its name.
TEST(DeviceListTest, TheDefaultEntryIsListedWhenTheDefaultOutputIsAnSpdifOne) {
    FakeLibrary library({"Default (Digital Output SPDIF)", "Digital Output SPDIF", "Speakers"});
    audio::SndDeviceLibrary calls = library.Calls();
    calls.isDefault = [](int i) { return i == 0; };
    TDeviceList list;
    audio::FillDeviceList(list, false, calls);
    EXPECT_EQ(Ids(list), (std::vector<std::int32_t>{0, 2}));
}

// Turkish upper-cases "i" to a dotted capital, which would hide a lower-case "spdif" from the filter.
TEST(DeviceListTest, TheSpdifMarkIsFoundWhateverTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const bool lower = audio::IsSpdifName(QStringLiteral("alsa_output.pci.iec958-spdif"));
    QLocale::setDefault(before);
    EXPECT_TRUE(lower);
}

TEST(DeviceListTest, NoDevicesGiveAnEmptyList) {
    FakeLibrary library({});
    TDeviceList list{{QStringLiteral("old"), 3, {}}};
    audio::FillDeviceList(list, true, library.Calls());
    EXPECT_TRUE(list.empty());
}

TDeviceList Listed(std::initializer_list<std::int32_t> ids) {
    TDeviceList list;
    for (std::int32_t id : ids)
        list.push_back({QStringLiteral("device %1").arg(id), id, {}});
    return list;
}

TEST(DeviceStepperTest, FromAnUnlistedIdTheStepStartsAtTheFirstDevice) {
    const TDeviceList list = Listed({0, 1, 2});
    EXPECT_EQ(DeviceListIndex(list, -1), 0);
    EXPECT_EQ(NextDevice(list, -1), 1) << "down selects the second device";
    EXPECT_EQ(PreviousDevice(list, -1), 2) << "up selects the last";
    EXPECT_EQ(NextDevice(Listed({5}), -1), 5) << "with one device, the first";
}

TEST(DeviceStepperTest, WrapsOverAFilteredOutDevice) {
    const TDeviceList list = Listed({0, 2});
    EXPECT_EQ(DeviceListIndex(list, 2), 1);
    EXPECT_EQ(NextDevice(list, 2), 0);
    EXPECT_EQ(PreviousDevice(list, 0), 2);
    EXPECT_EQ(NextDevice(list, 0), 2);
    EXPECT_EQ(PreviousDevice(list, 2), 0);
}

TEST(DeviceStepperTest, AnEmptyListHasNothingToStepTo) {
    const TDeviceList empty;
    try {
        PreviousDevice(empty, -1);
        ADD_FAILURE() << "no error";
    } catch (const audio::EListError& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (-1)");
    }
    try {
        NextDevice(empty, 4);
        ADD_FAILURE() << "no error";
    } catch (const audio::EListError& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (0)");
    }
}

TEST(DeviceStepperTest, AStoredDeviceIsFoundAgainByItsKeyOrItsName) {
    const TDeviceList list = {{QStringLiteral("USB"), 0, QStringLiteral("usb.1")},
                              {QStringLiteral("Speakers"), 1, QStringLiteral("pci.speakers")},
                              {QStringLiteral("HDMI"), 2, QStringLiteral("pci.hdmi")}};
    EXPECT_EQ(RelocatedDevice(list, 1, QStringLiteral("pci.hdmi"), {QStringLiteral("Speakers")}), 2)
        << "ids have shifted";
    EXPECT_EQ(
        RelocatedDevice(list, 2, QStringLiteral("pci.hdmi"), {QStringLiteral("HDMI"), QStringLiteral("pci.hdmi")}), 2);
    EXPECT_EQ(RelocatedDevice(list, 1, QStringLiteral("HDMI"), {QStringLiteral("Speakers")}), 2)
        << "an older file holds the name";
    EXPECT_EQ(RelocatedDevice(list, 7, QStringLiteral("USB"), {}), 0) << "the id is gone, the name is not";
    EXPECT_EQ(RelocatedDevice(list, 1, QStringLiteral("Bluetooth"), {QStringLiteral("Speakers")}), -1)
        << "a device that is not listed plays on the default output, not on what its id names now";
    EXPECT_EQ(RelocatedDevice(list, 1, QString(), {QStringLiteral("Speakers")}), 1) << "an old file has no names";
    EXPECT_EQ(RelocatedDevice(list, 99999, QString(), {}), -1) << "an id no output has plays on the default";
    EXPECT_EQ(RelocatedDevice(list, -1, QString(), {}), -1);
}

class AudioOutTest : public testing::Test {
protected:
    QString Path() const { return m_dir.filePath(QStringLiteral("murmex.ini")); }
    void Write(const QByteArray& text) {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QTemporaryDir m_dir;
};

TEST_F(AudioOutTest, MissingOrUnreadableIdsReadAsTheDefaultOutput) {
    const audio::TAudioOut store(Path());
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("1")), -1) << "no file";
    Write("[Other]\nObject1=3\n");
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("1")), -1) << "no section";
    Write("[ObjectMapping]\nObject1=abc\nObject2=4x\nObject3=7\nObject4=-2\n");
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("1")), -1);
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("2")), -1);
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("3")), 7);
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("4")), -2);
    EXPECT_EQ(store.LoadMappingNameToAudio(QStringLiteral("3")), QString());
}

TEST_F(AudioOutTest, AChoiceIsStoredWithItsNameBesideTheOtherEntries) {
    Write("[ObjectMapping]\nObject2=5\n");
    const audio::TAudioOut store(Path());
    store.SaveMappingObjectToAudio(QStringLiteral("1"), 3, QStringLiteral("Наушники USB"));
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("1")), 3);
    EXPECT_EQ(store.LoadMappingNameToAudio(QStringLiteral("1")), QStringLiteral("Наушники USB"));
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("2")), 5);
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Object1=3")) << "the id stays a plain decimal number";
}

TEST_F(AudioOutTest, AFileThatCannotBeWrittenIsNamedInTheError) {
    Write("[ObjectMapping]\nObject1=2\n");
    const QString blocked = m_dir.filePath(QStringLiteral("blocked.ini"));
    ASSERT_TRUE(QDir().mkpath(blocked)); // a folder where the file should be: not even root can write it
    const audio::TAudioOut store(blocked);
    try {
        store.SaveMappingObjectToAudio(QStringLiteral("1"), 4, QStringLiteral("x"));
        ADD_FAILURE() << "no error";
    } catch (const audio::EAudioOutWriteError& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), QStringLiteral("Unable to write to ") + blocked);
    }
    EXPECT_EQ(store.LoadMappingObjectToAudio(QStringLiteral("1")), -1);
}

// A portable copy's folder is the user's own; a program under /usr is an installed one, whoever owns it.
TEST(DeviceIniPathTest, BesideAPortableProgramElseInTheUsersFolder) {
    EXPECT_EQ(MainServices::DeviceIniPath(QStringLiteral("/opt/m/murmex"), true, QStringLiteral("/home/u/.config/P")),
              QStringLiteral("/opt/m/murmex.ini"));
    EXPECT_EQ(
        MainServices::DeviceIniPath(QStringLiteral("/usr/bin/murmex"), false, QStringLiteral("/home/u/.config/P")),
        QStringLiteral("/home/u/.config/P/murmex.ini"));
    EXPECT_EQ(MainServices::DeviceIniPath(QStringLiteral("/opt/m/murmex.bin"), true, QString()),
              QStringLiteral("/opt/m/murmex.ini"));
    for (const char* program : {"/usr/local/bin/murmex", "/usr/murmex"})
        EXPECT_EQ(MainServices::DeviceIniPath(QString::fromLatin1(program), true, QStringLiteral("/home/u/.config/P")),
                  QStringLiteral("/home/u/.config/P/murmex.ini"))
            << program;
    EXPECT_EQ(MainServices::DeviceIniPath(QStringLiteral("/usrlocal/murmex"), true, QStringLiteral("/h")),
              QStringLiteral("/usrlocal/murmex.ini"));
}

} // namespace
} // namespace murmex
