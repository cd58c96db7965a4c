#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace vestral {

// The folder of the running executable, without a trailing separator unless it
// is the root, and the executable's file name.
std::string ProgramFolder();
std::string ProgramFileName();

// folder + separator (unless folder already ends with one) + the file name
// without its extension + ext. SiblingPath("/opt/v", "dtc", ".DAT") is
// "/opt/v/dtc.DAT".
std::string SiblingPath(const std::string& folder, const std::string& fileName,
                        const std::string& ext);

// The default database an installed copy ships, relative to the executable's folder
// ("../share/vestral/vestral.DAT" for /usr/bin and /usr/share).
extern const char* const kShippedDatabase;

// The windows module: its file name, beside the executable in a build or unpacked
// folder, and where an installed copy has it, relative to the executable's folder
// ("../lib/<arch>/vestral/vestral_windows.so").
extern const char* const kWindowsModule;
extern const char* const kInstalledWindowsModule;

// What decides where the program's files live. The running program reads it from
// /proc and the environment; tests make their own.
struct ProgramEnvironment {
  std::string executable;  // absolute, links resolved
  std::string home;        // $HOME
  std::string dataHome;    // $XDG_DATA_HOME, empty when unset
  std::string configHome;  // $XDG_CONFIG_HOME, empty when unset
  // The locale variables that name the language of messages, empty when unset.
  std::string lcAll, lcMessages, lang;
};
ProgramEnvironment CurrentProgramEnvironment();

// Which of its two languages a default database gives as the description; the other
// is the second text.
enum class TextLanguage { English, Russian };

// The user's language, as POSIX orders the locale variables: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty decides, and a Russian locale ("ru",
// "ru_RU.UTF-8") means Russian. Anything else, or none, means English.
TextLanguage DesktopLanguage(const ProgramEnvironment& env);

// The default database of `language`, named after the English one beside it:
// "vestral.DAT" and "vestral-ru.DAT", "generic-codes.DAT" and "generic-codes-ru.DAT".
std::string DefaultDatabaseOf(const std::string& englishDefault, TextLanguage language);

// An installed copy is one that lies where it was installed: its windows module at
// kInstalledWindowsModule or its default database at kShippedDatabase, or an executable
// under /usr without a windows module beside it; a build or unpacked folder has neither
// there. A copy installed without its default database is still installed (a broken
// installation, which the first start reports). A portable copy keeps its database and
// ini beside the executable, named after it; an installed one keeps vestral.DAT in
// $XDG_DATA_HOME/vestral (~/.local/share/vestral) and vestral.ini in
// $XDG_CONFIG_HOME/vestral (~/.config/vestral). A relative XDG path is ignored, as
// the XDG rules ask.
struct ProgramFiles {
  bool installed = false;
  std::string database;
  std::string ini;
  std::string shippedDatabase;  // installed copies only
  // The default database `update` brings in when given none: the shipped one of an
  // installed copy, the one a build makes beside its program (kBuildDefaultDatabase);
  // empty for an unpacked copy, which has neither.
  std::string defaultDatabase;
  std::string problem;  // why the user's folders cannot be used; empty when they can
  // The user's language: a new user starts from the default database of it.
  TextLanguage language = TextLanguage::English;
};
ProgramFiles ChooseProgramFiles(const ProgramEnvironment& env);

// The default database a build makes beside its program.
extern const char* const kBuildDefaultDatabase;

// The kept base of a database: a copy of the default database it was made from or
// last updated to, which `update` merges against, beside it as "<database>.base".
std::string KeptBasePath(const std::string& database);

// Tells whether bytes read from `path` are what the file should hold: ok, or what is
// wrong with them, naming the file.
using ContentCheck = Status (*)(std::string_view bytes, const std::string& path);

// Readies the user's folders of an installed copy: the data folder and the vestral
// folder in it must be the running user's own and lie outside /usr, judged where their
// links lead. For a new user it then starts from the shipped default database of the
// user's language, once `checkDefault` has passed it: makes the data folder (mode 0700, as the XDG
// rules ask) and copies the database in, and the same bytes as its kept base, each all or nothing
// and never over a file that is there. Nothing happens for a portable copy.
Status PrepareProgramFiles(const ProgramFiles& files, ContentCheck checkDefault);

// The choice for this process, made once, and the main database and the ini file
// by it. PrepareMainDatabase is PrepareProgramFiles for this process.
const ProgramFiles& CurrentProgramFiles();
std::string MainDatabasePath();
std::string IniFilePath();
Status PrepareMainDatabase(ContentCheck checkDefault);

}  // namespace vestral
