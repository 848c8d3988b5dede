#include "platform/x11/application_id.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

namespace keyweave::x11 {
namespace {

TEST(ApplicationIdFor, TheSettingsHomeHasTheFixedIdAndEveryOtherFolderOneOfItsOwn) {
    const char* home = "/home/ada/.config/keyweave";
    EXPECT_EQ(ApplicationIdFor("/home/ada/.config/keyweave/", home), "org.keyweave.Keyweave");
    const std::string first = ApplicationIdFor("/work/first", home);
    const std::string second = ApplicationIdFor("/work/second", home);
    EXPECT_NE(first, second);
    EXPECT_EQ(ApplicationIdFor("/work/second/../first", home), first);
    for (const std::string& id : {first, second}) {
        EXPECT_EQ(id.rfind("org.keyweave.Keyweave.F", 0), 0u) << id;
        EXPECT_EQ(id.size(), std::string("org.keyweave.Keyweave.F").size() + 16) << id;
        EXPECT_TRUE(g_application_id_is_valid(id.c_str())) << id;
    }
}

} // namespace
} // namespace keyweave::x11
