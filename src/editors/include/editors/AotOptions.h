// The eight options of the box's automatic-stream byte (parameter 30,
// ZmFunc_AotBooleans): one bit per option button of the Automatic Stream
// Controls dialog. zm_config's dialog and zmctl aot use the same table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct AotOption {
    int bit;                  //!< 0-7; the mask is 1 << bit
    int id;                   //!< the option button of template 133
    std::string_view caption; //!< as the button shows it
    std::string_view key;     //!< short name for the command line
};

//! In bit order (0-7). The dialog shows them top to bottom in the order
//! 1048-1051, 1056, 1052-1054: bit 7's button stands under bit 3's.
extern const std::array<AotOption, 8> kAotOptions;

//! The option with command-line name `key` (case-insensitive), or nullptr.
const AotOption* FindAotOption(std::string_view key);
