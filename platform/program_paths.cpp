#include "platform/program_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "database/file_io.h"

// The build passes the path from its install folders; a build without install rules
// (the fuzz targets) takes the usual layout.
#ifndef VESTRAL_SHIPPED_DATABASE
#define VESTRAL_SHIPPED_DATABASE "../share/vestral/vestral.DAT"
#endif

namespace vestral {

namespace fs = std::filesystem;

const char* const kShippedDatabase = VESTRAL_SHIPPED_DATABASE;
const char* const kBuildDefaultDatabase = "generic-codes.DAT";

namespace {

fs::path executablePath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  if (ec) p = fs::current_path(ec) / "vestral";
  return p;
}

std::string environment(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// The XDG folder when it is set to an absolute path, otherwise `fallback` under home.
fs::path baseFolder(const std::string& xdg, const std::string& home, const char* fallback) {
  if (fs::path(xdg).is_absolute()) return xdg;
  if (fs::path(home).is_absolute()) return fs::path(home) / fallback;
  return {};
}

bool underUsr(const fs::path& p) {
  const fs::path n = p.lexically_normal();
  return *n.begin() == "/" && std::next(n.begin()) != n.end() && *std::next(n.begin()) == "usr";
}

// Makes each missing folder of `folder`, naming the first one that cannot be made.
Status makeFolders(const fs::path& folder) {
  fs::path made;
  for (const fs::path& part : folder) {
    made /= part;
    if (::mkdir(made.c_str(), 0700) == 0 || errno == EEXIST) continue;
    const int err = errno;
    // Appended piece by piece: GCC 12 at -O3 mistakes "literal" + temporary for an overlap.
    std::string what = "cannot create the folder \"";
    what += made.string();
    what += "\": ";
    what += ErrnoText(err);
    return Status::IOError(what);
  }
  if (!fs::is_directory(folder))
    return Status::IOError("\"" + folder.string() + "\" is not a folder");
  return Status::OK();
}

}  // namespace

std::string ProgramFolder() { return executablePath().parent_path().string(); }

std::string ProgramFileName() { return executablePath().filename().string(); }

std::string SiblingPath(const std::string& folder, const std::string& fileName,
                        const std::string& ext) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  return path + fs::path(fileName).stem().string() + ext;
}

ProgramEnvironment CurrentProgramEnvironment() {
  ProgramEnvironment env{executablePath().string(),    environment("HOME"),
                         environment("XDG_DATA_HOME"), environment("XDG_CONFIG_HOME"),
                         environment("LC_ALL"),        environment("LC_MESSAGES"),
                         environment("LANG")};
  if (env.home.empty()) {
    // A service or `env -i` may leave HOME unset; the password database still knows.
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) env.home = pw->pw_dir;
  }
  return env;
}

TextLanguage DesktopLanguage(const ProgramEnvironment& env) {
  for (const std::string* v : {&env.lcAll, &env.lcMessages, &env.lang}) {
    if (v->empty()) continue;
    // A locale name is language[_territory][.codeset][@modifier].
    const bool russian = v->starts_with("ru") &&
                         (v->size() == 2 || std::string("_.@").find((*v)[2]) != std::string::npos);
    return russian ? TextLanguage::Russian : TextLanguage::English;
  }
  return TextLanguage::English;
}

std::string DefaultDatabaseOf(const std::string& englishDefault, TextLanguage language) {
  if (language == TextLanguage::English) return englishDefault;
  const fs::path p(englishDefault);
  return (p.parent_path() / (p.stem().string() + "-ru" + p.extension().string())).string();
}

ProgramFiles ChooseProgramFiles(const ProgramEnvironment& env) {
  const fs::path exe(env.executable);
  const fs::path folder = exe.parent_path();
  const fs::path shipped = (folder / kShippedDatabase).lexically_normal();
  std::error_code ec;
  ProgramFiles files;
  files.language = DesktopLanguage(env);
  if (!fs::is_regular_file(shipped, ec)) {
    files.database = SiblingPath(folder.string(), exe.filename().string(), ".DAT");
    files.ini = SiblingPath(folder.string(), exe.filename().string(), ".ini");
    if (const fs::path built = folder / kBuildDefaultDatabase; fs::is_regular_file(built, ec))
      files.defaultDatabase = built.string();
    return files;
  }
  files.installed = true;
  files.shippedDatabase = shipped.string();
  files.defaultDatabase = files.shippedDatabase;
  const fs::path data = baseFolder(env.dataHome, env.home, ".local/share");
  const fs::path config = baseFolder(env.configHome, env.home, ".config");
  if (data.empty() || config.empty()) {
    files.problem =
        "no folder for the user's files: neither HOME nor XDG_DATA_HOME and "
        "XDG_CONFIG_HOME name an absolute folder";
    return files;
  }
  files.database = (data / "vestral" / "vestral.DAT").string();
  files.ini = (config / "vestral" / "vestral.ini").string();
  // The installed files belong to the system, whoever runs the program.
  if (underUsr(data))
    files.problem = "the user's data folder \"" + data.string() + "\" lies under /usr";
  return files;
}

Status PrepareProgramFiles(const ProgramFiles& files) {
  if (!files.installed) return Status::OK();
  if (!files.problem.empty()) return Status::IOError(files.problem);
  std::error_code ec;
  if (fs::exists(fs::symlink_status(files.database, ec))) return Status::OK();
  const fs::path folder = fs::path(files.database).parent_path();
  if (Status s = makeFolders(folder); !s.ok()) return s;
  std::string bytes;
  const std::string shipped = DefaultDatabaseOf(files.shippedDatabase, files.language);
  if (Status s = ReadWholeFile(shipped, bytes); !s.ok()) return s;
  // The base first: once the database is there no later start makes anything, so a
  // base that failed after it would stay missing.
  for (const std::string& path : {KeptBasePath(files.database), files.database})
    if (Status s = ReplaceFile(path, bytes); !s.ok())
      return Status::IOError("cannot copy the default database into \"" + folder.string() +
                             "\": " + s.ToString());
  return Status::OK();
}

std::string KeptBasePath(const std::string& database) { return CompanionPath(database, ".base"); }

const ProgramFiles& CurrentProgramFiles() {
  static const ProgramFiles files = ChooseProgramFiles(CurrentProgramEnvironment());
  return files;
}

std::string MainDatabasePath() { return CurrentProgramFiles().database; }

std::string IniFilePath() { return CurrentProgramFiles().ini; }

Status PrepareMainDatabase() { return PrepareProgramFiles(CurrentProgramFiles()); }

}  // namespace vestral
