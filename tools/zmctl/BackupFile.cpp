#include "BackupFile.h"

#include "Escape.h"
#include "InputReader.h"
#include "UsageError.h"

SetupContents ParseBackup(const std::vector<uint8_t>& bytes, const std::string& name)
{
    SetupContents contents;
    if (const std::optional<SetupFault> fault = ParseSetup(bytes, contents))
        throw CUsageError(Escaped(name) + ": " + SetupFaultText(*fault, "backup"));
    return contents;
}

SetupContents ReadBackupFile(const std::string& path)
{
    // Read as decode reads its input, so that a FIFO with no writer yet
    // waits where Ctrl-C ends the wait. "-" is a file of that name here.
    CInputReader input({path == "-" ? "./-" : path}, false);
    std::vector<uint8_t> bytes;
    input.Run([&](const uint8_t* chunk, size_t count) {
        bytes.insert(bytes.end(), chunk, chunk + count);
        if (bytes.size() > kLargestSetup)
            throw CUsageError(Escaped(path) + ": malformed backup: larger than any backup (over 1 MiB)");
    });
    return ParseBackup(bytes, path);
}
