// The built vorthane.scr read back as Windows reads it: the version record, the name the
// Settings dialog lists (string 1), the icon, the manifest and the DLLs it imports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/win32/saver_process.hpp"

namespace win32test {
namespace {

std::wstring QueryVersionString(const std::vector<std::uint8_t>& record, const wchar_t* name) {
  struct Translation {
    WORD language;
    WORD codePage;
  }* translations = nullptr;
  UINT size = 0;
  if (VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                     reinterpret_cast<void**>(&translations), &size) == 0 ||
      size < sizeof(Translation)) {
    return L"(no translation)";
  }
  wchar_t path[128];
  swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
           translations[0].codePage, name);
  wchar_t* value = nullptr;
  if (VerQueryValueW(record.data(), path, reinterpret_cast<void**>(&value), &size) == 0) {
    return L"(missing)";
  }
  return value;
}

// The version grows with every commit: 1.00, then the commit's day since 1970 and its minute.
TEST(ProgramFile, VersionRecordSaysTheBuildsVersion) {
  const char* set = std::getenv("VORTHANE_WIN_VERSION");  // CTest says the build's
  ASSERT_NE(set, nullptr) << "VORTHANE_WIN_VERSION is not set";
  const std::string text = set;
  const std::wstring version(text.begin(), text.end());
  unsigned days = 0;
  unsigned minutes = 0;
  ASSERT_EQ(std::sscanf(text.c_str(), "1.00.%u.%u", &days, &minutes), 2) << text;
  EXPECT_GT(days, 19000u);  // a commit of this century
  EXPECT_LT(minutes, 24u * 60u);
  const std::wstring path = SaverPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<std::uint8_t> record(size);
  ASSERT_NE(GetFileVersionInfoW(path.c_str(), 0, size, record.data()), 0);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  ASSERT_NE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize), 0);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, days << 16 | minutes);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, days << 16 | minutes);
  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } strings[] = {{L"FileVersion", version.c_str()},
                 {L"ProductVersion", version.c_str()},
                 {L"CompanyName", L"Vorthane Software"},
                 {L"FileDescription", L"Vorthane Screen Saver"},
                 {L"ProductName", L"Vorthane"},
                 {L"LegalCopyright", L"Copyright (C) Vorthane Software"}};
  for (const auto& string : strings) {
    EXPECT_EQ(QueryVersionString(record, string.name), string.value);
  }
}

class LoadedAsData : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(SaverPath().c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(LoadedAsData, StringOneIsTheNameTheSettingsDialogShows) {
  wchar_t text[64] = {};
  ASSERT_GT(LoadStringW(module_, 1, text, 64), 0);
  EXPECT_STREQ(text, L"Vorthane");
}

// The icon group holds the sizes Explorer shows, and its 32x32 image is the design's icon,
// byte for byte.
TEST_F(LoadedAsData, IconHasExplorersSizesAndTheDesignsOwnImage) {
  const HRSRC group = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
  ASSERT_NE(group, nullptr) << "no icon group 1";
  const auto* directory =
      static_cast<const std::uint8_t*>(LockResource(LoadResource(module_, group)));
  ASSERT_NE(directory, nullptr);
  std::uint16_t count = 0;
  std::memcpy(&count, directory + 4, 2);
  std::ifstream file(std::string(VORTHANE_ASSETS_DIR) + "/icon.ico", std::ios::binary);
  const std::vector<std::uint8_t> ico((std::istreambuf_iterator<char>(file)),
                                      std::istreambuf_iterator<char>());
  ASSERT_GT(ico.size(), 22u);
  std::set<int> sizes;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = directory + 6 + 14 * i;  // GRPICONDIRENTRY
    const int size = entry[0] == 0 ? 256 : entry[0];
    sizes.insert(size);
    std::uint16_t id = 0;
    std::memcpy(&id, entry + 12, 2);
    const HRSRC image = FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
    ASSERT_NE(image, nullptr);
    if (size == 32) {
      const auto* bytes =
          static_cast<const std::uint8_t*>(LockResource(LoadResource(module_, image)));
      const std::vector<std::uint8_t> design(ico.begin() + 22, ico.end());
      EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module_, image)), design);
    }
    const HANDLE icon = LoadImageW(module_, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
    EXPECT_NE(icon, nullptr) << "Windows can load the " << size << " px icon";
    if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));
}

TEST_F(LoadedAsData, ManifestDeclaresPerMonitorDpiAwareness) {
  const HRSRC resource = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(resource, nullptr);
  const auto* data = static_cast<const char*>(LockResource(LoadResource(module_, resource)));
  const std::string manifest(data, SizeofResource(module_, resource));
  EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
  EXPECT_NE(manifest.find("true/pm"), std::string::npos);
}

// The names of the DLLs the file imports, read from its import directory.
std::vector<std::string> ImportedDlls(const std::vector<std::uint8_t>& file) {
  auto u16 = [&](std::size_t at) {
    std::uint16_t v = 0;
    std::memcpy(&v, file.data() + at, 2);
    return v;
  };
  auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, file.data() + at, 4);
    return v;
  };
  const std::size_t pe = u32(0x3C);
  const std::size_t sections = u16(pe + 6);
  const std::size_t optional = pe + 24;
  const std::size_t sectionTable = optional + u16(pe + 20);
  const std::uint32_t importRva = u32(optional + 120);  // PE32+: data directory 1
  auto offsetOf = [&](std::uint32_t rva) -> std::size_t {
    for (std::size_t i = 0; i < sections; ++i) {
      const std::size_t s = sectionTable + i * 40;
      const std::uint32_t va = u32(s + 12);
      const std::uint32_t size = std::max(u32(s + 8), u32(s + 16));
      if (rva >= va && rva < va + size) return rva - va + u32(s + 20);
    }
    return 0;
  };
  std::vector<std::string> names;
  for (std::size_t entry = offsetOf(importRva); entry != 0 && u32(entry + 12) != 0; entry += 20) {
    std::string name(reinterpret_cast<const char*>(file.data() + offsetOf(u32(entry + 12))));
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    names.push_back(name);
  }
  return names;
}

std::uint16_t OptionalHeaderMagic(const std::vector<std::uint8_t>& file) {
  std::uint32_t pe = 0;
  std::memcpy(&pe, file.data() + 0x3C, 4);
  std::uint16_t magic = 0;
  std::memcpy(&magic, file.data() + pe + 24, 2);
  return magic;
}

TEST(ProgramFile, ImportsOnlySystemDlls) {
  std::ifstream in(std::string(VORTHANE_SCR), std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  ASSERT_GT(file.size(), 4096u);
  ASSERT_EQ(OptionalHeaderMagic(file), 0x020Bu) << "a 64-bit program";
  const std::vector<std::string> dlls = ImportedDlls(file);
  const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "MSVCRT.DLL"};
  EXPECT_FALSE(dlls.empty());
  for (const std::string& dll : dlls) EXPECT_TRUE(system.count(dll) == 1) << dll;
}

}  // namespace
}  // namespace win32test
