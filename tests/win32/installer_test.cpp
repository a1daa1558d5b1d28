// vorthane-setup.exe run silently, as winget runs it, then its uninstaller: what they put into
// System32, the registry and Apps, and that removal leaves nothing of theirs behind.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "tests/win32/saver_process.hpp"

namespace win32test {
namespace {

using std::chrono::seconds;

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vorthane";
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

std::optional<std::wstring> RegText(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t value[512];
  DWORD size = sizeof value;
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

void SetRegText(HKEY root, const wchar_t* key, const wchar_t* name,
                const std::optional<std::wstring>& value) {
  if (!value) {
    RegDeleteKeyValueW(root, key, name);
    return;
  }
  RegSetKeyValueW(root, key, name, REG_SZ, value->c_str(),
                  static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring SystemFolder() {
  wchar_t dir[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  return dir;
}

std::wstring ProgramFolder() {
  wchar_t dir[MAX_PATH];
  GetEnvironmentVariableW(L"ProgramW6432", dir, MAX_PATH);
  return std::wstring(dir) + L"\\Vorthane";
}

// Runs a program to its end (an installer's own work ends with it).
std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& arguments) {
  SaverProcess process(program, arguments);
  return process.WaitExit(seconds(60));
}

struct UninstallCase {
  const char* name;
  const wchar_t* chosenSinceInstall;  // the user's screen saver before the uninstall, if changed
};

class Installer : public ::testing::TestWithParam<UninstallCase> {};

TEST_P(Installer, InstallsSilentlyAndUninstallsToNothing) {
  const std::wstring scr = SystemFolder() + L"\\vorthane.scr";
  const std::wstring uninstaller = ProgramFolder() + L"\\uninstall.exe";
  const std::wstring licence = ProgramFolder() + L"\\LinLibertine-licence.txt";
  const std::optional<std::wstring> activeBefore =
      RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive");
  ASSERT_FALSE(Exists(scr)) << "installed before the test";

  ASSERT_EQ(RunToEnd(WindowsPath(VORTHANE_SETUP), L"/S"), std::optional<DWORD>(0));
  EXPECT_TRUE(Exists(scr));
  EXPECT_TRUE(Exists(licence));
  EXPECT_TRUE(Exists(uninstaller));
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE"),
            L"C:\\windows\\System32\\vorthane.scr");
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive"), L"1");
  const struct {
    const wchar_t* name;
    std::wstring value;
  } entry[] = {{L"DisplayName", L"Vorthane Screen Saver"},
               {L"DisplayVersion", L"1.00"},
               {L"Publisher", L"Vorthane Software"},
               {L"DisplayIcon", L"C:\\windows\\System32\\vorthane.scr,0"},
               {L"QuietUninstallString", L"\"" + uninstaller + L"\" /S"}};
  for (const auto& value : entry) {
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, value.name), value.value) << value.name;
  }
  DWORD kb = 0;
  DWORD size = sizeof kb;
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize",
                         RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &kb, &size),
            ERROR_SUCCESS);
  EXPECT_GT(kb, 100u);

  {  // The installed copy runs full-screen from System32.
    SaverProcess installed(scr, L"/s");
    const HWND window = installed.WaitForWindow();
    ASSERT_NE(window, nullptr) << installed.Stderr();
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(installed.WaitExit(seconds(5)), std::optional<DWORD>(0));
  }

  const std::optional<std::wstring> chosen =
      GetParam().chosenSinceInstall == nullptr
          ? std::nullopt
          : std::optional<std::wstring>(GetParam().chosenSinceInstall);
  if (chosen) SetRegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE", chosen);
  ASSERT_EQ(RunToEnd(uninstaller, L"/S"), std::optional<DWORD>(0));
  // The uninstaller runs on from a copy of itself: its work is done once its key is gone.
  PumpUntil([] { return !RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"); },
            seconds(30));
  PumpUntil([&] { return !Exists(uninstaller) && !Exists(ProgramFolder()); }, seconds(10));
  EXPECT_FALSE(Exists(scr));
  EXPECT_FALSE(Exists(licence));
  EXPECT_FALSE(Exists(uninstaller));
  EXPECT_FALSE(Exists(ProgramFolder()));
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"));
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE"), chosen);
  if (!chosen) {
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive"), activeBefore);
  }
  SetRegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE", std::nullopt);
  SetRegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive", activeBefore);
}

INSTANTIATE_TEST_SUITE_P(Table, Installer,
                         ::testing::Values(UninstallCase{"StillTheActiveSaver", nullptr},
                                           UninstallCase{"AnotherSaverChosenSince",
                                                         L"C:\\windows\\System32\\other.scr"}),
                         [](const ::testing::TestParamInfo<UninstallCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace win32test
