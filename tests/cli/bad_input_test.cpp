// Bad input through the commands and the operations behind them: a message naming the
// file and the problem, status 1 (2 for an empty file name), a light red log line where
// the operation logs; afterwards every file of the folder is as it was.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QProcess>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli.h"
#include "cli/command.h"
#include "cli/database_files.h"
#include "cli/terminal_sink.h"
#include "database/file_io.h"
#include "editor/base_positions.h"
#include "editor/synchronizer.h"
#include "lookup/lookup_window.h"
#include "support/read_only_file.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

namespace vestral {

namespace {

namespace fs = std::filesystem;
using testing::entry;
using ::testing::HasSubstr;
using testing::ReadBack;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// In this process: quicker where a case runs hundreds of times, and the only way to
// reach the file layer's test seam. Every run colours its log.
Outcome Vestral(std::vector<std::string> args, const std::string& input = {}) {
  args.insert(args.begin() + 1, "--color=always");
  Outcome r;
  {
    TextOutput out(r.out);
    TextOutput err(r.err);
    std::istringstream in(input);
    CliStreams streams{out, err, in, false};
    r.status = RunCommandLine(args, AllCommands(), streams);
  }
  return r;
}

// Whether some light red piece of a coloured log holds `text`.
bool RedHas(const std::string& out, const std::string& text) {
  const std::string red = AnsiColour(static_cast<int>(color::kLightRed));
  for (size_t at = out.find(red); at != std::string::npos; at = out.find(red, at + 1))
    if (out.substr(at, out.find('\x1b', at + 1) - at).find(text) != std::string::npos) return true;
  return false;
}

bool RedLineNames(const std::string& out, const std::string& path) {
  return RedHas(out, "\"" + path + "\"");
}

// Log lines begin with a capital where the same message elsewhere does not.
std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// --------------------------------------------------------------------- files

// Every file under a folder with its bytes.
using Snapshot = std::map<std::string, std::string>;

Snapshot TakeSnapshot(const std::string& dir) {
  Snapshot s;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) s[fs::relative(e.path(), dir).string()] = ReadBytes(e.path().string());
  return s;
}

// What differs, one file a line: "changed main.DAT", "added .main.DAT.1234.tmp".
std::string Changes(const Snapshot& before, const Snapshot& after) {
  std::string d;
  for (const auto& [name, bytes] : before)
    if (!after.contains(name) || after.at(name) != bytes)
      d += (after.contains(name) ? "changed " : "removed ") + name + "\n";
  for (const auto& [name, bytes] : after)
    if (!before.contains(name)) d += "added " + name + "\n";
  return d;
}

// Little-endian, `width` bytes.
void Put(std::string& bytes, size_t at, int width, uint32_t v) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// P: an entry with a Cyrillic text and an extension, and a plain one; C one; B none; U one.
DtcDatabase MainDb() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "\xC4\xE0\xF2\xF7\xE8\xEA", "ext"));  // "Датчик"
  db.P.Entries.push_back(entry("0200", "Plain"));
  db.C.Entries.push_back(entry("0300", "Chassis"));
  db.U.Entries.push_back(entry("0400", "Network"));
  return db;
}

DtcDatabase OtherDb() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Other text"));
  db.B.Entries.push_back(entry("1000", "Body"));
  return db;
}

// Two entries the checker removes.
DtcDatabase DamagedDb() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("7100", "bad first digit"));
  db.P.Entries.push_back(entry("0200", ""));
  db.P.Entries.push_back(entry("0300", "good"));
  return db;
}

constexpr const char* kSource = "P0100 Sensor | check the wiring\r\nC0200 Chassis\r\n";

