#include "platform/program_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "database/database_view.h"
#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;

std::string databaseBytes(const std::string& name) {
  DtcDatabase db = EmptyDatabase();
  db.P.Name = name;
  std::string bytes;
  EXPECT_TRUE(SerializeDatabase(db, bytes).ok());
  return bytes;
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
  const auto choose = [&](const std::string& folder, const std::string& home,
                          const std::string& data, const std::string& config) {
    return ChooseProgramFiles({root.file(folder + "/dtc"), at(home), at(data), at(config)});
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
  EXPECT_EQ(KeptBasePath(files.database), files.database + ".base");
  struct stat st {};
  ASSERT_EQ(::stat(at("@/h/.local").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  testing::WriteBytes(files.database, "mine");
  EXPECT_TRUE(PrepareProgramFiles(files, CheckDatabaseBytes).ok());
  EXPECT_EQ(ReadBytes(files.database), "mine");
  EXPECT_EQ(SiblingPath("/", "dtc.exe", ".ini"), "/dtc.ini");
}

// What a first start finds in the install and in the user's folders, and what it makes
// of it: never a file over another, nothing beyond the user's own folders, a broken
// installation named as such (never taken for a portable copy).
TEST(ProgramFiles, AFirstStartStaysInTheUsersOwnFoldersAndNeverReplacesAFile) {
  struct Case {
    const char* what;
    std::function<void(const std::string& root)> arrange;
    const char* refused;  // the start of the message, with "@" for the root; "" when it works
    const char* database = "";  // what the user's database holds afterwards ("": none)
  };
  const std::string shipped = databaseBytes("shipped");
  const auto put = [](const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    testing::WriteBytes(path, bytes);
  };
  const std::string data = "/h/.local/share", mine = databaseBytes("mine");
  const Case cases[] = {
      {.what = "a base kept from an update",
       .arrange = [&](const std::string& r) { put(r + data + "/vestral/vestral.DAT.base", mine); },
       .refused = "",
       .database = "shipped"},
      {.what = "a link loop where the vestral folder goes",
       .arrange =
           [&](const std::string& r) {
             fs::create_directories(r + data);
             fs::create_symlink("vestral", r + data + "/vestral");
           },
       .refused = "cannot use the folder \"@/h/.local/share/vestral\": Too many levels of "
                  "symbolic links"},
      {.what = "a data folder of another user",
       .arrange =
           [&](const std::string& r) {
             fs::create_directories(r + data);
             ASSERT_EQ(::chown((r + data).c_str(), 12345, 12345), 0);
           },
       .refused = "the folder \"@/h/.local/share\" belongs to another user (uid 12345)"},
      {.what = "the vestral folder a link to another user's folder",
       .arrange =
           [&](const std::string& r) {
             fs::create_directories(r + data);
             fs::create_directories(r + "/theirs");
             ASSERT_EQ(::chown((r + "/theirs").c_str(), 12345, 12345), 0);
             fs::create_symlink(r + "/theirs", r + data + "/vestral");
           },
       .refused = "the folder \"@/h/.local/share/vestral\" belongs to another user (uid 12345)"},
      {.what = "the vestral folder a link into /usr",
       .arrange =
           [&](const std::string& r) {
             fs::create_directories(r + data);
             fs::create_symlink("/usr/share", r + data + "/vestral");
           },
       .refused = "the folder \"@/h/.local/share/vestral\" leads to \"/usr/share\" under /usr"},
      {.what = "the data folder a link into /usr",
       .arrange =
           [&](const std::string& r) {
             fs::create_directories(r + "/h/.local");
             fs::create_symlink("/usr", r + data);
           },
       .refused = "the user's data folder \"@/h/.local/share\" lies under /usr (it leads to "
                  "\"/usr\")"},
      {.what = "a damaged default",
       .arrange = [&](const std::string& r) { put(r + "/share/vestral/vestral.DAT", "damaged"); },
       .refused = "the installation is broken: \"@/share/vestral/vestral.DAT\" is not a valid "
                  "database"},
      {.what = "no default, but the windows module installed",
       .arrange =
           [&](const std::string& r) {
             fs::remove(r + "/share/vestral/vestral.DAT");
             put((fs::path(r + "/bin") / kInstalledWindowsModule).lexically_normal(), "module");
           },
       .refused = "the installation is broken: cannot open \"@/share/vestral/vestral.DAT\": No "
                  "such file or directory"},
      {.what = "no default, and a database of the user's own",
       .arrange =
           [&](const std::string& r) {
             fs::remove(r + "/share/vestral/vestral.DAT");
             put((fs::path(r + "/bin") / kInstalledWindowsModule).lexically_normal(), "module");
             put(r + data + "/vestral/vestral.DAT", mine);
           },
       .refused = "",
       .database = "mine"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempDir root;
    const std::string r = root.path();
    put((fs::path(r + "/bin") / kShippedDatabase).lexically_normal(), shipped);
    ASSERT_NO_FATAL_FAILURE(c.arrange(r));
    const ProgramFiles files = ChooseProgramFiles({r + "/bin/vestral", r + "/h", "", ""});
    EXPECT_TRUE(files.installed);
    const std::string base = r + data + "/vestral/vestral.DAT.base", baseBefore = ReadBytes(base);
    const Status s = PrepareProgramFiles(files, CheckDatabaseBytes);
    std::string refused = c.refused;
    if (const size_t at = refused.find('@'); at != std::string::npos) refused.replace(at, 1, r);
    EXPECT_TRUE(refused.empty() ? s.ok() : s.message().starts_with(refused)) << s.message();
    const std::string expected = *c.database ? databaseBytes(c.database) : "";
    EXPECT_EQ(ReadBytes(r + data + "/vestral/vestral.DAT"), expected);
    const bool created = expected == shipped;
    EXPECT_EQ(ReadBytes(base), baseBefore.empty() && created ? shipped : baseBefore);
  }
  // A copy under /usr without the windows module beside it is an installed one.
  EXPECT_TRUE(ChooseProgramFiles({"/usr/lib/vestral-test/bin/vestral", "/h", "", ""}).installed);
}

}  // namespace
}  // namespace vestral
