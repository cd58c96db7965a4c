#include "platform/program_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/file_io.h"

// The build passes the path from its install folders; a build without install rules
// (the fuzz targets) takes the usual layout.
#ifndef VESTRAL_SHIPPED_DATABASE
#define VESTRAL_SHIPPED_DATABASE "../share/vestral/vestral.DAT"
#endif
#ifndef VESTRAL_WINDOWS_DIR
#define VESTRAL_WINDOWS_DIR "../lib/vestral"
#endif
#ifndef VESTRAL_WINDOWS_FILE
#define VESTRAL_WINDOWS_FILE "vestral_windows.so"
#endif

namespace vestral {

namespace fs = std::filesystem;

const char* const kShippedDatabase = VESTRAL_SHIPPED_DATABASE;
const char* const kWindowsModule = VESTRAL_WINDOWS_FILE;
const char* const kInstalledWindowsModule = VESTRAL_WINDOWS_DIR "/" VESTRAL_WINDOWS_FILE;
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

// Appended piece by piece: GCC 12 at -O3 mistakes "literal" + temporary for an overlap.
std::string quoted(const fs::path& p) {
  std::string q = "\"";
  q += p.string();
  q += '"';
  return q;
}

bool underUsr(const fs::path& p) {
  const fs::path n = p.lexically_normal();
  return *n.begin() == "/" && std::next(n.begin()) != n.end() && *std::next(n.begin()) == "usr";
}

// Where the path leads: every link of the part that exists resolved, the rest as spelled.
fs::path resolvedPath(const fs::path& p) {
  fs::path existing = p;
  fs::path rest;
  for (;;) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(existing.c_str(), nullptr),
                                                           &std::free);
    if (real) return rest.empty() ? fs::path(real.get()) : (real.get() / rest).lexically_normal();
    if (!existing.has_relative_path()) return p;
    rest = existing.filename() / rest;
    existing = existing.parent_path();
  }
}

// A folder that holds the user's database: the user's own, and never under /usr however
// its links lead. A missing one is fine unless it should have been made by now.
Status checkUserFolder(const fs::path& folder, bool mustExist) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) {
    if (errno == ENOENT && !mustExist) return Status::OK();
    return Status::IOError("cannot use the folder " + quoted(folder) + ": " + ErrnoText(errno));
  }
  if (!S_ISDIR(st.st_mode)) return Status::IOError(quoted(folder) + " is not a folder");
  const fs::path real = resolvedPath(folder);
  if (underUsr(real))
    return Status::IOError("the folder " + quoted(folder) + " leads to " + quoted(real) +
                           " under /usr, which holds the system's files");
  if (st.st_uid != ::geteuid())
    return Status::IOError("the folder " + quoted(folder) + " belongs to another user (uid " +
                           std::to_string(st.st_uid) + "), not to the user running vestral (uid " +
                           std::to_string(::geteuid()) + ")");
  return Status::OK();
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
  return Status::OK();
}

// An installed copy is told by where it lies: the windows module in its installed place
// beside the executable, the shipped default database, or an executable under /usr that
// has no windows module beside it (as a build folder has). A copy whose default is
// missing is a broken installation, never a portable copy writing beside itself.
bool installedLayout(const fs::path& folder) {
  std::error_code ec;
  return fs::exists((folder / kInstalledWindowsModule).lexically_normal(), ec) ||
         fs::exists((folder / kShippedDatabase).lexically_normal(), ec) ||
         (underUsr(resolvedPath(folder)) && !fs::exists(folder / kWindowsModule, ec));
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
  std::error_code ec;
  ProgramFiles files;
  files.language = DesktopLanguage(env);
  if (!installedLayout(folder)) {
    files.database = SiblingPath(folder.string(), exe.filename().string(), ".DAT");
    files.ini = SiblingPath(folder.string(), exe.filename().string(), ".ini");
    if (const fs::path built = folder / kBuildDefaultDatabase; fs::is_regular_file(built, ec))
      files.defaultDatabase = built.string();
    return files;
  }
  files.installed = true;
  files.shippedDatabase = (folder / kShippedDatabase).lexically_normal().string();
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
  if (const fs::path real = resolvedPath(data); underUsr(real))
    files.problem = "the user's data folder " + quoted(data) + " lies under /usr" +
                    (underUsr(data) ? "" : " (it leads to " + quoted(real) + ")");
  return files;
}

Status PrepareProgramFiles(const ProgramFiles& files, ContentCheck checkDefault) {
  if (!files.installed) return Status::OK();
  if (!files.problem.empty()) return Status::IOError(files.problem);
  const fs::path folder = fs::path(files.database).parent_path();
  const fs::path folders[] = {folder.parent_path(), folder};
  for (const fs::path& f : folders)
    if (Status s = checkUserFolder(f, false); !s.ok()) return s;
  struct stat st {};
  // A user who has a database keeps it; one that cannot be looked at is reported when read.
  if (::lstat(files.database.c_str(), &st) == 0 || errno != ENOENT) return Status::OK();
  std::string bytes;
  const std::string shipped = DefaultDatabaseOf(files.shippedDatabase, files.language);
  Status s = ReadWholeFile(shipped, bytes);
  if (s.ok()) s = checkDefault(bytes, shipped);
  if (!s.ok())
    return Status::IOError("the installation is broken: " + s.message() +
                           "; reinstall vestral, or name a database with --db");
  if (s = makeFolders(folder); !s.ok()) return s;
  for (const fs::path& f : folders)
    if (s = checkUserFolder(f, true); !s.ok()) return s;
  // Never over a file: another command starting at the same moment may have made the
  // database and changed it already. The base first: once the database is there no
  // later start makes anything, so a base that failed after it would stay missing.
  for (const std::string& path : {KeptBasePath(files.database), files.database}) {
    bool created = false;
    if (s = CreateNewFile(path, bytes, created); !s.ok())
      return Status::IOError("cannot copy the default database into " + quoted(folder) + ": " +
                             s.ToString());
  }
  return Status::OK();
}

std::string KeptBasePath(const std::string& database) { return CompanionPath(database, ".base"); }

const ProgramFiles& CurrentProgramFiles() {
  static const ProgramFiles files = ChooseProgramFiles(CurrentProgramEnvironment());
  return files;
}

std::string MainDatabasePath() { return CurrentProgramFiles().database; }

std::string IniFilePath() { return CurrentProgramFiles().ini; }

Status PrepareMainDatabase(ContentCheck checkDefault) {
  return PrepareProgramFiles(CurrentProgramFiles(), checkDefault);
}

}  // namespace vestral
