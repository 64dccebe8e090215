// SPDX-License-Identifier: GPL-3.0-or-later
// The menu launcher, run from a copy of the installed layout (<prefix>/bin beside
// <prefix>/share/vezodovi/Data) whose "program" only records where and how it was started.
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path &path, const std::string &bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Installation
{
    vz::test::TempDir dir;
    fs::path root = dir.path();
    fs::path prefix = root / "usr";
    fs::path home = root / "home";
    fs::path started = root / "started";

    Installation()
    {
        fs::create_directories(prefix / "bin");
        fs::copy_file(VEZO_LAUNCHER, prefix / "bin/vezodovi-launcher");
        writeFile(prefix / "bin/vezodovi", "#!/bin/sh\npwd > '" + started.string() +
                                               "'\necho \"$*\" >> '" + started.string() +
                                               "'\nexit 7\n");
        fs::permissions(prefix / "bin/vezodovi", fs::perms::owner_all);
        for (const char *name : {"PreFix.CFG", "Master00.cty", "Master01.cty"})
            writeFile(prefix / "share/vezodovi/Data" / name, std::string("shipped ") + name);
        fs::create_directories(home);
    }

    // Runs the launcher with HOME set and XDG_DATA_HOME as given (unset when null); the exit
    // status of the launcher, which is the program's own once it has been started.
    int launch(const char *xdgDataHome = nullptr, const std::string &args = {}) const
    {
        std::string command = "env -u XDG_DATA_HOME HOME='" + home.string() + "' ";
        if (xdgDataHome)
            command += "XDG_DATA_HOME='" + std::string(xdgDataHome) + "' ";
        command += "'" + (prefix / "bin/vezodovi-launcher").string() + "' " + args + " 2>/dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

} // namespace

TEST(Launcher, FirstStartMakesTheDataFolderSeedsItAndStartsTheProgramThere)
{
    Installation inst;
    EXPECT_EQ(inst.launch(nullptr, "-style fusion"), 7);
    const fs::path work = inst.home / ".local/share/vezodovi";
    EXPECT_EQ(readFile(inst.started), work.string() + "\n-style fusion\n");
    for (const char *name : {"PreFix.CFG", "Master00.cty", "Master01.cty"})
        EXPECT_EQ(readFile(work / "Data" / name), std::string("shipped ") + name) << name;
}

TEST(Launcher, DataHomeIsTakenFromXdgDataHomeOnlyWhenItIsAnAbsolutePath)
{
    struct Case
    {
        const char *xdgDataHome; // relative to the test folder when it starts with '/'
        const char *expectedUnderRoot;
    };
    const Case cases[] = {
        {"/xdg", "xdg/vezodovi"},
        {"", "home/.local/share/vezodovi"},
        {"relative/data", "home/.local/share/vezodovi"},
    };
    for (const Case &c : cases) {
        Installation inst;
        const std::string xdg =
            c.xdgDataHome[0] == '/' ? inst.root.string() + c.xdgDataHome : c.xdgDataHome;
        EXPECT_EQ(inst.launch(xdg.c_str()), 7) << c.xdgDataHome;
        const fs::path work = inst.root / c.expectedUnderRoot;
        EXPECT_EQ(readFile(inst.started), work.string() + "\n\n") << c.xdgDataHome;
        EXPECT_TRUE(fs::is_regular_file(work / "Data/PreFix.CFG")) << c.xdgDataHome;
    }
}

TEST(Launcher, FilesTheUserHasAreNeverReplacedWhateverTheirLetterCase)
{
    Installation inst;
    const fs::path data = inst.home / ".local/share/vezodovi/Data";
    writeFile(data / "PREFIX.cfg", "the user's table");
    writeFile(data / "Master01.cty", "the user's master");
    writeFile(data / "JA1ABC.DAT", "a log");

    EXPECT_EQ(inst.launch(), 7);
    EXPECT_EQ(readFile(data / "PREFIX.cfg"), "the user's table");
    EXPECT_FALSE(fs::exists(data / "PreFix.CFG"));
    EXPECT_EQ(readFile(data / "Master01.cty"), "the user's master");
    EXPECT_EQ(readFile(data / "JA1ABC.DAT"), "a log");
    // What the user lacks is added, also on a later start.
    EXPECT_EQ(readFile(data / "Master00.cty"), "shipped Master00.cty");
    fs::remove(data / "Master00.cty");
    EXPECT_EQ(inst.launch(), 7);
    EXPECT_EQ(readFile(data / "Master00.cty"), "shipped Master00.cty");
}

TEST(Launcher, AFolderThatCannotBeMadeStopsBeforeTheProgramStarts)
{
    Installation inst;
    // A file where the data folder should be.
    writeFile(inst.home / ".local/share/vezodovi", "not a folder");
    EXPECT_EQ(inst.launch(), 1);
    EXPECT_FALSE(fs::exists(inst.started));
}
