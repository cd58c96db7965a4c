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

// A copy installed in <root>/bin beside its shipped database, a portable one in <root>/a/b;
// "@" stands for the root. A new user of the installed copy starts from the shipped
// database in a folder of mode 0700, and keeps their own afterwards.
TEST(ProgramFiles, APortableCopyKeepsItsFilesBesideItAndAnInstalledOneInXdgFolders) {
  testing::TempDir root;
  const auto at = [&](const std::string& s) {
    return s.starts_with("@") ? root.path() + s.substr(1) : s;
  };
  const fs::path shipped = (fs::path(root.file("bin")) / kShippedDatabase).lexically_normal();
  for (const fs::path& p : {shipped.parent_path(), fs::path(at("@/a/b")), fs::path(at("@/h"))})
    fs::create_directories(p);
  testing::WriteBytes(shipped.string(), "shipped");
  testing::WriteBytes(DefaultDatabaseOf(shipped.string(), TextLanguage::Russian), "russian");
  const auto choose = [&](const std::string& folder, const std::string& home,
                          const std::string& data, const std::string& config,
                          const std::string& lang = "") {
    return ChooseProgramFiles(
        {root.file(folder + "/dtc"), at(home), at(data), at(config), "", "", lang});
  };
  const std::string local = "@/h/.local/share/vestral/vestral.DAT";
  const std::string configIni = "@/h/.config/vestral/vestral.ini";
  const std::string cases[][7] = {
      {"a/b", "@/h", "@/x", "@/x", "@/a/b/dtc.DAT", "@/a/b/dtc.ini", ""},
      {"bin", "@/h", "", "", local, configIni, ""},
      {"bin", "@/h", "@/d", "@/c", "@/d/vestral/vestral.DAT", "@/c/vestral/vestral.ini", ""},
      {"bin", "@/h", "d", "c", local, configIni, ""},
      {"bin", "@/h", "/usr/share", "", "/usr/share/vestral/vestral.DAT", configIni,
       "the user's data folder \"/usr/share\" lies under /usr"},
      {"bin", "h", "@/d", "", "", "",
       "no folder for the user's files: neither HOME nor XDG_DATA_HOME and XDG_CONFIG_HOME name "
       "an absolute folder"}};
  for (const auto& [folder, home, data, config, database, ini, problem] : cases) {
    const ProgramFiles files = choose(folder, home, data, config);
    EXPECT_EQ(files.installed, folder == "bin") << database;
    EXPECT_EQ(files.database, at(database));
    EXPECT_EQ(files.ini, at(ini));
    EXPECT_EQ(files.problem, problem);
    EXPECT_EQ(files.defaultDatabase, files.installed ? shipped.string() : "");
    EXPECT_EQ(problem.empty() ? "" : PrepareProgramFiles(files).message(), problem);
  }

  EXPECT_TRUE(PrepareProgramFiles(choose("a/b", "@/h", "", "")).ok());
  EXPECT_FALSE(fs::exists(at("@/a/b/dtc.DAT")));
  testing::WriteBytes(at("@/a/b/generic-codes.DAT"), "built");  // a build folder's default
  EXPECT_EQ(choose("a/b", "@/h", "", "").defaultDatabase, at("@/a/b/generic-codes.DAT"));
  const ProgramFiles files = choose("bin", "@/h", "", "");
  {
    testing::ReadOnlyFile home(at("@/h"), /*folder=*/true);
    const std::string refused = PrepareProgramFiles(files).message();
    EXPECT_TRUE(!home.ok() || refused.starts_with("cannot create the folder \"" + at("@/h/.local")))
        << refused;
  }
  ASSERT_TRUE(PrepareProgramFiles(files).ok());
  EXPECT_EQ(ReadBytes(files.database), "shipped");
  EXPECT_EQ(ReadBytes(KeptBasePath(files.database)), "shipped");
  EXPECT_EQ(KeptBasePath(files.database), files.database + ".base");
  struct stat st {};
  ASSERT_EQ(::stat(at("@/h/.local").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  testing::WriteBytes(files.database, "mine");
  EXPECT_TRUE(PrepareProgramFiles(files).ok());
  EXPECT_EQ(ReadBytes(files.database), "mine");
  EXPECT_EQ(SiblingPath("/", "dtc.exe", ".ini"), "/dtc.ini");
  // A Russian desktop starts from the Russian-first default.
  const ProgramFiles russian = choose("bin", "@/r", "", "", "ru_RU.UTF-8");
  ASSERT_TRUE(PrepareProgramFiles(russian).ok());
  EXPECT_EQ(ReadBytes(russian.database) + ReadBytes(KeptBasePath(russian.database)),
            "russianrussian");
}

// The first of LC_ALL, LC_MESSAGES and LANG that is set decides, as POSIX orders them.
TEST(ProgramFiles, TheUsersLanguageComesFromTheFirstLocaleVariableSet) {
  const struct {
    const char *lcAll, *lcMessages, *lang;
    TextLanguage language;
  } cases[] = {
      {"", "", "ru_RU.UTF-8", TextLanguage::Russian},
      {"", "", "ru", TextLanguage::Russian},
      {"", "ru_UA@latin", "", TextLanguage::Russian},
      {"", "", "", TextLanguage::English},
      {"C", "", "ru_RU.UTF-8", TextLanguage::English},
      {"", "en_US.UTF-8", "ru_RU.UTF-8", TextLanguage::English},
      {"ru_RU.KOI8-R", "en_GB", "", TextLanguage::Russian},
      {"", "", "rue_UA", TextLanguage::English},  // Rusyn
  };
  for (const auto& [lcAll, lcMessages, lang, language] : cases)
    EXPECT_EQ(DesktopLanguage({"", "", "", "", lcAll, lcMessages, lang}), language)
        << lcAll << "|" << lcMessages << "|" << lang;
  EXPECT_EQ(DefaultDatabaseOf("/usr/share/vestral/vestral.DAT", TextLanguage::Russian),
            "/usr/share/vestral/vestral-ru.DAT");
  EXPECT_EQ(DefaultDatabaseOf("b/generic-codes.DAT", TextLanguage::English), "b/generic-codes.DAT");
}

}  // namespace
}  // namespace vestral
