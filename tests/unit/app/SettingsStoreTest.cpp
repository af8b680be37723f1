#include "app/SettingsStore.h"
#include "app/AutoOff.h"
#include "app/SettingsSaver.h"
#include "tests/unit/app/TestConfigHome.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdio>
#include <cstdlib>

namespace murmex {
namespace {

using test::ReadSettingsFile;
using test::StoredText;
using test::WriteSettingsFile;

constexpr MainSettings kDefaults{.Min_FormShow = false,
                                 .HintShow = true,
                                 .Noise_Num = 1,
                                 .Off_1 = 0,
                                 .Off_2 = 0,
                                 .SPDIF = true,
                                 .Value_L = 0,
                                 .Value_R = 0};

const char* const kEightNames[] = {"Min_FormShow", "HintShow", "Noise_Num", "Off_1",
                                   "Off_2",        "SPDIF",    "Value_L",   "Value_R"};

class SettingsStoreTest : public testing::Test {
protected:
    void SetUp() override { test::RemoveSettingsFile(); }
    void TearDown() override { test::RemoveSettingsFile(); }
};

// Found without opening the file, which could block; it must still be the file QSettings uses.
TEST_F(SettingsStoreTest, TheLocationIsTheOneTheStoreUses) {
    const QSettings store(QString::fromLatin1(SettingsStore::kOrganisation),
                          QString::fromLatin1(SettingsStore::kApplication));
    EXPECT_EQ(SettingsStore::Location(), store.fileName());
}

TEST_F(SettingsStoreTest, EmptyStoreGivesTheDefaults) {
    EXPECT_EQ(SettingsStore::ReadMainSettings(), kDefaults);
    EXPECT_EQ(SettingsStore::ReadLanguage(), 0);

    WriteSettingsFile("[General]\nUnrelated=4\n");
    EXPECT_EQ(SettingsStore::ReadMainSettings(), kDefaults);
    EXPECT_EQ(SettingsStore::ReadLanguage(), 0);
}

void WriteFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// System-wide and organisation-wide files are someone else's: only the user's own store is read.
TEST_F(SettingsStoreTest, OnlyTheUsersOwnStoreIsRead) {
    const QString system = test::SystemConfigDir() + QStringLiteral("/Pellor Quandrel/Murmex.conf");
    const QString systemOrganisation = test::SystemConfigDir() + QStringLiteral("/Pellor Quandrel.conf");
    const QString userOrganisation = test::ConfigHome() + QStringLiteral("/Pellor Quandrel.conf");
    WriteFile(system, "[General]\nNoise_Num=6\nLanguare=1\n");
    WriteFile(systemOrganisation, "[General]\nHintShow=0\n");
    WriteFile(userOrganisation, "[General]\nValue_L=40\nSPDIF=0\n");
    EXPECT_EQ(SettingsStore::ReadMainSettings(), kDefaults);
    EXPECT_EQ(SettingsStore::ReadLanguage(), 0);
    for (const QString& path : {system, systemOrganisation, userOrganisation})
        QFile::remove(path);
}

TEST_F(SettingsStoreTest, ValuesAreTakenAsStoredAndBooleansAreNonZero) {
    WriteSettingsFile("[General]\nMin_FormShow=-3\nHintShow=5\nNoise_Num=-7\nOff_1=12\nOff_2=1\nSPDIF=0\n"
                      "Value_L=2147483647\nValue_R=-2147483648\nLanguare=2\n");
    const MainSettings read = SettingsStore::ReadMainSettings();
    EXPECT_EQ(read, (MainSettings{.Min_FormShow = true,
                                  .HintShow = true,
                                  .Noise_Num = -7,
                                  .Off_1 = 12,
                                  .Off_2 = 1,
                                  .SPDIF = false,
                                  .Value_L = 2147483647,
                                  .Value_R = -2147483648}));
    EXPECT_EQ(SettingsStore::ReadLanguage(), 2);

    EXPECT_TRUE(SettingsStore::WriteMainSettings(read));
    EXPECT_EQ(StoredText(QStringLiteral("HintShow")), QStringLiteral("1"));
    EXPECT_EQ(StoredText(QStringLiteral("Min_FormShow")), QStringLiteral("1"));
    EXPECT_EQ(StoredText(QStringLiteral("SPDIF")), QStringLiteral("0"));
    EXPECT_EQ(StoredText(QStringLiteral("Value_R")), QStringLiteral("-2147483648"));
    EXPECT_EQ(SettingsStore::ReadMainSettings(), read);
}

// A value that is not a 32-bit integer takes its own default; the values around it are read as stored.
TEST_F(SettingsStoreTest, AnUnreadableValueTakesItsDefaultAndTheOthersAreRead) {
    const char* const unreadable[] = {"yes",      "1.5",  "2147483648",    "-2147483649", "",
                                      "\"1, 2\"", "1, 2", "@ByteArray(1)", "0x10"};
    for (const char* text : unreadable) {
        SCOPED_TRACE(text);
        WriteSettingsFile(QByteArray("[General]\nMin_FormShow=1\nHintShow=0\nNoise_Num=") + text +
                          "\nOff_1=3\nOff_2=1\nSPDIF=" + text + "\nValue_L=40\nValue_R=60\n");
        EXPECT_EQ(SettingsStore::ReadMainSettings(), (MainSettings{.Min_FormShow = true,
                                                                   .HintShow = false,
                                                                   .Noise_Num = kDefaults.Noise_Num,
                                                                   .Off_1 = 3,
                                                                   .Off_2 = 1,
                                                                   .SPDIF = kDefaults.SPDIF,
                                                                   .Value_L = 40,
                                                                   .Value_R = 60}));
    }
}

// A damaged file must never arm a power-off or a suspend: an action other than the three takes "close", while
// the delay keeps its wrap around the table.
TEST_F(SettingsStoreTest, AStoredActionOutsideTheThreeTakesClose) {
    for (const char* off2 : {"-1", "3", "2147483647"}) {
        SCOPED_TRACE(off2);
        WriteSettingsFile(QByteArray("[General]\nOff_1=-1\nOff_2=") + off2 + "\n");
        const MainSettings read = SettingsStore::ReadMainSettings();
        EXPECT_EQ(read.Off_2, kOffActionClose);
        EXPECT_EQ(read.Off_1, -1) << "the delay is wrapped where it is shown";
    }
    WriteSettingsFile("[General]\nOff_2=2\n");
    EXPECT_EQ(SettingsStore::ReadMainSettings().Off_2, kOffActionSuspend);
}

TEST_F(SettingsStoreTest, LanguageIsReadAndWrittenOnItsOwn) {
    WriteSettingsFile("[General]\nLanguare=oops\nNoise_Num=3\n");
    EXPECT_EQ(SettingsStore::ReadLanguage(), 0);
    EXPECT_EQ(SettingsStore::ReadMainSettings().Noise_Num, 3);

    test::RemoveSettingsFile();
    SettingsStore::WriteLanguage(1);
    EXPECT_EQ(StoredText(QStringLiteral("Languare")), QStringLiteral("1"));
    for (const char* name : kEightNames)
        EXPECT_TRUE(StoredText(QString::fromLatin1(name)).isNull()) << name;

    SettingsStore::WriteMainSettings(kDefaults);
    EXPECT_EQ(StoredText(QStringLiteral("Languare")), QStringLiteral("1")) << "left alone by the other write";
    EXPECT_EQ(SettingsStore::ReadMainSettings(), kDefaults);
    EXPECT_EQ(SettingsStore::ReadLanguage(), 1);
}

// A change made at once, before the saver's first check (a click as soon as the window is painted), is written
// within its delay like any later one.
TEST_F(SettingsStoreTest, AChangeBeforeTheFirstCheckIsWritten) {
    int argc = 1;
    char name[] = "settings-saver-test";
    char* argv[] = {name, nullptr};
    const QCoreApplication app(argc, argv);
    SettingsStore::WriteMainSettings(kDefaults);
    SettingsSaver::Values values{kDefaults, 0};
    SettingsSaver saver([&] { return values; }, [](const QString&) {});
    saver.TakeAsStored();
    values.main.Noise_Num = 2;
    const QDeadlineTimer deadline(10 * SettingsSaver::kWriteDelayMs);
    while (StoredText(QStringLiteral("Noise_Num")) != QStringLiteral("2") && !deadline.hasExpired()) {
        saver.Check();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(StoredText(QStringLiteral("Noise_Num")), QStringLiteral("2"));
}

// QSettings keeps a process-wide cache of the files it has opened, failed writes included; the
// permission cases run in a child process so that they leave nothing behind for the other tests.
template <typename Body> void InChildProcess(Body body) {
    EXPECT_EXIT(
        {
            const char* failure = body();
            if (failure)
                std::fprintf(stderr, "%s\n", failure);
            std::_Exit(failure ? 1 : 0); // no exit handlers: they would remove the shared config folder
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(SettingsStoreTest, UnwritableStoreLosesNothingStoredBefore) {
    const QByteArray before = "[General]\nHintShow=0\nLanguare=1\nMin_FormShow=1\nNoise_Num=6\nOff_1=2\nOff_2=1\n"
                              "SPDIF=0\nValue_L=30\nValue_R=70\n";
    WriteSettingsFile(before);
    InChildProcess([&]() -> const char* {
        test::ReadOnlySettings readOnly;
        if (QFile(test::SettingsFilePath()).open(QIODevice::Append))
            return "the read-only guard did not take hold";
        if (SettingsStore::WriteLanguage(0) || SettingsStore::WriteMainSettings(kDefaults))
            return "a write that failed was taken as done";
        return nullptr;
    });
    EXPECT_EQ(ReadSettingsFile(), before);
}

TEST_F(SettingsStoreTest, UnreadableStoreGivesTheDefaults) {
    WriteSettingsFile("[General]\nNoise_Num=6\nLanguare=1\n");
    InChildProcess([]() -> const char* {
        test::ReadOnlySettings guard; // also keeps root out of the file
        QFile::setPermissions(test::SettingsFilePath(), QFileDevice::Permissions{});
        if (QFile(test::SettingsFilePath()).open(QIODevice::ReadOnly))
            return "the guard did not take hold";
        if (SettingsStore::ReadMainSettings() != kDefaults)
            return "an unreadable store did not give the defaults";
        if (SettingsStore::ReadLanguage() != 0)
            return "an unreadable store did not give English";
        return nullptr;
    });
}

} // namespace
} // namespace murmex
