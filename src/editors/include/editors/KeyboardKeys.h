// The two keyboard sizes the ZM1 scanner comes in, shared by the parts of the
// keyboard view so that they agree on how many keys there are.
#pragma once

inline constexpr int kSmallKeyboardKeys = 88;
inline constexpr int kLargeKeyboardKeys = 122;
//! Upper bound for every per-key table of the keyboard view.
inline constexpr int kMaxKeyboardKeys = kLargeKeyboardKeys;

//! The key count the view works with for a reported `ScannerKeyCount`: 88 and
//! 122 as given, anything else snapped to the nearer of the two (88 on the tie
//! at 105 and below it). A stray count must neither make the view read past
//! its tables nor draw a keyboard the box cannot have.
constexpr int NormalizedKeyCount(int keyCount)
{
    return keyCount > 105 ? kLargeKeyboardKeys : kSmallKeyboardKeys;
}
