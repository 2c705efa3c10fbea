// Texts the main dialog shows before the box has said anything: the usage
// help of the message window and the fixed contents of the zone lists and
// of the parameter list.
#pragma once

#include <array>
#include <string>
#include <string_view>

//! The eighteen help lines, the empty ones included, in the order they are
//! appended to the message window.
extern const std::array<std::string_view, 18> kHelpLines;

//! Channel list line for channel index 0-15: the channel number 1-16, with
//! one leading blank below 10 so that sorted order is numeric order.
std::string ChannelListText(int index);

//! The number text a velocity list receives for value 0-63 before "off" and
//! "14 Normal" replace their lines: two leading blanks below 10, one above.
std::string VelocityNumberText(int value);

inline constexpr std::string_view kVelocityOffText = "off";
inline constexpr std::string_view kAttackNormalText = "14 Normal";
inline constexpr int kAttackNormalLine = 14;
inline constexpr int kVelocityLineCount = 64;
inline constexpr int kChannelLineCount = 16;

//! Attack velocity curve types and after-touch types; the line index is the
//! value the box stores.
extern const std::array<std::string_view, 8> kCurveTypeNames;
extern const std::array<std::string_view, 8> kAfterTouchNames;

//! Parameter list line for parameter `number`: its name padded with trailing
//! blanks to 18 characters, to 19 for the last three.
std::string ParameterListText(int number);
