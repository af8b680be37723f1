#include "app/SettingsStore.h"

#include "app/AutoOff.h"
#include "platform/UserFiles.h"

#include <QSettings>
#include <QString>
#include <QVariant>

#include <limits>
#include <optional>

namespace murmex::SettingsStore {
namespace {

struct Field {
    const char* name;
    bool MainSettings::*flag;
    std::int32_t MainSettings::*number;
    std::int32_t fallback;
};

constexpr Field kReadOrder[] = {
    {"Min_FormShow", &MainSettings::Min_FormShow, nullptr, 0},
    {"HintShow", &MainSettings::HintShow, nullptr, 1},
    {"Noise_Num", nullptr, &MainSettings::Noise_Num, 1},
    {"Off_1", nullptr, &MainSettings::Off_1, 0},
    {"Off_2", nullptr, &MainSettings::Off_2, 0},
    {"SPDIF", &MainSettings::SPDIF, nullptr, 1},
    {"Value_L", nullptr, &MainSettings::Value_L, 0},
    {"Value_R", nullptr, &MainSettings::Value_R, 0},
};

constexpr int kWriteOrder[] = {1, 0, 5, 2, 3, 4, 6, 7}; // positions in kReadOrder

constexpr char kLanguage[] = "Languare";

// The user's own store only: the system-wide and organisation-wide ones that QSettings would also read are
// someone else's.
class UserStore : public QSettings {
public:
    UserStore() : QSettings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)) {
        setFallbacksEnabled(false);
    }
};

QString Key(const char* name) {
    return QString::fromLatin1(name);
}

// A stored value counts only if it is a whole number in the signed 32-bit range; a text store keeps
// it as decimal digits, the registry as a native integer.
std::optional<std::int32_t> StoredInt(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::QString: {
        bool ok = false;
        const qlonglong v = value.toString().trimmed().toLongLong(&ok, 10);
        if (ok && v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
            return static_cast<std::int32_t>(v);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::int32_t FieldValue(const MainSettings& settings, const Field& field) {
    return field.flag ? (settings.*field.flag ? 1 : 0) : settings.*field.number;
}

void SetField(MainSettings& settings, const Field& field, std::int32_t value) {
    if (field.flag)
        settings.*field.flag = value != 0;
    else
        settings.*field.number = value;
}

} // namespace

QString Location() {
    return platform::UserSettingsLocation(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
}

bool Unusable() {
    return platform::NotARegularFile(Location());
}

MainSettings ReadMainSettings() {
    MainSettings settings;
    for (const Field& field : kReadOrder)
        SetField(settings, field, field.fallback);
    if (Unusable())
        return settings;
    const UserStore store;
    for (const Field& field : kReadOrder) {
        if (const std::optional<std::int32_t> value = StoredInt(store.value(Key(field.name))))
            SetField(settings, field, *value);
    }
    if (settings.Off_2 < kOffActionClose || settings.Off_2 > kOffActionSuspend)
        settings.Off_2 = kOffActionClose;
    return settings;
}

std::int32_t ReadLanguage() {
    if (Unusable())
        return 0;
    const UserStore store;
    return StoredInt(store.value(Key(kLanguage))).value_or(0);
}

// The store is written as a whole when it is synced, so a failure leaves every stored value as it was.
bool WriteMainSettings(const MainSettings& settings) {
    if (Unusable())
        return false;
    UserStore store;
    for (int position : kWriteOrder) {
        const Field& field = kReadOrder[position];
        store.setValue(Key(field.name), FieldValue(settings, field));
    }
    store.sync();
    return store.status() == QSettings::NoError;
}

bool WriteLanguage(std::int32_t langNum) {
    if (Unusable())
        return false;
    UserStore store;
    store.setValue(Key(kLanguage), langNum);
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace murmex::SettingsStore