// A folder holding a valid file for every role; the bad paths point around them.
class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteDatabase(main_, MainDb()).ok());
    ASSERT_TRUE(WriteDatabase(other_, OtherDb()).ok());
    ASSERT_TRUE(WriteDatabase(damaged_, DamagedDb()).ok());
    WriteBytes(src_, kSource);
    WriteBytes(out_, "P0100 collected before\r\n");
    fs::create_directory(folder_);
  }

  // {main} {other} {damaged} {src} {out} {new} become the files of the folder and
  // {bad} becomes `bad`.
  std::vector<std::string> expand(const std::vector<std::string>& args,
                                  const std::string& bad = {}) const {
    const std::map<std::string, std::string> names = {
        {"{main}", main_}, {"{other}", other_}, {"{damaged}", damaged_}, {"{src}", src_},
        {"{out}", out_},   {"{new}", fresh_},   {"{bad}", bad}};
    std::vector<std::string> out;
    for (const std::string& a : args) {
      const auto it = names.find(a);
      out.push_back(it == names.end() ? a : it->second);
    }
    return out;
  }

  Snapshot snapshot() const { return TakeSnapshot(dir_.path()); }

  // Bytes every reader of a database must refuse, naming the file and changing
  // nothing: the file routine, the editor's Read, the lookup window's start-up, the
  // lookup command and sync. False at the first failure, so a loop stops there.
  bool expectRefusedEverywhere(const std::string& bytes, const std::string& problem) {
    const std::string path = dir_.file("bad.DAT");
    WriteBytes(path, bytes);
    const Snapshot before = snapshot();
    const std::string named = "\"" + path + "\" is not a valid database";

    DtcDatabase db = MainDb();
    const Status read = ReadDatabase(path, db);
    EXPECT_TRUE(read.IsCorruption()) << read.ToString();
    EXPECT_THAT(read.message(), HasSubstr(named));
    EXPECT_THAT(read.message(), HasSubstr(problem));
    EXPECT_EQ(db, DtcDatabase{});

    DtcDatabase working = MainDb();
    FileStamp stamp;
    RecordingSink log;
    EXPECT_FALSE(ReadMainDatabase(path, working, stamp, log));
    EXPECT_TRUE(log.runs().size() >= 2 && log.runs().end()[-2].color == color::kLightRed &&
                log.runs().end()[-2].text.find("\"" + path + "\"") != std::string::npos)
        << log.lines();
    EXPECT_EQ(working, MainDb());

    bool created = true;
    DatabaseFile file;
    EXPECT_THAT(LoadMainDatabase(path, file, &created).message(), HasSubstr(named));
    EXPECT_FALSE(created);

    const Outcome lookup = Vestral({"lookup", "--db", path, "P0100"});
    EXPECT_EQ(lookup.status, kExitFailure);
    EXPECT_THAT(lookup.err, HasSubstr(named));
    EXPECT_EQ(lookup.out, "");
    const Outcome sync = Vestral({"sync", "--db", main_, path});
    EXPECT_EQ(sync.status, kExitFailure);
    EXPECT_TRUE(RedLineNames(sync.out, path)) << sync.out;
    EXPECT_THAT(sync.out, HasSubstr(problem));
    EXPECT_EQ(Changes(before, snapshot()), "");
    return !HasFailure();
  }

  TempDir dir_;
  std::string main_ = dir_.file("main.DAT");
  std::string other_ = dir_.file("other.DAT");
  std::string damaged_ = dir_.file("damaged.DAT");
  std::string src_ = dir_.file("src.txt");
  std::string out_ = dir_.file("out.txt");
  std::string fresh_ = dir_.file("new.DAT");
  std::string folder_ = dir_.file("folder");
};

// ------------------------------------------------------------------ databases

TEST_F(BadInput, EveryTruncationOfAValidDatabaseIsRefused) {
  const std::string valid = ReadBytes(main_);
  ASSERT_GT(valid.size(), 131u);
  for (size_t length = 0; length < valid.size(); ++length) {
    SCOPED_TRACE("the first " + std::to_string(length) + " bytes");
    if (!expectRefusedEverywhere(valid.substr(0, length), "at byte ")) break;
  }
}

