// The editor as a host meets it before any window exists: announced in the flags, its
// rectangle, an open without a display, and editor opcodes on a closed editor.
#include "tests/host/plugin_fixture.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Removes DISPLAY for the scope, as on a machine without X.
class NoDisplay {
public:
    NoDisplay() {
        if (const char* value = std::getenv("DISPLAY")) {
            saved = value;
        }
        unsetenv("DISPLAY");
    }
    ~NoDisplay() {
        if (saved) {
            setenv("DISPLAY", saved->c_str(), 1);
        }
    }
    NoDisplay(const NoDisplay&) = delete;
    NoDisplay& operator=(const NoDisplay&) = delete;

private:
    std::optional<std::string> saved;
};

TEST_F(PluginTest, TheEditorIsAnnouncedWithTheBackgroundsSize) {
    EXPECT_EQ(plugin->record()->flags & ~effFlagsCanReplacing, effFlagsCanMono | effFlagsHasEditor);
    ERect* rect = nullptr;
    EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 140);
    EXPECT_EQ(rect->right, 225);
}

TEST_F(PluginTest, WithoutADisplayTheEditorDoesNotOpenAndStaysQuiet) {
    NoDisplay noDisplay;
    EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, nullptr), 0);
    plugin->setParameter(param::frequency, 0.25f);
    plugin->dispatch(effEditIdle);
    plugin->dispatch(effEditClose);
    plugin->dispatch(effEditClose);
    EXPECT_EQ(plugin->getParameter(param::frequency), 0.25f);
    EXPECT_TRUE(host.requests().empty()) << "a closed editor asks the host for nothing";
}

} // namespace
