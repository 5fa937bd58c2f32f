// SPDX-License-Identifier: GPL-3.0-or-later
// Fontconfig and cairo keep caches for the life of the process; they are released at the end of
// the test run so that LeakSanitizer reports only what the editor itself leaves behind.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace {

class FontCacheRelease : public ::testing::Environment
{
public:
    void TearDown() override
    {
        cairo_debug_reset_static_data();
        FcFini();
    }
};

const auto* const fontCacheRelease = ::testing::AddGlobalTestEnvironment(new FontCacheRelease);

} // namespace
