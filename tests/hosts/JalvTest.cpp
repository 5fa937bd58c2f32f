// SPDX-License-Identifier: GPL-3.0-or-later
// jalv, the LV2 project's own host, opens the built LV2 bundle with its GTK 3 window on an X
// server of the test program's own and a JACK server of its own with the dummy driver: the
// editor must appear embedded in jalv's window at its size and draw its panel. Skipped where
// jalv or jackd is not installed.
#include "XServer.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kEditorWidth = 778;
constexpr int kEditorHeight = 465;

/** A program in its own process group, with output to a file; killed with its children. */
class Background
{
public:
    Background(const std::vector<std::string>& command, const fs::path& log)
    {
        pid = fork();
        if (pid == 0)
        {
            setpgid(0, 0);
            if (!std::freopen(log.c_str(), "w", stdout) || !std::freopen(log.c_str(), "a", stderr))
                _exit(126);
            std::vector<char*> argv;
            for (const std::string& arg : command)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        if (pid > 0) setpgid(pid, pid);
    }
    ~Background()
    {
        if (pid <= 0) return;
        kill(-pid, SIGTERM);
        for (int i = 0; i < 50 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(-pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    bool running() const { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }

private:
    pid_t pid = -1;
};

/** The first window below `parent` of exactly this size, or 0. */
xcb_window_t findWindow(xcb_connection_t* connection, xcb_window_t parent, int width, int height)
{
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, parent), nullptr);
    if (!tree) return 0;
    xcb_window_t found = 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i)
    {
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, children[i]), nullptr);
        if (geometry && geometry->width == width && geometry->height == height) found = children[i];
        std::free(geometry);
        if (!found) found = findWindow(connection, children[i], width, height);
    }
    std::free(tree);
    return found;
}

/** How many different colours a window shows, sampled every fifth pixel. */
size_t colours(xcb_connection_t* connection, xcb_window_t window)
{
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                          kEditorWidth, kEditorHeight, ~0u),
                            nullptr);
    if (!image) return 0;
    std::set<uint32_t> seen;
    const auto* pixels = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image));
    const size_t count = static_cast<size_t>(xcb_get_image_data_length(image)) / 4;
    for (size_t i = 0; i < count; i += 5)
        seen.insert(pixels[i] & 0xFFFFFF);
    std::free(image);
    return seen.size();
}

bool installed(const char* program)
{
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

TEST(Jalv, OpensTheEditorInItsWindow)
{
    if (!installed("jalv.gtk3") || !installed("jackd"))
        GTEST_SKIP() << "jalv.gtk3 or jackd is not installed";
    // Started on first use, it names itself in DISPLAY for jalv and for this test's connection.
    Steinberg::Vst::Tarvik::TestSupport::XServer& server =
        Steinberg::Vst::Tarvik::TestSupport::XServer::shared();
    ASSERT_TRUE(server.running()) << server.error();

    char pattern[] = "/tmp/brask-jalv-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path folder = pattern;
    struct Removal
    {
        fs::path folder;
        ~Removal()
        {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    } removal{folder};
    // The bundle's link to the module is followed: the copy holds the module itself.
    fs::create_directories(folder / "lv2");
    fs::copy(BRASK_LV2_BUNDLE, folder / "lv2" / "Tarvik-Brask.lv2", fs::copy_options::recursive);
    const std::string jackName = "brask-jalv-" + std::to_string(getpid());
    setenv("HOME", folder.c_str(), 1);
    setenv("JACK_DEFAULT_SERVER", jackName.c_str(), 1);
    setenv("LV2_PATH", (folder / "lv2").c_str(), 1);
    {
        Background jack(
            {"jackd", "--no-realtime", "-n", jackName, "-d", "dummy", "-r", "48000", "-p", "1024"},
            folder / "jackd.log");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        Background jalv({"jalv.gtk3", "https://tarvik.audio/plugins/brask"}, folder / "jalv.log");

        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(connection));
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_window_t editor = 0;
        size_t shown = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < end && jalv.running() && shown <= 20)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            editor = findWindow(connection, root, kEditorWidth, kEditorHeight);
            if (editor) shown = colours(connection, editor);
        }
        xcb_disconnect(connection);
        EXPECT_NE(editor, 0u) << "no window of the editor's size in jalv's";
        EXPECT_GT(shown, 20u) << "the editor drew its panel";
        EXPECT_TRUE(jalv.running()) << "jalv ended early";
    }
}

} // namespace
