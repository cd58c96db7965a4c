#include "platform/program_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;

// A copy installed in <root>/bin beside its shipped database, a portable one in <root>/a/b.
struct Tree {
  testing::TempDir root;
  Tree() {
    const fs::path shipped = (fs::path(root.file("bin")) / kShippedDatabase).lexically_normal();
    for (const fs::path& p :
         {shipped.parent_path(), fs::path(root.file("a/b")), fs::path(root.file("home"))})
      fs::create_directories(p);
    testing::WriteBytes(shipped.string(), "shipped");
  }
  // "@" stands for the root.
  std::string at(const std::string& s) const {
    return s.starts_with("@") ? root.path() + s.substr(1) : s;
  }
  ProgramFiles choose(const std::string& folder, const std::string& home = "@/home",
                      const std::string& data = "", const std::string& config = "") const {
    return ChooseProgramFiles({root.file(folder + "/dtc"), at(home), at(data), at(config)});
  }
};

TEST(ProgramFiles, APortableCopyKeepsItsFilesBesideItAndAnInstalledOneInXdgFolders) {
  const std::string local = "@/home/.local/share/vestral/vestral.DAT";
  const std::string config = "@/home/.config/vestral/vestral.ini";
  const std::string noFolder =
      "no folder for the user's files: neither HOME nor XDG_DATA_HOME and XDG_CONFIG_HOME name "
      "an absolute folder";
  const std::tuple<std::string, std::string, std::string, std::string, std::string, std::string>
      cases[] = {{"a/b", "@/x", "@/x", "@/a/b/dtc.DAT", "@/a/b/dtc.ini", ""},
                 {"bin", "", "", local, config, ""},
                 {"bin", "@/d", "@/c", "@/d/vestral/vestral.DAT", "@/c/vestral/vestral.ini", ""},
                 {"bin", "d", "c", local, config, ""},
                 {"bin", "/usr/share", "", "/usr/share/vestral/vestral.DAT", config,
                  "the user's data folder \"/usr/share\" lies under /usr"}};
  Tree tree;
  for (const auto& [folder, data, config, database, ini, problem] : cases) {
    const ProgramFiles files = tree.choose(folder, "@/home", data, config);
    EXPECT_EQ(files.installed, folder == "bin") << database;
    EXPECT_EQ(files.database, tree.at(database));
    EXPECT_EQ(files.ini, tree.at(ini));
    EXPECT_EQ(files.problem, problem);
    EXPECT_EQ(PrepareProgramFiles(files).message(), problem);
  }
  EXPECT_EQ(tree.choose("bin", "home", "@/d").problem, noFolder);
  EXPECT_EQ(PrepareProgramFiles(tree.choose("bin", "home", "@/d")).message(), noFolder);
}

TEST(ProgramFiles, ANewUserStartsFromTheShippedDatabaseAndKeepsTheirOwnAfterwards) {
  Tree tree;
  EXPECT_TRUE(PrepareProgramFiles(tree.choose("a/b")).ok());
  EXPECT_FALSE(fs::exists(tree.root.file("a/b/dtc.DAT")));
  const ProgramFiles files = tree.choose("bin");
  {
    testing::ReadOnlyFile home(tree.root.file("home"), /*folder=*/true);
    const std::string refused = PrepareProgramFiles(files).message();
    EXPECT_TRUE(!home.ok() || refused.starts_with("cannot create the folder \"" +
                                                  tree.root.file("home/.local") + "\": "))
        << refused;
  }
  ASSERT_TRUE(PrepareProgramFiles(files).ok());
  EXPECT_EQ(ReadBytes(files.database), "shipped");
  struct stat st {};
  ASSERT_EQ(::stat(tree.root.file("home/.local").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  testing::WriteBytes(files.database, "mine");
  EXPECT_TRUE(PrepareProgramFiles(files).ok());
  EXPECT_EQ(ReadBytes(files.database), "mine");
}

}  // namespace
}  // namespace vestral
