#include "platform/program_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "database/database_view.h"
#include "support/entries.h"
#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;

std::string databaseBytes(const std::string& name) {
  DtcDatabase db = EmptyDatabase();
  db.P.Name = name;
  return testing::Bytes(db);
}

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
  const std::string shippedBytes = databaseBytes("shipped");
  testing::WriteBytes(shipped.string(), shippedBytes);
  testing::WriteBytes(DefaultDatabaseOf(shipped.string(), TextLanguage::Russian),
                      databaseBytes("russian"));
  const auto choose = [&](const std::string& folder, const std::string& home,
                          const std::string& data, const std::string& config,
                          const std::string& lang = "") {
    return ChooseProgramFiles(
        {root.file(folder + "/dtc"), at(home), at(data), at(config), "", "", lang});
  };
  const std::string local = "@/h/.local/share/vestral/vestral.DAT",
                    configIni = "@/h/.config/vestral/vestral.ini";
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
    EXPECT_EQ(problem.empty() ? "" : PrepareProgramFiles(files, CheckDatabaseBytes).message(),
              problem);
  }

  EXPECT_TRUE(PrepareProgramFiles(choose("a/b", "@/h", "", ""), CheckDatabaseBytes).ok());
  EXPECT_FALSE(fs::exists(at("@/a/b/dtc.DAT")));
  testing::WriteBytes(at("@/a/b/generic-codes.DAT"), "built");  // a build folder's default
  EXPECT_EQ(choose("a/b", "@/h", "", "").defaultDatabase, at("@/a/b/generic-codes.DAT"));
  const ProgramFiles files = choose("bin", "@/h", "", "");
  {
    testing::ReadOnlyFile home(at("@/h"), /*folder=*/true);
    const std::string refused = PrepareProgramFiles(files, CheckDatabaseBytes).message();
    EXPECT_TRUE(!home.ok() || refused.starts_with("cannot create the folder \"" + at("@/h/.local")))
        << refused;
  }
  ASSERT_TRUE(PrepareProgramFiles(files, CheckDatabaseBytes).ok());
  EXPECT_EQ(ReadBytes(files.database), shippedBytes);
  EXPECT_EQ(ReadBytes(KeptBasePath(files.database)), shippedBytes);
  struct stat st {};
  ASSERT_EQ(::stat(at("@/h/.local").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  testing::WriteBytes(files.database, "mine");
  EXPECT_TRUE(PrepareProgramFiles(files, CheckDatabaseBytes).ok());
  EXPECT_EQ(ReadBytes(files.database), "mine");
  EXPECT_EQ(SiblingPath("/", "dtc.exe", ".ini"), "/dtc.ini");
  // A Russian desktop starts from the Russian-first default.
  const ProgramFiles russian = choose("bin", "@/r", "", "", "ru_RU.UTF-8");
  ASSERT_TRUE(PrepareProgramFiles(russian, CheckDatabaseBytes).ok());
  EXPECT_EQ(ReadBytes(russian.database) + ReadBytes(KeptBasePath(russian.database)),
            databaseBytes("russian") + databaseBytes("russian"));
}

// The first of LC_ALL, LC_MESSAGES and LANG that is set decides, as POSIX orders them.
TEST(ProgramFiles, TheUsersLanguageComesFromTheFirstLocaleVariableSet) {
  const struct {
    const char *lcAll, *lcMessages, *lang;
    TextLanguage language;
  } cases[] = {
      {"", "", "ru_RU.UTF-8", TextLanguage::Russian},
      {"", "ru_UA@latin", "", TextLanguage::Russian},
      {"", "", "", TextLanguage::English},
      {"C", "", "ru_RU.UTF-8", TextLanguage::English},
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

// What a first start finds in the install and in the user's folders, and what it makes
// of it: never a file over another, nothing beyond the user's own folders, a broken
// installation named as such (never taken for a portable copy). "@" is the root.
TEST(ProgramFiles, AFirstStartStaysInTheUsersOwnFoldersAndNeverReplacesAFile) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> put = {};  // files under the root ("": none)
    std::pair<std::string, std::string> link = {};  // a link under the root, and its target
    const char* theirs = "";                        // a folder under the root given to another user
    const char* refused = "";                       // the message's start ("": it works)
    std::string database = "";                      // what the user's database holds afterwards
  };
  const std::string data = "/h/.local/share", db = data + "/vestral/vestral.DAT";
  const std::string shipped = "/share/vestral/vestral.DAT",
                    module = "/bin/" + std::string(kInstalledWindowsModule);
  const std::string ours = databaseBytes("shipped"), mine = databaseBytes("mine");
  const Case cases[] = {
      {.what = "a base kept from an update", .put = {{db + ".base", mine}}, .database = ours},
      {.what = "a link loop",
       .link = {data + "/vestral", "vestral"},
       .refused = "cannot use the folder \"@/h/.local/share/vestral\": Too many levels"},
      {.what = "another user's data folder",
       .theirs = "/h/.local/share",
       .refused = "the folder \"@/h/.local/share\" belongs to another user (uid 12345)"},
      {.what = "a link to another user's folder",
       .link = {data + "/vestral", "@/theirs"},
       .theirs = "/theirs",
       .refused = "the folder \"@/h/.local/share/vestral\" belongs to another user (uid 12345)"},
      {.what = "the vestral folder a link into /usr",
       .link = {data + "/vestral", "/usr/share"},
       .refused = "the folder \"@/h/.local/share/vestral\" leads to \"/usr/share\" under /usr"},
      {.what = "the data folder a link into /usr",
       .link = {data, "/usr"},
       .refused = "the user's data folder \"@/h/.local/share\" lies under /usr (it leads to "
                  "\"/usr\")"},
      {.what = "a damaged default",
       .put = {{shipped, "damaged"}},
       .refused = "the installation is broken: \"@/share/vestral/vestral.DAT\" is not a valid "
                  "database"},
      {.what = "no default, the windows module",
       .put = {{shipped, ""}, {module, "m"}},
       .refused = "the installation is broken: cannot open \"@/share/vestral/vestral.DAT\": No"},
      {.what = "no default, the user's database",
       .put = {{shipped, ""}, {module, "m"}, {db, mine}},
       .database = mine},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempDir root;
    const auto at = [&root](std::string s) {
      if (const size_t i = s.find('@'); i != std::string::npos) s.replace(i, 1, root.path());
      return s;
    };
    const auto put = [&](const std::string& path, const std::string& bytes) {
      const fs::path file = fs::path(root.path() + path).lexically_normal();
      fs::create_directories(file.parent_path());
      fs::remove(file);
      if (!bytes.empty()) testing::WriteBytes(file.string(), bytes);
    };
    put(shipped, ours);
    for (const auto& [path, bytes] : c.put) put(path, bytes);
    fs::create_directories(root.path() + data);
    if (!c.link.first.empty()) {
      fs::remove(root.path() + c.link.first);
      fs::create_symlink(at(c.link.second), root.path() + c.link.first);
    }
    if (*c.theirs) {
      fs::create_directories(root.path() + c.theirs);
      ASSERT_EQ(::chown((root.path() + c.theirs).c_str(), 12345, 12345), 0);
    }
    const std::string base = root.path() + db + ".base", baseBefore = ReadBytes(base);
    const ProgramFiles files =
        ChooseProgramFiles({root.file("bin/vestral"), at("@/h"), "", "", "", "", ""});
    const Status s = PrepareProgramFiles(files, CheckDatabaseBytes);
    EXPECT_TRUE(*c.refused ? s.message().starts_with(at(c.refused)) : s.ok()) << s.message();
    EXPECT_EQ(ReadBytes(root.path() + db), c.database);
    EXPECT_EQ(ReadBytes(base), baseBefore.empty() && c.database == ours ? ours : baseBefore);
  }
  // A copy under /usr without the windows module beside it is an installed one.
  EXPECT_TRUE(ChooseProgramFiles({"/usr/lib/vestral-test/bin/vestral", "/h", "", "", "", "", ""})
                  .installed);
}

}  // namespace
}  // namespace vestral
