// A setup on disk: FILE.syx holds the requests that restore the box (see
// protocol/SetupFormat.h) and FILE.json beside it a readable copy of
// everything read (identification, zones numbered 1-4 with channels 1-16,
// every parameter with whether the setup restores it, the automatic stream
// options). The .syx is what a load and a compare read; the copy is for
// people. zmctl backup, restore and diff and the window's "Save setup…",
// "Load setup…" and "Compare with box…" read and write them through here.
//
// The copy's "format" names its version: "zmctl backup 2" counts zones
// from 1; version 1 (zones from 0) is still found in older copies, beside
// .syx files that load as any other.
#pragma once

#include "editors/JsonWriter.h"
#include "editors/ReplacingFileSet.h"
#include "protocol/SetupFormat.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

//! The readable copy's "format" written now.
inline constexpr const char* kSetupFormat = "zmctl backup 2";
//! A setup is a few hundred bytes; a file far larger is none.
inline constexpr size_t kLargestSetup = 1 << 20;

//! The readable copy of what `snapshot` read.
std::string SetupJson(const BoxSnapshot& snapshot);
//! Zone `zone` (wire 0-3) as the copy and zmctl's --json show it: numbered
//! 1-4, channel 1-16; null for no answer.
void WriteZoneJson(CJsonWriter& json, int zone, const std::optional<ZoneBytes>& bytes);
void WriteParameterJson(CJsonWriter& json, int32_t number, const std::optional<int32_t>& value);

//! The copy's path: FILE.syx gives FILE.json, any other FILE gives FILE.json.
std::string SetupJsonPath(const std::string& path);

//! "malformed backup at byte 8: frame without its F7", `kind` naming the
//! file as its reader calls it (zmctl's backups, the window's setups).
std::string SetupFaultText(const SetupFault& fault, std::string_view kind);

//! Reads the setup at `path` into `contents`, or says why not (without the
//! file's name): a regular file only, opened without waiting for anyone (a
//! FIFO or a device is refused), of at most kLargestSetup bytes, holding
//! a setup as ParseSetup() reads it.
std::optional<std::string> ReadSetupFile(const std::string& path, SetupContents& contents);

//! Writes the setup `snapshot` read to `path` and its readable copy
//! beside it, both or neither; false with the file and the reason in
//! `files`.
bool WriteSetupFiles(const std::string& path, const BoxSnapshot& snapshot, CReplacingFileSet& files);
