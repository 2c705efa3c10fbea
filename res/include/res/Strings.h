// The string table and the version block.
#pragma once

#include "zm/Version.h"

#include <string_view>

//! The text of string resource `id`; empty for an unknown id.
std::string_view LoadResString(int id);

//! Version block of the program.
namespace VersionInfo {
inline constexpr std::string_view kFileVersion = ZM_VERSION;
inline constexpr std::string_view kProductVersion = ZM_VERSION;
inline constexpr std::string_view kInternalName = "zm_config";
inline constexpr std::string_view kFileName = "zm_config.EXE";
inline constexpr std::string_view kProductName = "zm_config Application";
} // namespace VersionInfo
