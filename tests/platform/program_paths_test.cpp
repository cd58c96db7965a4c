#include "platform/program_paths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::WriteBytes;

// A copy in <root>/bin, with the shipped database installed beside it or not.
struct Tree {
  testing::TempDir root;
  explicit Tree(bool installed) {
    fs::create_directories(root.file("bin"));
    fs::create_directories(root.file("home"));
    if (!installed) return;
    const fs::path shipped = fs::path(root.file("bin")) / kShippedDatabase;
    fs::create_directories(shipped.parent_path());
    WriteBytes(shipped.lexically_normal().string(), "shipped");
  }
  ProgramEnvironment env(const std::string& dataHome = "", const std::string& configHome = "") {
    return {root.file("bin/dtc"), root.file("home"), dataHome, configHome};
  }
};

TEST(ProgramFiles, ThePortableCopyKeepsItsFilesBesideItAndTheInstalledOneInXdgFolders) {
  struct Case {
    bool installed;
    std::string dataHome, configHome;  // "@" stands for the tree's root
    std::string database, ini, problem;
  } cases[] = {
      {false, "@/xdg", "@/xdg", "@/bin/dtc.DAT", "@/bin/dtc.ini", ""},
      {true, "", "", "@/home/.local/share/vestral/vestral.DAT",
       "@/home/.config/vestral/vestral.ini", ""},
      {true, "@/data", "@/config", "@/data/vestral/vestral.DAT", "@/config/vestral/vestral.ini",
       ""},
      {true, "data", "config", "@/home/.local/share/vestral/vestral.DAT",
       "@/home/.config/vestral/vestral.ini", ""},
      {true, "/usr/share", "", "/usr/share/vestral/vestral.DAT",
       "@/home/.config/vestral/vestral.ini", "lies under /usr"},
  };
  for (const Case& c : cases) {
    Tree tree(c.installed);
    auto at = [&](std::string s) {
      return s.starts_with("@") ? tree.root.path() + s.substr(1) : s;
    };
    const ProgramFiles files = ChooseProgramFiles(tree.env(at(c.dataHome), at(c.configHome)));
    SCOPED_TRACE(c.database);
    EXPECT_EQ(files.installed, c.installed);
    EXPECT_EQ(files.database, at(c.database));
    EXPECT_EQ(files.ini, at(c.ini));
    if (c.problem.empty())
      EXPECT_EQ(files.problem, "");
    else
      EXPECT_THAT(PrepareProgramFiles(files).message(), HasSubstr(c.problem));
  }
}

TEST(ProgramFiles, ANewUserStartsFromTheShippedDatabaseAndKeepsTheirOwnAfterwards) {
  Tree portable(false);
  EXPECT_TRUE(PrepareProgramFiles(ChooseProgramFiles(portable.env())).ok());
  EXPECT_FALSE(fs::exists(portable.root.file("bin/dtc.DAT")));

  Tree tree(true);
  const ProgramFiles files = ChooseProgramFiles(tree.env());
  ASSERT_TRUE(PrepareProgramFiles(files).ok());
  EXPECT_EQ(ReadBytes(files.database), "shipped");
  struct stat st {};
  ASSERT_EQ(::stat(tree.root.file("home/.local").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  WriteBytes(files.database, "mine");
  EXPECT_TRUE(PrepareProgramFiles(files).ok());
  EXPECT_EQ(ReadBytes(files.database), "mine");
}

TEST(ProgramFiles, AReadOnlyHomeGivesAnErrorNamingTheFolder) {
  Tree tree(true);
  testing::ReadOnlyFile home(tree.root.file("home"), /*folder=*/true);
  if (!home.ok()) GTEST_SKIP() << "cannot close a folder to new files here";
  const Status s = PrepareProgramFiles(ChooseProgramFiles(tree.env()));
  EXPECT_THAT(s.message(),
              HasSubstr("cannot create the folder \"" + tree.root.file("home/.local")));
  EXPECT_FALSE(fs::exists(tree.root.file("home/.local")));
}

}  // namespace
}  // namespace vestral