TEST_F(BadInput, DamagedCountsAreRefusedBeforeAnythingIsAllocated) {
  // The P table's fields: name count at 0, the name "powertrain", dimension count at 12,
  // element count at 14, lower bound at 18, then the placeholder (code, two counts) at
  // 22 and the first entry's code at 30 and its text count at 34.
  const std::string valid = ReadBytes(main_);
  struct Case {
    const char* what;
    size_t at;
    int width;  // 2 or 4 bytes
    uint32_t value;
    std::string problem;
  };
  const Case cases[] = {
      {"dimension count 0", 12, 2, 0, "at byte 12, table P: expected dimension count 1, found 0"},
      {"dimension count 2", 12, 2, 2, "at byte 12, table P: expected dimension count 1, found 2"},
      {"element count 2^32-1", 14, 4, 0xFFFFFFFF,
       "at byte 14, table P: 4294967295 elements need at least 34359738360 bytes"},
      {"element count beyond the file", 14, 4, 1000, "table P: 1000 elements need at least 8000"},
      {"element count the bytes could just describe", 14, 4,
       static_cast<uint32_t>((valid.size() - 22) / 8), "bytes remain"},
      {"element count 0", 14, 4, 0, "expected at least 1 element (the placeholder), found 0"},
      {"lower bound 1", 18, 4, 1, "at byte 18, table P: expected lower bound 0, found 1"},
      {"name count beyond the file", 0, 2, 0xFFFF, "expected the table name (65535 bytes)"},
      {"text count beyond the file", 34, 2, 0xFFFF, "expected an entry text (65535 bytes)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = valid;
    Put(bytes, c.at, c.width, c.value);
    expectRefusedEverywhere(bytes, c.problem);
  }
}

TEST_F(BadInput, ForeignFilesAreRefusedAsDatabases) {
  const std::pair<const char*, std::string> cases[] = {
      {"a picture", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + std::string(64, '\x7F')},
      {"a source text", kSource},
      {"zeros", std::string(4096, '\0')},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    expectRefusedEverywhere(bytes, "at byte ");
  }
}

// ---------------------------------------------------------------------- paths

TEST_F(BadInput, FoldersMissingFoldersAndEmptyPathsAreNamedAndChangeNothing) {
  enum Role { kRead, kWrite };
  struct Case {
    std::vector<std::string> args;
    Role role;
    bool logsFailure;        // the log shows the failure in light red
    const char* emptyUsage;  // the usage message for an empty path
  };
  const Case cases[] = {
      {{"lookup", "--db", "{bad}", "P0100"}, kRead, false, "--db needs a file name"},
      {{"lint", "--source", "{bad}"}, kRead, false, "--source needs a file name"},
      {{"collect", "--yes", "--db", "{main}", "{bad}"}, kWrite, true, "output file name is empty"},
      {{"generate", "--yes", "{src}", "{bad}"}, kWrite, true, "a file name is empty"},
      {{"generate", "--yes", "{bad}", "{other}"}, kRead, false, "a file name is empty"},
      {{"sync", "--db", "{bad}", "{other}"}, kRead, true, "--db needs a file name"},
      {{"sync", "--db", "{main}", "{bad}"}, kRead, false, "the file name is empty"},
      {{"create", "{bad}"}, kWrite, false, "the file name is empty"},
  };
  struct BadPath {
    const char* what;
    std::string path;
    const char* read;  // the problem named when reading
    const char* write;
  };
  // A pipe would hang a reader that waits for its writer, a device would be replaced
  // by a regular file ("create" only says the path is taken).
  const std::string fifo = dir_.file("fifo");
  const std::string device = dir_.file("null");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const bool deviceMade = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  const BadPath badPaths[] = {
      {"a folder", folder_, "is a folder, not a file", "is a folder, not a file"},
      {"a missing folder", dir_.file("none/x.DAT"), "No such file or directory", "does not exist"},
      {"a pipe", fifo, "is not a regular file", "left as it was"},
      {"a device", device, "is not a regular file", "left as it was"},
  };
  const Snapshot before = snapshot();
  for (const Case& c : cases) {
    const std::string command = c.args.front() + (c.role == kWrite ? " output" : " input");
    for (const BadPath& bad : badPaths) {
      if (bad.path == device && !deviceMade) continue;
      SCOPED_TRACE(command + " path is " + bad.what);
      const Outcome r = Vestral(expand(c.args, bad.path));
      EXPECT_EQ(r.status, kExitFailure);
      const char* problem = c.role == kRead ? bad.read : bad.write;
      EXPECT_THAT(r.err, HasSubstr("\"" + bad.path + "\""));
      EXPECT_THAT(r.err + r.out, HasSubstr(problem));
      if (c.logsFailure) {
        EXPECT_TRUE(RedLineNames(r.out, bad.path)) << r.out;
      }
    }
    SCOPED_TRACE(command + " path is empty");
    const Outcome r = Vestral(expand(c.args, ""));
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_THAT(r.err, HasSubstr(c.emptyUsage));
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(Changes(before, snapshot()), "");
  EXPECT_TRUE(fs::is_fifo(fifo));
  if (!deviceMade) GTEST_SKIP() << "mknod is not allowed here: no device node was tried";
  EXPECT_TRUE(fs::is_character_file(device));
}

TEST_F(BadInput, AReadOnlyDestinationIsReportedAndKept) {
  struct Case {
    std::vector<std::string> args;
    std::string target;  // the file made read-only
    const char* problem;
    bool logsFailure;
  };
  const Case cases[] = {
      {{"sync", "--db", "{main}", "{other}"}, main_, "cannot write", true},
      {{"check", "--write", "--db", "{damaged}"}, damaged_, "cannot write", false},
      {{"collect", "--yes", "--db", "{main}", "{out}"}, out_, "cannot write", true},
      {{"generate", "--yes", "{src}", "{other}"}, other_, "the file is read-only", true},
      {{"create", "{main}"}, main_, "already exists", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    testing::ReadOnlyFile readOnly(c.target);
    if (!readOnly.ok()) GTEST_SKIP() << "cannot make a file read-only here";
    const Snapshot before = snapshot();
    const Outcome r = Vestral(expand(c.args));
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_THAT(Lower(r.err + r.out), HasSubstr(c.problem));
    EXPECT_THAT(r.err, HasSubstr("\"" + c.target + "\""));
    if (c.logsFailure) {
      EXPECT_TRUE(RedLineNames(r.out, c.target)) << r.out;
    }
    EXPECT_EQ(Changes(before, snapshot()), "");
  }
}

// Every writer replaces the file a link names and the link stays, also when the name
// is 250 bytes long (255 is the limit). Owner and mode are the file layer's tests.
TEST_F(BadInput, WritersFollowALinkToALongName) {
  const std::string target = dir_.file(std::string(250, 'n'));
  const std::string link = dir_.file("link.DAT");
  fs::create_symlink(target, link);
  const std::vector<std::string> writers[] = {
      {"sync", "--db", link, other_},
      {"check", "--write", "--db", link},
      {"collect", "--yes", "--db", main_, link},
      {"generate", "--yes", src_, link},
  };
  for (const std::vector<std::string>& args : writers) {
    SCOPED_TRACE(args.front());
    WriteBytes(target, ReadBytes(damaged_));
    const Outcome r = Vestral(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadBytes(target), ReadBytes(damaged_));
  }
}

// The file layer's seam stops the next write half-way, as a full disk does.
TEST_F(BadInput, AFullDiskIsReportedAndLeavesTheOldFileIntact) {
  struct Case {
    std::vector<std::string> args;  // {disk} is the file the write fails on
    std::string put;                // what the file holds beforehand; "" for none
  };
  const Case cases[] = {
      {{"sync", "--db", "{disk}", "{other}"}, ReadBytes(main_)},
      {{"collect", "--yes", "--db", "{main}", "{disk}"}, ReadBytes(out_)},
      {{"generate", "--yes", "{src}", "{disk}"}, ReadBytes(main_)},
      {{"generate", "{src}", "{disk}"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const std::string target = dir_.file("target");
    std::error_code ec;
    fs::remove(target, ec);
    if (!c.put.empty()) WriteBytes(target, c.put);
    const Snapshot before = snapshot();
    std::vector<std::string> args = expand(c.args);
    for (std::string& a : args)
      if (a == "{disk}") a = target;
    SimulateFullDiskForTesting(1);
    const Outcome r = Vestral(args);
    SimulateFullDiskForTesting(0);
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_THAT(r.err + r.out, HasSubstr("No space left on device"));
    EXPECT_TRUE(RedLineNames(r.out, target)) << r.out;
    EXPECT_THAT(r.out, ::testing::Not(HasSubstr("Created database file")));
    EXPECT_EQ(Changes(before, snapshot()), "");
  }
}

// Two writers of one database: the second waits for the first and merges into what
// the first wrote, also when that replaced the file it was waiting for.
TEST_F(BadInput, ConcurrentSyncsKeepEveryChange) {
  auto oneEntry = [this](const std::string& name, const char* code) {
    DtcDatabase db = EmptyDatabase();
    db.U.Entries.push_back(entry(code, "added"));
    EXPECT_TRUE(WriteDatabase(dir_.file(name), db).ok());
    return QStringList{"sync", "--db", testing::Arg(main_), testing::Arg(dir_.file(name))};
  };
  auto has = [this](const char* code) {
    int32_t at = 0;
    return FindEntry(ReadBack(main_).U, code, at);
  };
  QProcess first, second, third;
  first.start(VESTRAL_BINARY, oneEntry("a.DAT", "0a01"));
  second.start(VESTRAL_BINARY, oneEntry("b.DAT", "0b01"));
  {
    FileLock held;
    ASSERT_TRUE(first.waitForFinished(30000) && second.waitForFinished(30000));
    ASSERT_TRUE(held.lock(main_).ok());
    third.start(VESTRAL_BINARY, oneEntry("c.DAT", "0c01"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // it waits for the lock
    DtcDatabase meanwhile = ReadBack(main_);
    meanwhile.U.Entries.push_back(entry("0d01", "meanwhile"));
    ASSERT_TRUE(WriteDatabase(main_, meanwhile).ok());
  }
  ASSERT_TRUE(third.waitForFinished(30000));
  for (const QProcess* p : {&first, &second, &third}) EXPECT_EQ(p->exitCode(), kExitOk);
  for (const char* code : {"0a01", "0b01", "0c01", "0d01"}) EXPECT_TRUE(has(code)) << code;
}

// The same on a real full disk: a 64 KB tmpfs, filled up, where the system lets us
// mount one (root, as in CI).
TEST_F(BadInput, ARealFullDiskLeavesTheMainDatabaseIntact) {
  const testing::SmallDisk disk(dir_.file("disk"));
  if (!disk.ok()) GTEST_SKIP() << "no tmpfs can be mounted here; the seam case covers a full disk";
  const std::string target = disk.file("main.DAT");
  WriteBytes(target, ReadBytes(main_));
  disk.fill();
  const std::string before = ReadBytes(target);
  const Outcome r = Vestral(expand({"sync", "--db", target, "{other}"}));
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_THAT(r.err + r.out, HasSubstr("No space left on device"));
  EXPECT_TRUE(RedLineNames(r.out, target)) << r.out;
  EXPECT_EQ(ReadBytes(target), before);
}

// ---------------------------------------------------------------- source texts

TEST_F(BadInput, OddSourceTextsAreReadAsBytesAndReported) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37) & 0xFF);
  DtcDatabase threeLines = EmptyDatabase();
  threeLines.P.Entries.push_back(entry("0100", "One", "x"));
  threeLines.C.Entries.push_back(entry("0200", "Two"));
  threeLines.P.Entries.push_back(entry("0300", "Three"));
  DtcDatabase withNul = EmptyDatabase();
  withNul.P.Entries.push_back(entry("0100", std::string("Te\0xt", 5)));
  // "Датчик" in UTF-8 stays the bytes it is: the file is taken as code page 1251.
  const std::string utf8 = "\xD0\x94\xD0\xB0\xD1\x82\xD1\x87\xD0\xB8\xD0\xBA";
  DtcDatabase withUtf8 = EmptyDatabase();
  withUtf8.P.Entries.push_back(entry("0100", utf8));

  struct Case {
    const char* what;
    std::string text;
    // The generator's light red line, or "" when it builds `built`.
    std::string stops;
    DtcDatabase built;
    const char* lint;  // what lint --source reports; nullptr for nothing
  };
  const Case cases[] = {
      {"binary", binary, "Code lench is missing. See line 1 ", {}, "not in code page 1251"},
      {"a line of 1 MB",
       "P0100 fine\r\nP0200 " + std::string(1 << 20, 'x') + "\r\n",
       "Description is longer than 65535 bytes. See line 2 ",
       {},
       "a text is longer than 65535 bytes"},
      {"NUL bytes in a line", std::string("P0100 Te\0xt\r\n", 13), "", withNul,
       "control character"},
      {"CR line ends", "P0100 One| x\rC0200 Two\rP0300 Three", "", threeLines, nullptr},
      {"mixed line ends", "P0100 One| x\rC0200 Two\r\nP0300 Three\n", "", threeLines, nullptr},
      {"UTF-8 with Cyrillic", "P0100 " + utf8 + "\r\n", "", withUtf8, "UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(src_, c.text);
    std::error_code ec;
    fs::remove(fresh_, ec);
    const Snapshot before = snapshot();

    const Outcome gen = Vestral({"generate", src_, fresh_});
    if (c.stops.empty()) {
      EXPECT_EQ(gen.status, kExitOk) << gen.err;
      EXPECT_EQ(ReadBack(fresh_), c.built);
    } else {
      EXPECT_EQ(gen.status, kExitFailure);
      EXPECT_THAT(gen.err, HasSubstr("\"" + fresh_ + "\""));
      EXPECT_TRUE(RedHas(gen.out, c.stops)) << gen.out.substr(0, 2000);
      // A run stopped by the source leaves the empty database it began with.
      EXPECT_EQ(ReadBack(fresh_), EmptyDatabase());
    }
    Snapshot after = snapshot();
    after.erase("new.DAT");
    EXPECT_EQ(Changes(before, after), "");

    const Outcome lint = Vestral({"lint", "--source", src_});
    EXPECT_EQ(lint.status, c.lint ? kExitFailure : kExitOk) << lint.out.substr(0, 2000);
    if (c.lint) {
      EXPECT_THAT(lint.out, HasSubstr(c.lint));
    }
  }
}

TEST_F(BadInput, BinaryCodesOnStandardInputAreReportedNotLookedUp) {
  std::string binary;
  for (int i = 0; i < 65536; ++i) binary += static_cast<char>((i * 131) & 0xFF);
  const Outcome r = Vestral({"lookup", "--db", main_, "-"}, binary + "\nP0100\n");
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_THAT(r.err, HasSubstr("is not a code"));
  EXPECT_THAT(r.out, HasSubstr("P0100\t"));
  // Control characters of the input never reach the terminal.
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
}

// Valid UTF-8 holding no control character but tab and line feed.
bool Printable(const std::string& s) {
  const QString u = QString::fromUtf8(s);
  if (u.toUtf8().toStdString() != s) return false;
  return std::none_of(u.begin(), u.end(), [](QChar c) {
    return c.category() == QChar::Other_Control && c != '\n' && c != '\t';
  });
}

// Bytes of a file reach the terminal as UTF-8 with control characters shown as "?";
// JSON escapes every control character, C1 ones included.
TEST_F(BadInput, ControlCharactersOfAFileNeverReachTheOutput) {
  WriteBytes(src_,
             "\x1b"
             "0100 escape\r\n\x07"
             "0200 bell\r\n\x98"
             "0300 none\r\n\xC0"
             "0400 a\r\n");
  const Outcome lint = Vestral({"lint", "--source", src_});
  EXPECT_EQ(lint.status, kExitFailure);
  EXPECT_THAT(lint.out, HasSubstr("table letter ? is none"));
  EXPECT_THAT(lint.out, HasSubstr("table letter \xD0\x90 is none"));  // "А"
  EXPECT_TRUE(Printable(lint.out)) << lint.out;

  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100",
                               "a\x98"
                               "b\x1b"
                               "c\x7F"));
  ASSERT_TRUE(WriteDatabase(main_, db).ok());
  const Outcome json = Vestral({"lookup", "--db", main_, "--json", "P0100"});
  EXPECT_THAT(json.out, HasSubstr(R"("a\u0098b\u001bc\u007f")"));
  EXPECT_TRUE(Printable(json.out)) << json.out;
}

}  // namespace
}  // namespace vestral
