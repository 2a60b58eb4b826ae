// A first installation from the diskette, as a person runs it.
#include <gtest/gtest.h>

#include "harness.h"
#include "resource.h"

namespace {

using namespace e2e;

TEST(FreshInstall, FromDisketteShowsSettingsCopiesRegistersAndAsksForRestart)
{
    ResetInstalledState();
    PrepareDiskette("driver image v1");

    SetupProcess setup;
    ASSERT_TRUE(setup.Start("A:\\setupb.exe", "", "A:\\"));
    HWND settings = WaitForDialogWithControl(setup.Id(), IDB_SET_SETUP);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(WindowText(settings), "VELNARI Device Driver Setup");
    EXPECT_EQ(ControlText(settings, IDE_SET_PORT), "300");
    EXPECT_EQ(ControlText(settings, IDE_SET_BUFFER), "20");

    PressKey(settings, VK_RETURN);  // Enter presses the default button, Setup

    HWND notice = WaitForMessageBox(setup.Id());
    ASSERT_NE(notice, nullptr);
    const MessageBoxContent content = ReadMessageBox(notice);
    EXPECT_EQ(content.title, "VELNARI Device Driver Setup");
    EXPECT_EQ(content.text, "The changes you have made will not take effedt until the computer is restarted.");
    EXPECT_EQ(content.icon, IconKind::Information);
    PressKey(notice, VK_RETURN);

    DWORD exitCode = 0xFFFF;
    ASSERT_TRUE(setup.WaitForExit(&exitCode));
    EXPECT_EQ(exitCode, 0u);

    std::string copied;
    ASSERT_TRUE(ReadFileBytes(DriversDir() + "\\vlncdrvr.sys", &copied));
    EXPECT_EQ(copied, "driver image v1");
    std::string original;
    std::string installed;
    ASSERT_TRUE(ReadFileBytes(BuiltSetupPath(), &original));
    ASSERT_TRUE(ReadFileBytes(SystemDir() + "\\setupb.exe", &installed));
    EXPECT_EQ(installed, original);

    DWORD value = 0;
    ASSERT_TRUE(ReadDword(kParametersKey, "IOPortAddress", &value));
    EXPECT_EQ(value, 0x300u);
    ASSERT_TRUE(ReadDword(kParametersKey, "BufferSize", &value));
    EXPECT_EQ(value, 20u);
    ASSERT_TRUE(ReadDword(kParametersKey, "DMAChannel", &value));
    EXPECT_EQ(value, 5u);
    ASSERT_TRUE(ReadDword(kParametersKey, "IRQChannel", &value));
    EXPECT_EQ(value, 10u);
}

}  // namespace
