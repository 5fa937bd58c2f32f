// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's settings file: what it reads from files as users and accidents leave them, what
// it writes, and where it lies.
#include "EditorSettings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class EditorSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 ("brask-settings-" + std::string(test->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        file = folder / "tarvik" / "brask.conf";
    }
    void TearDown() override
    {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder);
    }
    void write(const std::string& text)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    std::string contents() const
    {
        std::ostringstream text;
        text << std::ifstream(file, std::ios::binary).rdbuf();
        return text.str();
    }

    fs::path folder;
    fs::path file;
};

TEST_F(EditorSettings, ReadsAWholePercentageAndNothingElse)
{
    struct Case
    {
        std::string text;
        std::optional<double> zoom;
    };
    const Case cases[] = {
        {"zoom=150\n", 1.5},
        {"  zoom = 175 \r\n", 1.75},
        {"# mine\nother=1\nzoom=200", 2.0},
        {"zoom=125\nzoom=100\n", 1.0},
        {"other=3\n", std::nullopt},
        {"", std::nullopt},
        {"zoom=\n", std::nullopt},
        {"zoom=1.5\n", std::nullopt},
        {"zoom=150%\n", std::nullopt},
        {"zoom=-150\n", std::nullopt},
        {"zoom=99\n", std::nullopt},
        {"zoom=201\n", std::nullopt},
        {"zoom=0150\n", std::nullopt},
        {"zoom=99999999999999999999\n", std::nullopt},
        {"zoom=1\0"
         "50\n"s,
         std::nullopt},
        {"\xff\xfe"
         "z\0o\0o\0m\0=\0"
         "1\0"
         "5\0"
         "0\0"s,
         std::nullopt},
    };
    for (const Case& c : cases)
    {
        write(c.text);
        EXPECT_EQ(readEditorZoom(file), c.zoom) << '"' << c.text << '"';
    }
}

TEST_F(EditorSettings, AFileThatIsNotOneMeansNone)
{
    EXPECT_EQ(readEditorZoom(file), std::nullopt) << "missing";
    EXPECT_EQ(readEditorZoom({}), std::nullopt) << "no path";

    fs::create_directories(file);
    EXPECT_EQ(readEditorZoom(file), std::nullopt) << "a folder";
    fs::remove(file);

    // A FIFO would block the reader for good.
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(readEditorZoom(file), std::nullopt) << "a FIFO";
    fs::remove(file);

    write("zoom=150\n" + std::string(100 * 1024, '#'));
    EXPECT_EQ(readEditorZoom(file), std::nullopt) << "too large";

    write("zoom=150\n");
    fs::permissions(file, fs::perms::none);
    if (getuid() != 0)
    {
        EXPECT_EQ(readEditorZoom(file), std::nullopt) << "unreadable";
    }
}

TEST_F(EditorSettings, WritesTheZoomAndKeepsTheOtherLines)
{
    ASSERT_TRUE(writeEditorZoom(file, 1.5)) << "creates the folder";
    EXPECT_EQ(contents(), "zoom=150\n");

    write("# mine\nzoom=oops\nother=1\n");
    ASSERT_TRUE(writeEditorZoom(file, 1.75));
    EXPECT_EQ(contents(), "# mine\nother=1\nzoom=175\n");
    EXPECT_EQ(readEditorZoom(file), 1.75);

    ASSERT_TRUE(writeEditorZoom(file, 7.0));
    EXPECT_EQ(readEditorZoom(file), 2.0) << "clamped to what the editor draws";
    EXPECT_FALSE(writeEditorZoom(file, std::nan(""))) << "NaN is no zoom";
    EXPECT_EQ(readEditorZoom(file), 2.0);
    EXPECT_FALSE(fs::exists(file.string() + ".partial"));
}

TEST_F(EditorSettings, AnUnwritablePlaceLeavesTheOldFileAndSaysSo)
{
    write("zoom=125\n");
    fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (getuid() != 0)
    {
        EXPECT_FALSE(writeEditorZoom(file, 2.0));
        EXPECT_EQ(readEditorZoom(file), 1.25);
    }
    fs::permissions(file.parent_path(), fs::perms::owner_all, fs::perm_options::add);

    // A regular file where the folder should be.
    std::ofstream(folder / "blocked") << "x";
    EXPECT_FALSE(writeEditorZoom(folder / "blocked" / "brask.conf", 1.5));
    EXPECT_FALSE(writeEditorZoom({}, 1.5));
}

TEST_F(EditorSettings, LiesInTheUsersConfigurationFolder)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    std::string restore = saved ? saved : "";

    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(editorSettingsFile(), fs::path("/somewhere/config/tarvik/brask.conf"));
    // Relative values are to be ignored, as the base directory rules say.
    for (const char* ignored : {"", "relative/config"})
    {
        setenv("XDG_CONFIG_HOME", ignored, 1);
        fs::path fallback = editorSettingsFile();
        EXPECT_EQ(fallback.filename(), "brask.conf");
        EXPECT_EQ(fallback.parent_path().parent_path().filename(), ".config") << ignored;
        EXPECT_TRUE(fallback.is_absolute());
    }

    if (saved)
        setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
