// A backup of the box: a .syx file of the requests that restore it (Set
// parameter frames, then one Set Zone Split Data frame of eight bytes per
// zone, exactly as zm_config's builders make them) and a readable JSON
// beside it. The .syx file is what restore and diff read; the JSON is for
// people and holds also what a restore does not write.
#pragma once

#include "BoxExchanges.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

//! The readable copy's "format" written now.
inline constexpr const char* kBackupFormat = "zmctl backup 2";

//! What a backup's requests set.
struct BackupContents {
    std::vector<std::pair<int32_t, int32_t>> parameters;  //!< in file order
    std::array<std::optional<std::array<uint8_t, 8>>, 4> zones;
    //! The frames as they stand in the file, in order.
    std::vector<std::vector<uint8_t>> frames;
};

//! False for the parameters a restore must not write: those the box only
//! reports (software revision, free EEPROM bytes) and those that trigger
//! an action (clear, restore or dump the EEPROM).
bool RestoresParameter(int32_t number);

//! The restoring requests for what `snapshot` read (all four zones and the
//! parameters that RestoresParameter() allows).
std::vector<uint8_t> BackupFrames(const BoxSnapshot& snapshot);

//! The readable copy: identification, zones (numbered as the window shows
//! them), every parameter read (with whether the backup restores it), the
//! automatic stream options.
std::string BackupJson(const BoxSnapshot& snapshot);

//! Reads a backup's requests; throws CUsageError ("malformed backup")
//! naming the file and the byte offset of the first frame that is not a
//! restoring request as BackupFrames() writes them.
BackupContents ParseBackup(const std::vector<uint8_t>& bytes, const std::string& name);
BackupContents ReadBackupFile(const std::string& path);

//! The JSON's path: FILE.syx gives FILE.json, any other FILE gives FILE.json.
std::string JsonPathFor(const std::string& path);
