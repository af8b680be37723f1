#include "tests/unit/app/TestConfigHome.h"

#include "app/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef __linux__
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace murmex::test {
namespace {

QTemporaryDir& Home() {
    static QTemporaryDir dir;
    return dir;
}

QTemporaryDir& SystemDir() {
    static QTemporaryDir dir;
    return dir;
}

QString SettingsFolder() {
    return ConfigHome() + QStringLiteral("/") + QString::fromLatin1(SettingsStore::kOrganisation);
}

#ifdef __linux__
// Root ignores file modes; without these effective capabilities it obeys them like any user.
constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

bool SetOverrides(bool enabled) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective =
        enabled ? (data[0].effective | (data[0].permitted & kOverrides)) : (data[0].effective & ~kOverrides);
    return syscall(SYS_capset, &header, data) == 0;
}
#endif

} // namespace

QString ConfigHome() {
    return Home().path();
}

QString SystemConfigDir() {
    return SystemDir().path();
}

QString SettingsFilePath() {
    return SettingsFolder() + QStringLiteral("/") + QString::fromLatin1(SettingsStore::kApplication) +
           QStringLiteral(".conf");
}

void RemoveSettingsFile() {
    QFile::remove(SettingsFilePath());
}

void WriteSettingsFile(const QByteArray& text) {
    QDir().mkpath(SettingsFolder());
    QFile file(SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.flush();
    // QSettings keeps the files it has read and reads one again only when its size or time has changed: two
    // files of one size written within a tick of the file system's clock would look unchanged to it. Each
    // file written here gets a time of its own.
    static int written = 0;
    file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(++written), QFileDevice::FileModificationTime);
}

QByteArray ReadSettingsFile() {
    QFile file(SettingsFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString StoredText(const QString& key) {
    const QSettings file(SettingsFilePath(), QSettings::IniFormat);
    return file.contains(key) ? file.value(key).toString() : QString();
}

ReadOnlySettings::ReadOnlySettings() {
    QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(SettingsFolder(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
#ifdef __linux__
    if (geteuid() == 0)
        m_capsDropped = SetOverrides(false);
#endif
}

ReadOnlySettings::~ReadOnlySettings() {
#ifdef __linux__
    if (m_capsDropped)
        SetOverrides(true);
#endif
    QFile::setPermissions(SettingsFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace murmex::test

int main(int argc, char** argv) {
    // Must precede the first use of QSettings, which fixes the per-user folder for the process.
    setenv("XDG_CONFIG_HOME", murmex::test::ConfigHome().toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_DIRS", murmex::test::SystemConfigDir().toLocal8Bit().constData(), 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
