// The D-Bus activation file that lets a client start zm_config: the Linux
// counterpart of the automation class factory's registry entries.
//
//   $XDG_DATA_HOME/dbus-1/services/zm_config.Application.service
//   [D-BUS Service]
//   Name=zm_config.Application
//   Exec=/path/to/zm_config -Automation
//
// A start without automation options refreshes the file: it is written only
// when its content differs, so an unchanged installation is not touched.
// Plain C++; no D-Bus connection is needed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

//! Written: the file now holds the text. Unchanged: it already did.
//! Skipped: something other than a regular file (a directory, FIFO, device,
//! link) lies at the path and was left alone. Failed: it could not be written.
enum class ServiceFileStatus { Written, Unchanged, Skipped, Failed };

//! An activation file is a few lines; more than this is not ours.
inline constexpr size_t kMaxServiceFileBytes = 4096;

//! The user's service directory: `xdgDataHome`/dbus-1/services, or
//! `home`/.local/share/dbus-1/services when XDG_DATA_HOME is unset, empty or
//! relative (as the base directory rules require). Empty when neither gives
//! an absolute path.
std::filesystem::path UserServiceDirectory(const char* xdgDataHome, const char* home);

//! Content of the activation file for `busName`, started as
//! `executable option`. The path is quoted when it holds characters the
//! Exec line would split or interpret. Empty when no Exec line can express
//! the path (a line break or other control character in it).
std::string ServiceFileText(std::string_view busName, std::string_view executable, std::string_view option);

//! Writes `text` to `file` unless the file already holds exactly that,
//! creating missing directories. The new content replaces the old one
//! atomically, so a reader never sees a half-written file. Only a missing
//! or regular file is replaced, and at most kMaxServiceFileBytes of it are
//! read; nothing at the path can block, crash or fill memory. Never throws.
ServiceFileStatus RefreshServiceFile(const std::filesystem::path& file, std::string_view text);
