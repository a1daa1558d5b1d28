// vorthane-setup.exe run silently, as winget runs it, then its uninstaller as Apps names it: what
// they put into System32, the registry and Apps, that removal gives back the user's screen saver
// as it was before the first install, and what happens with the program file in use or System32
// read-only.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <memory>
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

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = towlower(c);
  return text;
}

// The version the build gives the setup and its Apps entry (CTest says it in the environment).
std::wstring WideVersion() {
  const char* set = std::getenv("VORTHANE_WIN_VERSION");
  const std::string version = set != nullptr ? set : "(VORTHANE_WIN_VERSION is not set)";
  return std::wstring(version.begin(), version.end());
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

// Runs the uninstaller as Apps and winget do: the command its entry names, to its end.
std::optional<DWORD> RunQuietUninstall() {
  const std::optional<std::wstring> command =
      RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString");
  if (!command || command->size() < 3 || (*command)[0] != L'"') return std::nullopt;
  const std::size_t close = command->find(L'"', 1);
  if (close == std::wstring::npos || close + 2 > command->size()) return std::nullopt;
  return RunToEnd(command->substr(1, close - 1), command->substr(close + 2));
}

// The file operations Windows does at its next start, in order, in lower case: "from>to;" each
// ("from>;" deletes).
std::wstring PendingAtRestart() {
  wchar_t value[4096] = {};
  DWORD size = sizeof value - 2 * sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                   L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring text;
  const wchar_t* at = value;
  for (bool from = true; at < value + size / sizeof(wchar_t); from = !from) {
    std::wstring path = at;
    at += path.size() + 1;
    if (from && path.empty()) break;
    for (wchar_t& c : path) c = towlower(c);
    text += path + (from ? L">" : L";");
  }
  return text;
}

// The Settings dialog's preview area with the installed saver running in it: the program file
// is in use while it runs.
class InstalledPreview {
 public:
  explicit InstalledPreview(const std::wstring& scr) {
    area_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED | WS_VISIBLE, 40, 40, 152, 112,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    saver_ = std::make_unique<SaverProcess>(
        scr, L"/p " + std::to_wstring(static_cast<long long>(reinterpret_cast<LONG_PTR>(area_))));
    running_ =
        PumpUntil([&] { return FindWindowExW(area_, nullptr, nullptr, L"Preview"); }, seconds(10));
  }
  ~InstalledPreview() { End(); }
  bool running() const { return running_; }
  // Closes the dialog: the preview ends with it.
  void End() {
    if (IsWindow(area_)) DestroyWindow(area_);
    if (saver_) saver_->WaitExit(seconds(5));
    saver_.reset();
  }

 private:
  HWND area_ = nullptr;
  std::unique_ptr<SaverProcess> saver_;
  bool running_ = false;
};

struct InstallCase {
  const char* name;
  const wchar_t* saverBefore;   // the user's screen saver before the first install, if any
  const wchar_t* activeBefore;  // whether savers were on then, if set
  int installs;
  // A preview of the installed saver runs through the later install (its file is then
  // replaced at the next restart) and, if so, through the uninstall too.
  bool inUse;
  bool inUseAtUninstall;
  const wchar_t* chosenSinceInstall;  // the user's screen saver before the uninstall, if changed
};

class Installer : public ::testing::TestWithParam<InstallCase> {};

TEST_P(Installer, InstallsSilentlyAndUninstallsToWhatWasBefore) {
  const InstallCase& c = GetParam();
  const std::wstring scr = SystemFolder() + L"\\vorthane.scr";
  const std::wstring uninstaller = ProgramFolder() + L"\\uninstall.exe";
  const std::wstring licence = ProgramFolder() + L"\\LinLibertine-licence.txt";
  const auto text = [](const wchar_t* value) {
    return value == nullptr ? std::nullopt : std::optional<std::wstring>(value);
  };
  const std::optional<std::wstring> prefixSaver =
      RegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE");
  const std::optional<std::wstring> prefixActive =
      RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive");
  SetRegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE", text(c.saverBefore));
  SetRegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive", text(c.activeBefore));
  ASSERT_FALSE(Exists(scr)) << "installed before the test";

  std::unique_ptr<InstalledPreview> preview;
  for (int install = 1; install <= c.installs; ++install) {
    const bool replacedAtRestart = c.inUse && install > 1;
    ASSERT_EQ(RunToEnd(WindowsPath(VORTHANE_SETUP), L"/S"),
              std::optional<DWORD>(replacedAtRestart ? 3010 : 0))
        << "install " << install;
    EXPECT_TRUE(Exists(scr));
    EXPECT_TRUE(Exists(licence));
    EXPECT_TRUE(Exists(uninstaller));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE"),
              L"C:\\windows\\System32\\vorthane.scr");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive"), L"1");
    if (replacedAtRestart) {
      EXPECT_NE(
          PendingAtRestart().find(L"\\??\\" + Lower(scr) + L".new>!\\??\\" + Lower(scr) + L";"),
          std::wstring::npos);
    }
    if (c.inUse && !preview) {  // from the first install on
      preview = std::make_unique<InstalledPreview>(scr);
      ASSERT_TRUE(preview->running());
    }
  }
  const struct {
    const wchar_t* name;
    std::wstring value;
  } entry[] = {{L"DisplayName", L"Vorthane Screen Saver"},
               {L"DisplayVersion", WideVersion()},
               {L"Publisher", L"Vorthane Software"},
               {L"DisplayIcon", L"C:\\windows\\System32\\vorthane.scr,0"},
               {L"QuietUninstallString", L"\"" + uninstaller + L"\" /S _?=" + ProgramFolder()}};
  for (const auto& value : entry) {
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, value.name), value.value) << value.name;
  }
  DWORD kb = 0;
  DWORD size = sizeof kb;
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize",
                         RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &kb, &size),
            ERROR_SUCCESS);
  EXPECT_GT(kb, 100u);

  if (c.inUse && !c.inUseAtUninstall) preview->End();
  if (!c.inUse) {  // The installed copy runs full-screen from System32.
    SaverProcess installed(scr, L"/s");
    const HWND window = installed.WaitForWindow();
    ASSERT_NE(window, nullptr) << installed.Stderr();
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(installed.WaitExit(seconds(5)), std::optional<DWORD>(0));
  }

  const std::optional<std::wstring> chosen = text(c.chosenSinceInstall);
  if (chosen) SetRegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE", chosen);
  // The uninstaller's work is done when it returns, but for its own file and folder: a copy of
  // it removes them once it has ended.
  EXPECT_EQ(RunQuietUninstall(), std::optional<DWORD>(c.inUseAtUninstall ? 3010 : 0));
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"));
  EXPECT_FALSE(Exists(licence));
  EXPECT_EQ(Exists(scr), c.inUseAtUninstall);
  const auto returned = std::chrono::steady_clock::now();
  PumpUntil([&] { return !Exists(uninstaller) && !Exists(ProgramFolder()); }, seconds(10));
  std::printf("uninstaller's own file and folder gone %lld ms after it returned\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - returned)
                                         .count()));
  EXPECT_FALSE(Exists(uninstaller));
  EXPECT_FALSE(Exists(ProgramFolder()));
  if (chosen) {
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE"), chosen);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive"), L"1");
  } else {
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE"), text(c.saverBefore));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive"), text(c.activeBefore));
  }
  if (c.inUse) {
    // At the restart nothing comes back: the new file takes the old one's place and then goes,
    // or it was gone already.
    if (c.inUseAtUninstall) {
      EXPECT_NE(PendingAtRestart().find(L"\\??\\" + Lower(scr) + L">;"), std::wstring::npos)
          << std::string(PendingAtRestart().begin(), PendingAtRestart().end());
    }
    preview->End();
    RunToEnd(L"C:\\windows\\system32\\wineboot.exe", L"-r");
    EXPECT_FALSE(Exists(scr)) << "after the restart";
    EXPECT_FALSE(Exists(scr + L".new")) << "after the restart";
  }
  SetRegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE", prefixSaver);
  SetRegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive", prefixActive);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Installer,
    ::testing::Values(
        InstallCase{"StillTheActiveSaver", nullptr, nullptr, 1, false, false, nullptr},
        InstallCase{"AnotherSaverChosenSince", nullptr, L"1", 1, false, false,
                    L"C:\\windows\\System32\\other.scr"},
        InstallCase{"ACopyElsewhereChosenSince", nullptr, L"0", 1, false, false,
                    L"C:\\Savers\\vorthane.scr"},
        InstallCase{"InstalledTwiceGivesBackTheFirstState", L"C:\\windows\\System32\\other.scr",
                    L"0", 2, false, false, nullptr},
        InstallCase{"InUseReplacedAndRemovedAtRestart", nullptr, L"1", 2, true, true, nullptr},
        InstallCase{"InUseAtTheUpgradeOnlyStaysRemoved", nullptr, L"1", 2, true, false, nullptr}),
    [](const ::testing::TestParamInfo<InstallCase>& info) { return std::string(info.param.name); });

// With System32 read-only (tools/wine/read_only_system.sh): the setup fails, says so by its exit
// status, and leaves nothing behind: no Apps entry, no uninstaller, no screen saver setting.
TEST(SetupWithoutWriteAccess, FailsAndLeavesNothing) {
  const std::wstring scr = SystemFolder() + L"\\vorthane.scr";
  const std::optional<std::wstring> saverBefore =
      RegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE");
  const std::optional<std::wstring> activeBefore =
      RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive");
  const std::optional<DWORD> status = RunToEnd(WindowsPath(VORTHANE_SETUP), L"/S");
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(*status, 2u);
  EXPECT_FALSE(Exists(scr));
  EXPECT_FALSE(Exists(ProgramFolder()));
  EXPECT_FALSE(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"));
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"SCRNSAVE.EXE"), saverBefore);
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kDesktopKey, L"ScreenSaveActive"), activeBefore);
}

}  // namespace
}  // namespace win32test
