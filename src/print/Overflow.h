#pragma once

namespace dorvane {

// What print does with a field text its box would cut.
enum class Overflow {
    Warn,   // print everything, list the cuts
    Fail,   // list the cuts and print nothing
    Shrink, // print each cut field in the largest font that fits, nothing when one never does
};

} // namespace dorvane
