// An environment of the tests' own making, for the units that read theirs through an EnvironmentReader.
#pragma once

#include "platform/QtPlatform.h"

#include <map>
#include <string>

namespace murmex::platform {

inline EnvironmentReader Environment(std::map<std::string, QByteArray> values) {
    return [values = std::move(values)](const char* name) {
        const auto it = values.find(name);
        return it == values.end() ? QByteArray() : it->second;
    };
}

} // namespace murmex::platform
