// Quorel — SPDX-License-Identifier: MIT
#include "settings/SettingsFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <tuple>

#include "settings/EditorDefault.h"
#include "settings/IniStore.h"
#include "settings/OptionBits.h"
#include "support/TempDir.h"

namespace quorel {
namespace {

using test::TempDir;

TEST(SettingsFolderTest, FollowsTheBaseDirectoryRules) {
  const std::tuple<const char*, const char*, const char*> cases[] = {  // XDG_CONFIG_HOME, HOME, the folder
      {"/cfg", "/home/u", "/cfg/Wq"},           {nullptr, "/home/u", "/home/u/.config/Wq"},
      {"", "/home/u", "/home/u/.config/Wq"},    {"relative/cfg", "/home/u", "/home/u/.config/Wq"},
      {"", "", nullptr},
  };
  for (const auto& [xdg, home, expected] : cases) {
    const auto folder = SettingsFolder::FromEnvironment(xdg, home);
    EXPECT_EQ(folder ? folder->Path().string() : "none", expected ? expected : "none") << (xdg ? xdg : "(unset)");
  }
}

// Only temporaries of the window's own files go (the first four); the INI file's and look-alikes stay.
TEST(SettingsFolderTest, RemovesStaleTemporariesOfItsOwnNames) {
  TempDir dir;
  for (const char* name : {".$quorel_s.bmp.a1B2c3", ".$quorel_i.bmp.XXXXXX", ".$image.bmp.q9q9q9",
                           ".$quorel_view.html.0a0a0a", "$quorel_s.bmp", ".wq.ini.abcdef",
                           ".$quorel_s.bmp.abc", "x.$quorel_s.bmp.abcdef"}) {
    std::ofstream(dir / name) << "x";
  }
  EXPECT_EQ(SettingsFolder(dir.path()).RemoveStaleTemporaries(), 4);
  EXPECT_TRUE(std::filesystem::exists(dir / ".wq.ini.abcdef"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
}

void MakeProgram(const std::filesystem::path& path, bool executable) {
  std::ofstream(path) << "#!/bin/sh\n";
  ::chmod(path.c_str(), executable ? 0755 : 0644);
}

TEST(EditorDefaultTest, TakesTheFirstListedPaintProgramOnThePath) {
  TempDir dir;
  std::filesystem::create_directories(dir / "a");
  std::filesystem::create_directories(dir / "b");
  MakeProgram(dir / "a" / "gimp", true);
  MakeProgram(dir / "a" / "kolourpaint", false);  // not executable: not a candidate
  MakeProgram(dir / "b" / "pinta", true);
  const std::string path = (dir / "a").string() + ":" + (dir / "b").string();
  EXPECT_EQ(DefaultEditorPath(path), (dir / "b" / "pinta").string());
  EXPECT_EQ(DefaultEditorPath((dir / "a").string()), (dir / "a" / "gimp").string());
  EXPECT_EQ(DefaultEditorPath(""), "");
  EXPECT_EQ(DefaultEditorPath("relative:" + (dir / "none").string()), "");
}

TEST(EditorDefaultTest, FirstRunWritesTheEditorOnce) {
  TempDir dir;
  const IniStore store(dir / "wq.ini");
  EXPECT_EQ(ApplyFirstRunDefaults(store, kDefaultOptionBits, "/usr/bin/pinta"), 15);
  EXPECT_EQ(store.ReadString("Option", "GraphicEditor"), "/usr/bin/pinta");
  // Bit 0 set: a stored editor is left alone.
  EXPECT_EQ(ApplyFirstRunDefaults(store, 1, "/usr/bin/gimp"), 1);
  EXPECT_EQ(store.ReadString("Option", "GraphicEditor"), "/usr/bin/pinta");
  // The bits reach the file only when the caller writes them.
  EXPECT_EQ(ReadOptionBits(store), kDefaultOptionBits);
}

}  // namespace
}  // namespace quorel
