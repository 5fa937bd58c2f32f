// SPDX-License-Identifier: GPL-3.0-or-later
// A folder of its own for each test, named after the test and the process so that test programs
// running side by side never share one, and removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace TestSupport {

class ScratchFolder
{
public:
    /** An empty folder "<prefix>-<test>-<process id>" in the temporary folder. */
    explicit ScratchFolder(const std::string& prefix)
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               (prefix + "-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path path;
};

} // namespace TestSupport
