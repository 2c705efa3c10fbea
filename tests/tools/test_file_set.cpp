// The files of a backup change together: should one of them fail to go in
// place after the other already has, the first one is put back.
#include "FileSet.h"
#include "UsageError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& file)
{
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(FileSet, AFailedRenameBringsTheFilesAlreadyPlacedBack)
{
    const fs::path dir = fs::path(testing::TempDir()) / ("file-set-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (bool oldFirst : {true, false}) {
        SCOPED_TRACE(oldFirst ? "over an old file" : "where there was none");
        fs::remove(dir / "a");
        if (oldFirst)
            std::ofstream(dir / "a") << "old a";
        std::ofstream(dir / "b") << "old b";
        CFileSet files;
        files.Add((dir / "a").string(), "new a");
        files.Add((dir / "b").string(), "new b");
        // The second file's temporary goes away: its rename must fail.
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().rfind(".b.tmp-", 0) == 0)
                fs::remove(entry.path());
        EXPECT_THROW(files.Commit(), CCommandError);
        EXPECT_EQ(fs::exists(dir / "a") ? Read(dir / "a") : "", oldFirst ? "old a" : "");
        EXPECT_EQ(Read(dir / "b"), "old b");
    }
    // Nothing else is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
    fs::remove_all(dir);
}
