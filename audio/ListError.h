// The error of a list asked for an item it does not hold, shared by the program's item lists. Plain value;
// thrown on the thread that asked.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace murmex::audio {

class EListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    static EListError OutOfBounds(std::int64_t index) {
        return EListError("List index out of bounds (" + std::to_string(index) + ")");
    }
};

} // namespace murmex::audio
