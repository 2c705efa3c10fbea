// zmctl's side of a backup: the setup files of editors/SetupFile.h, read
// as zmctl reads any input (a FIFO waits for its writer, and Ctrl-C ends
// the wait), with a malformed file as a usage error.
#pragma once

#include "editors/SetupFile.h"

#include <cstdint>
#include <string>
#include <vector>

//! Reads a backup's requests; throws CUsageError ("malformed backup")
//! naming the file and the byte offset of the first frame or value that
//! is not one a restore sends.
SetupContents ParseBackup(const std::vector<uint8_t>& bytes, const std::string& name);
SetupContents ReadBackupFile(const std::string& path);
