#include "cli/QelCtl.h"

#include "app/DatabaseWizardLogic.h"
#include "cli/CliPorts.h"
#include "cli/CliText.h"
#include "cli/Serve.h"
#include "cli/UserTable.h"
#include "qel/Version.h"
#include "records/MessageObj.h"
#include "records/QelContext.h"
#include "records/QelDepartmentObj.h"
#include "records/QelFile.h"
#include "records/QelStatusesObj.h"
#include "records/RecordsCommon.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "util/StringUtils.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <locale>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

namespace qel::cli {

const char* const UsageText =
    "usage: qelctl [--profile FILE] [--computer NAME] [--user NAME] [--] COMMAND [ARGS]\n"
    "       qelctl --version | --help | help COMMAND | COMMAND --help\n"
    "\n"
    "Database:\n"
    "  init FOLDER                  create a new database in FOLDER (this computer becomes administrator)\n"
    "  join FOLDER                  join the database in FOLDER and register this computer\n"
    "Board and own status:\n"
    "  board [--department NAME] [--json]\n"
    "  watch [--department NAME] [--json] [--interval SECONDS]\n"
    "  serve [--listen ADDRESS:PORT] [--department NAME]\n"
    "                               the board for browsers, read-only (default 127.0.0.1:8080)\n"
    "  status NAME                  set this computer's status (\"Offline\" only through offline)\n"
    "  comment TEXT                 set this computer's comments\n"
    "  offline                      empty comments, then status \"Offline\"\n"
    "Messages:\n"
    "  send COMPUTER SUBJECT TEXT\n"
    "  inbox [--json]               this computer's messages, newest first\n"
    "  read KEY                     print a message's text and mark it old\n"
    "  delete-message KEY\n"
    "Catalogues:\n"
    "  statuses | departments       key and name, in key order\n"
    "Administrator only (exit code 3 otherwise):\n"
    "  add-status NAME | rename-status OLD NEW | delete-status NAME\n"
    "  add-department NAME | rename-department OLD NEW | delete-department NAME\n"
    "  users [--json]\n"
    "  set-user COMPUTER [--name T] [--status T] [--ext T] [--department T] [--comments T] [--admin 0|1]\n"
    "  delete-user COMPUTER\n"
    "\n"
    "Options take their value as \"--option value\" or \"--option=value\"; \"--\" ends the options.\n"
    "Exit codes: 0 success, 1 failure, 2 usage error, 3 administrator rights required.\n";

const char* const VersionText = "qelctl (Qel) " QEL_VERSION "\n";

namespace {

// A usage error: its text goes to standard error with the usage.
struct TUsageError {
    std::string Text;
};

// A command line after the command name: positional arguments and
// "--name value" or "--name=value" options. "--" ends the options.
struct TCommandLine {
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Values;
    std::set<std::string> Flags;

    bool Has(const std::string& name) const { return Flags.count(name) > 0 || Values.count(name) > 0; }
    std::optional<std::string> Value(const std::string& name) const {
        const auto found = Values.find(name);
        return found == Values.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
};

TCommandLine ParseCommandLine(const std::string& command, const std::vector<std::string>& args,
                              const std::set<std::string>& flags, const std::set<std::string>& valued) {
    TCommandLine line;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--")
                optionsEnded = true;
            else
                line.Positional.push_back(arg);
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (flags.count(name)) {
            if (equals != std::string::npos)
                throw TUsageError{command + ": option " + name + " takes no value"};
            line.Flags.insert(name);
        } else if (valued.count(name)) {
            if (equals != std::string::npos)
                line.Values[name] = arg.substr(equals + 1);
            else if (i + 1 < args.size())
                line.Values[name] = args[++i];
            else
                throw TUsageError{command + ": option " + name + " needs a value"};
        } else {
            throw TUsageError{command + ": unknown option " + name};
        }
    }
    return line;
}

void RequirePositional(const std::string& command, const TCommandLine& line, size_t count) {
    if (line.Positional.size() != count)
        throw TUsageError{command + ": expected " + std::to_string(count) + " argument" + (count == 1 ? "" : "s") +
                          ", got " + std::to_string(line.Positional.size())};
}

// A message key as typed: up to ten digits, with or without the leading zeros.
std::string ParseMessageKey(const std::string& command, const std::string& text) {
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw TUsageError{command + ": KEY must be a message number such as 0000000001"};
    return FormatKey(KeyToNumber(text));
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// One run of a command, with the program-wide objects of one computer.
class TSession {
public:
    TSession(TCliEnvironment& environment, TPlatform& platform, const std::string& profile)
        : FEnv(environment), FPlatform(platform), FSettings(platform, profile), FBoxes(environment.Err),
          FContext{platform,           FSettings, FBoxes, FPanel, FApp, FApp, nullptr, environment.EngineFolder,
                   TQelUser(platform), false} {}

private:
    // Failure lines go to standard error, prefixed "qelctl: ".
    int Fail(const std::string& text) {
        FEnv.Err << "qelctl: " << text << '\n';
        return ExitFailure;
    }
    // Failure when any box was shown or the engine asked the program to end.
    int Verdict() const { return FBoxes.Failures() > 0 || FApp.TerminateRequested ? ExitFailure : ExitOk; }
    bool EngineMissing() const { return FApp.TerminateRequested; }

    // Refuses a text longer than its field (`size` bytes, NUL included).
    bool FitsField(const std::string& what, const std::string& text, size_t size) {
        if (text.size() <= size - 1)
            return true;
        Fail(what + " is too long: " + std::to_string(text.size()) + " bytes, at most " + std::to_string(size - 1));
        return false;
    }

    // Makes the users object and finds the database folder from the
    // settings. False (after the error) when the engine or the folder is
    // missing (the folder's users file too, unless `usersFileOptional`).
    bool OpenDatabase(bool usersFileOptional = false);
    // Reads this computer's record into CurrentUser; false (after the error)
    // when it cannot be read.
    bool LoadOwnRecord();
    // Exit code for an administrator command: ExitOk when this computer's
    // record carries the flag.
    int CheckAdministrator();
    // OpenDatabase, then CheckAdministrator: the exit code of the first
    // that refuses, else ExitOk.
    int OpenAsAdministrator();

    // The board row of one computer, read for an administrator command.
    struct TUserLookup {
        int Code = ExitFailure;      // the exit code when Row is empty
        std::optional<TUserRow> Row; // empty after the error
        size_t BoardSize = 0;        // users on the board
    };
    // Opens the database as administrator, reads the board and finds the
    // computer named `typed` (any letter case).
    TUserLookup LookUpUser(const std::string& typed);

public:
    // The commands; `args` are those after the command's name.
    int InitOrJoin(const std::string& command, const std::vector<std::string>& args, bool create);
    int Board(const std::string& command, const std::vector<std::string>& args, bool watch);
    int Serve(const std::vector<std::string>& args);
    int SetStatus(const std::vector<std::string>& args);
    int SetComment(const std::vector<std::string>& args);
    int Offline(const std::vector<std::string>& args);
    int Send(const std::vector<std::string>& args);
    int InBox(const std::vector<std::string>& args);
    int ReadOrDelete(const std::string& command, const std::vector<std::string>& args, bool read);
    int Catalogue(const std::string& command, const std::vector<std::string>& args);
    int Users(const std::vector<std::string>& args);
    int SetUser(const std::vector<std::string>& args);
    int DeleteUser(const std::vector<std::string>& args);

private:
    // Reads the board rows; nullopt after the error.
    std::optional<std::vector<TUserRow>> ReadBoard();
    std::string BoardText(const std::vector<TUserRow>& rows, const std::optional<std::string>& department, bool json);
    // This computer's in-box, newest first; nullopt after the error.
    std::optional<std::vector<TInBoxRow>> InBoxRows();

    TCliEnvironment& FEnv;
    TPlatform& FPlatform;
    TIniFile FSettings;
    TCliBoxes FBoxes;
    TCliStatusPanel FPanel;
    TCliApp FApp;
    TQelContext FContext;
    std::unique_ptr<TQelFile> FUsers;
};

bool TSession::OpenDatabase(bool usersFileOptional) {
    FUsers = std::make_unique<TQelFile>(FContext);
    if (EngineMissing())
        return false;
    if (FSettings.ReadString(keys::Locations, keys::DBaseLocation, keys::NotEntered) == keys::NotEntered) {
        Fail("no database folder is set for this computer in " + FSettings.FileName() +
             "; use \"qelctl init FOLDER\" or \"qelctl join FOLDER\"");
        return false;
    }
    FUsers->LoadLocation();
    if (!usersFileOptional && !FPlatform.FileExists(FUsers->Location + UsersDatasetName + ".isd")) {
        Fail("the database folder " + FUsers->Location + " holds no " + UsersDatasetName +
             ".isd (is the network share mounted?)");
        return false;
    }
    return true;
}

bool TSession::LoadOwnRecord() {
    FPanel.Text.clear();
    FUsers->LoadCurrentUser();
    if (FPanel.Text.empty())
        return true;
    Fail("cannot read the record of this computer (" + FPlatform.ComputerName() + "): " + FPanel.Text +
         "\n(a computer whose user was deleted registers again with \"qelctl join FOLDER\")");
    return false;
}

int TSession::CheckAdministrator() {
    FPanel.Text.clear();
    const int16_t code = FUsers->LoadCurrentUser();
    // Only a computer without a record lacks the right; a record that cannot
    // be read says why.
    if (code != 0 && code != IsamNotFound)
        return Fail("cannot read the record of this computer (" + FPlatform.ComputerName() + "): " + FPanel.Text);
    if (code != 0 || FContext.CurrentUser.Administrator != 1) {
        FEnv.Err << "qelctl: " << AdministratorRequiredText << '\n';
        return ExitNotAdministrator;
    }
    return ExitOk;
}

int TSession::OpenAsAdministrator() {
    return OpenDatabase() ? CheckAdministrator() : ExitFailure;
}

TSession::TUserLookup TSession::LookUpUser(const std::string& typed) {
    TUserLookup lookup;
    if (lookup.Code = OpenAsAdministrator(); lookup.Code != ExitOk)
        return lookup;
    lookup.Code = ExitFailure;
    const auto rows = ReadBoard();
    if (!rows)
        return lookup;
    const std::string computer = UpperAscii(typed);
    if (const TUserRow* row = FindComputer(*rows, computer))
        lookup.Row = *row;
    else
        Fail("no user has the computer name " + computer);
    lookup.BoardSize = rows->size();
    return lookup;
}

// The wizard's folder dialog, answered with the folder from the command line.
class TGivenFolder : public IFolderPicker {
public:
    explicit TGivenFolder(std::string folder) : FFolder(std::move(folder)) {}
    std::optional<std::string> ChooseFolder(const std::string&) override { return FFolder; }

private:
    std::string FFolder;
};

int TSession::InitOrJoin(const std::string& command, const std::vector<std::string>& args, bool create) {
    const TCommandLine line = ParseCommandLine(command, args, {}, {});
    RequirePositional(command, line, 1);
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(line.Positional[0], error).lexically_normal();
    if (error || !std::filesystem::is_directory(folder, error))
        return Fail("no such folder: " + line.Positional[0]);

    FUsers = std::make_unique<TQelFile>(FContext);
    if (EngineMissing())
        return ExitFailure;
    const std::string previous = FSettings.ReadString(keys::Locations, keys::DBaseLocation, keys::NotEntered);

    // The wizard's own rules and texts: join needs QelDBase.isd in the
    // folder, create refuses a folder that has one; create then registers
    // this computer as the first administrator.
    TGivenFolder picker(folder.string());
    TDatabaseWizardLogic wizard(FPlatform, FSettings, *FUsers, FBoxes, picker, FApp);
    if (create)
        wizard.SelectCreate();
    else
        wizard.SelectJoin();
    wizard.Next();
    wizard.Next();
    if (wizard.Finished() && !create && FBoxes.Failures() == 0)
        FUsers->RegisterComputer();
    if (!wizard.Finished())
        return ExitFailure;
    if (Verdict() != ExitOk) {
        // The folder was stored before the register failed: put the old
        // setting back so this computer is not left pointing at it.
        FSettings.WriteString(keys::Locations, keys::DBaseLocation, previous);
        return ExitFailure;
    }
    // A create that another computer won joins that computer's database.
    const bool created = create && FContext.IsAdministrator;
    FEnv.Out << (created ? "Created a new database in " : "Joined the database in ") << FUsers->Location << " as "
             << FPlatform.ComputerName() << (created ? " (administrator)" : "") << '\n';
    return ExitOk;
}

std::optional<std::vector<TUserRow>> TSession::ReadBoard() {
    std::string error;
    auto rows = ReadUsers(FUsers->Location + UsersDatasetName, FEnv.EngineFolder, &error);
    if (!rows)
        Fail("unable to read the users dataset: " + error);
    return rows;
}

std::string TSession::BoardText(const std::vector<TUserRow>& rows, const std::optional<std::string>& department,
                                bool json) {
    if (json)
        return BoardJson(rows, department) + "\n";
    std::string text = TsvLine({"User", "Status", "Ext", "Department", "Comments", "Computer"});
    for (const TUserRow& row : rows) {
        const TQelUser& user = row.User;
        if (!department || user.Department == *department)
            text += TsvLine(
                {user.UserName, user.Status, user.Extension, user.Department, user.Comments, user.ComputerName});
    }
    return text;
}

int TSession::Board(const std::string& command, const std::vector<std::string>& args, bool watch) {
    const TCommandLine line = ParseCommandLine(command, args, {"--json"},
                                               watch ? std::set<std::string>{"--department", "--interval"}
                                                     : std::set<std::string>{"--department"});
    RequirePositional(command, line, 0);
    double interval = 5;
    if (const auto text = line.Value("--interval")) {
        try {
            size_t used = 0;
            interval = std::stod(*text, &used);
            if (used != text->size() || !(interval > 0 && interval <= 3600))
                throw std::invalid_argument(*text);
        } catch (const std::exception&) {
            throw TUsageError{command + ": --interval needs a number of seconds above 0"};
        }
    }
    if (!OpenDatabase())
        return ExitFailure;
    const std::optional<std::string> department = line.Value("--department");
    const bool json = line.Has("--json");
    if (!watch) {
        const auto rows = ReadBoard();
        if (!rows)
            return ExitFailure;
        FEnv.Out << BoardText(*rows, department, json);
        return ExitOk;
    }

    // The refresh tick: the board is read again only when the stamp of the
    // users dataset has changed; a board is printed only when it differs.
    const std::string usersFile = FUsers->Location + UsersDatasetName + ".isd";
    std::optional<TFileStamp> lastStamp;
    std::string lastText;
    std::string reported;
    const auto stopped = [&] { return FEnv.Stop && FEnv.Stop->load(); };
    if (FEnv.Stoppable)
        FEnv.Stoppable->store(true);
    while (!stopped()) {
        const TFileStamp stamp = FPlatform.FileStamp(usersFile);
        if (!lastStamp || stamp != *lastStamp) {
            lastStamp = stamp;
            std::string error;
            if (const auto rows = ReadUsers(FUsers->Location + UsersDatasetName, FEnv.EngineFolder, &error)) {
                const std::string text = BoardText(*rows, department, json);
                if (text != lastText) {
                    FEnv.Out << text << (json ? "" : "\n") << std::flush;
                    lastText = text;
                }
                reported.clear();
            } else {
                // A share that is away for a while: say so once and keep
                // watching; the next tick tries again.
                if (error != reported)
                    FEnv.Err << "qelctl: unable to read the users dataset: " << error << '\n' << std::flush;
                reported = error;
                lastStamp.reset();
            }
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(interval);
        while (!stopped() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ExitOk;
}

// The board server starts without the users file too: its page says the
// share is away until it comes back.
int TSession::Serve(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine("serve", args, {}, {"--listen", "--department"});
    RequirePositional("serve", line, 0);
    TServeOptions options;
    if (!ParseListenAddress(line.Value("--listen").value_or(DefaultListenAddress), &options.Host, &options.Port))
        throw TUsageError{"serve: --listen needs ADDRESS:PORT, such as 127.0.0.1:8080 or [::1]:8080"};
    options.Department = line.Value("--department");
    if (!OpenDatabase(true))
        return ExitFailure;
    options.DatabaseFolder = FUsers->Location;
    options.EngineFolder = FEnv.EngineFolder;
    // Like watch, the server ends cleanly when Stop is set.
    if (FEnv.Stoppable)
        FEnv.Stoppable->store(true);
    return RunServe(options, FPlatform, FEnv.Err, FEnv.Stop);
}

int TSession::SetStatus(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine("status", args, {}, {});
    RequirePositional("status", line, 1);
    const std::string& status = line.Positional[0];
    if (status == "Offline")
        throw TUsageError{"status: \"Offline\" is set with \"qelctl offline\""};
    if (Trimmed(status).empty())
        return Fail("the status is blank");
    if (!FitsField("the status", status, 31) || !OpenDatabase())
        return ExitFailure;
    // One open: SaveStatus reads this computer's record itself and writes
    // nothing when it cannot.
    FContext.CurrentUser.Status = status;
    FBoxes.Hold = true;
    const bool read = FUsers->SaveStatus();
    FBoxes.Hold = false;
    if (FBoxes.Held.empty())
        return Verdict();
    std::string held = TerminalText(FBoxes.Held.front());
    std::replace(held.begin(), held.end(), '\r', ' ');
    if (!read)
        return Fail("cannot read the record of this computer (" + FPlatform.ComputerName() + "): " + held +
                    "\n(a computer whose user was deleted registers again with \"qelctl join FOLDER\")");
    return Fail(held);
}

int TSession::SetComment(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine("comment", args, {}, {});
    RequirePositional("comment", line, 1);
    if (!FitsField("the comment", line.Positional[0], 41) || !OpenDatabase() || !LoadOwnRecord())
        return ExitFailure;
    FContext.CurrentUser.Comments = line.Positional[0];
    FUsers->SaveUser();
    return Verdict();
}

int TSession::Offline(const std::vector<std::string>& args) {
    RequirePositional("offline", ParseCommandLine("offline", args, {}, {}), 0);
    if (!OpenDatabase() || !LoadOwnRecord())
        return ExitFailure;
    // As at the desktop program's exit: comments emptied, then "Offline".
    FContext.CurrentUser.Comments.clear();
    FUsers->SaveUser();
    if (FBoxes.Failures() > 0)
        return ExitFailure;
    FContext.CurrentUser.Status = "Offline";
    FUsers->SaveStatus();
    return Verdict();
}

int TSession::Send(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine("send", args, {}, {});
    RequirePositional("send", line, 3);
    const std::string to = UpperAscii(line.Positional[0]);
    if (!FitsField("the subject", line.Positional[1], 31) || !FitsField("the message text", line.Positional[2], 256))
        return ExitFailure;
    if (!OpenDatabase())
        return ExitFailure;
    TQelMessage messages(FContext, FUsers->Location);
    if (EngineMissing())
        return ExitFailure;
    messages.Send(to, FPlatform.ComputerName(), line.Positional[1], line.Positional[2]);
    return Verdict();
}

// The in-box list view and its counters, kept in memory.
class TInBoxRecorder : public IInBoxList, public IStatusPanels {
public:
    void BeginUpdate() override {}
    void Clear() override { Rows.clear(); }
    void AddItem(const TInBoxRow& row) override { Rows.push_back(row); }
    void EndUpdate() override {}
    void SetPanelText(int, const std::string&) override {}
    std::vector<TInBoxRow> Rows;
};

// A received time as the message store writes it (short date, blank, long
// time, in this computer's locale) as ISO 8601 with the offset from UTC,
// taken as this computer's local time; empty when the text is not in that
// form (a sender with another locale).
std::string IsoReceived(const std::string& text) {
    std::vector<std::locale> locales{std::locale::classic()};
    try {
        locales.insert(locales.begin(), std::locale(""));
    } catch (const std::runtime_error&) {
        // An unknown locale in the environment: the classic form only.
    }
    for (const std::locale& locale : locales) {
        std::istringstream in(text);
        in.imbue(locale);
        std::tm time{};
        in >> std::get_time(&time, "%x %X");
        if (in.fail() || in.peek() != std::char_traits<char>::eof())
            continue;
        time.tm_isdst = -1;
        const std::time_t when = std::mktime(&time);
        std::tm local{};
        if (when == -1 || !localtime_r(&when, &local))
            continue;
        char buffer[32];
        if (std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S%z", &local) != 24)
            continue;
        std::string iso(buffer);
        return iso.insert(22, ":");
    }
    return {};
}

// Sub-items of an in-box row.
enum { InBoxSubject = 0, InBoxType = 1, InBoxKey = 2, InBoxReceived = 3 };

std::string SubItem(const TInBoxRow& row, int index) {
    return static_cast<size_t>(index) < row.SubItems.size() ? row.SubItems[static_cast<size_t>(index)] : "";
}

// A JSON member value for a received time: the ISO 8601 string, or null
// when the stored text cannot be read as a time.
std::string JsonIsoTime(const std::string& text) {
    const std::string iso = IsoReceived(text);
    return iso.empty() ? "null" : JsonString(iso);
}

std::optional<std::vector<TInBoxRow>> TSession::InBoxRows() {
    TQelMessage messages(FContext, FUsers->Location);
    TInBoxRecorder recorder;
    if (!messages.LoadInBox(recorder, recorder))
        return std::nullopt;
    return recorder.Rows;
}

int TSession::InBox(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine("inbox", args, {"--json"}, {});
    RequirePositional("inbox", line, 0);
    if (!OpenDatabase())
        return ExitFailure;
    const auto inbox = InBoxRows();
    if (!inbox || EngineMissing())
        return ExitFailure;
    const std::vector<TInBoxRow>& rows = *inbox;
    if (!line.Has("--json")) {
        FEnv.Out << TsvLine({"Key", "From", "Subject", "Type", "Received"});
        for (const TInBoxRow& row : rows)
            FEnv.Out << TsvLine({SubItem(row, InBoxKey), row.Caption, SubItem(row, InBoxSubject),
                                 SubItem(row, InBoxType), SubItem(row, InBoxReceived)});
        return ExitOk;
    }
    int newCount = 0;
    int oldCount = 0;
    std::string items;
    for (const TInBoxRow& row : rows) {
        const std::string type = SubItem(row, InBoxType);
        newCount += type == MessageStateNew;
        oldCount += type == MessageStateOld;
        items += (items.empty() ? "{" : ",{");
        items += "\"key\":" + JsonString(SubItem(row, InBoxKey)) + ",\"from\":" + JsonString(row.Caption) +
                 ",\"subject\":" + JsonString(SubItem(row, InBoxSubject)) + ",\"type\":" + JsonString(type) +
                 ",\"received\":" + JsonIsoTime(SubItem(row, InBoxReceived)) + "}";
    }
    FEnv.Out << "{\"new\":" << newCount << ",\"old\":" << oldCount << ",\"total\":" << newCount + oldCount
             << ",\"messages\":[" << items << "]}\n";
    return ExitOk;
}

int TSession::ReadOrDelete(const std::string& command, const std::vector<std::string>& args, bool read) {
    const TCommandLine line = ParseCommandLine(command, args, {}, {});
    RequirePositional(command, line, 1);
    const std::string key = ParseMessageKey(command, line.Positional[0]);
    if (!OpenDatabase())
        return ExitFailure;
    // Only this computer's messages, as the in-box lists them.
    const auto rows = InBoxRows();
    if (!rows)
        return ExitFailure;
    if (std::none_of(rows->begin(), rows->end(), [&](const TInBoxRow& row) { return SubItem(row, InBoxKey) == key; }))
        return Fail("there is no message " + key + " for this computer (" + FPlatform.ComputerName() + ")");
    TQelMessage messages(FContext, FUsers->Location);
    if (!read) {
        messages.DeleteMessage(key);
        return Verdict();
    }
    const std::string text = messages.ReadMessageBody(key);
    if (FBoxes.Failures() > 0)
        return ExitFailure;
    FEnv.Out << TerminalText(text) << '\n' << std::flush;
    messages.MarkMessageOld(key);
    return Verdict();
}

int TSession::Catalogue(const std::string& command, const std::vector<std::string>& args) {
    const bool statuses = command.find("status") != std::string::npos;
    const std::string noun = statuses ? "status" : "department";
    const std::string Noun = statuses ? "Status" : "Department";
    const bool list = command == "statuses" || command == "departments";
    const bool add = command.compare(0, 4, "add-") == 0;
    const bool rename = command.compare(0, 7, "rename-") == 0;
    const TCommandLine line = ParseCommandLine(command, args, {}, {});
    RequirePositional(command, line, list ? 0 : rename ? 2 : 1);
    if (!OpenDatabase())
        return ExitFailure;
    if (!list) {
        if (const int code = CheckAdministrator(); code != ExitOk)
            return code;
    }
    TQelStatus statusObject(FContext);
    TQelDepartment departmentObject(FContext);
    if (EngineMissing())
        return ExitFailure;
    // As the dialogs do when they open: the catalogue exists from then on.
    if (statuses)
        statusObject.CreateStatusDataset();
    else
        departmentObject.CreateDepartmentDataset();
    if (FBoxes.Failures() > 0)
        return ExitFailure;
    TNumberedItems items;
    const auto load = [&] {
        if (statuses)
            statusObject.LoadStatuses(items);
        else
            departmentObject.LoadDepartments(items);
    };

    if (list) {
        load();
        for (const auto& item : items.Items)
            FEnv.Out << TsvLine({FormatKey(item.Number), item.Text});
        return Verdict();
    }
    const std::string& name = line.Positional[0];
    if (add) {
        if (Trimmed(name).empty())
            return Fail("a " + noun + " name cannot be blank");
        if (statuses)
            statusObject.AddStatus(name);
        else
            departmentObject.AddDepartment(name);
        return Verdict();
    }
    if (statuses && TQelStatus::IsBuiltInStatus(name))
        return Fail("the built-in status " + Quoted(name) + " cannot be " + (rename ? "renamed" : "deleted"));
    load();
    if (FBoxes.Failures() > 0)
        return ExitFailure;
    const auto found = std::find_if(items.Items.begin(), items.Items.end(),
                                    [&](const TNumberedItems::TItem& item) { return item.Text == name; });
    if (found == items.Items.end())
        return Fail(Noun + " " + Quoted(name) + " does not exist");
    if (rename) {
        const std::string& newName = line.Positional[1];
        if (Trimmed(newName).empty())
            return Fail("a " + noun + " name cannot be blank");
        if (statuses)
            statusObject.RenameStatus(name, newName);
        else
            departmentObject.RenameDepartment(name, newName);
    } else if (statuses) {
        statusObject.DeleteStatus(found->Number);
    } else {
        departmentObject.DeleteDepartment(found->Number);
    }
    return Verdict();
}

int TSession::Users(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine("users", args, {"--json"}, {});
    RequirePositional("users", line, 0);
    if (const int code = OpenAsAdministrator(); code != ExitOk)
        return code;
    const auto rows = ReadBoard();
    if (!rows)
        return ExitFailure;
    const bool json = line.Has("--json");
    std::string text =
        json ? "[" : TsvLine({"Key", "User", "Status", "Ext", "Department", "Comments", "Computer", "Admin"});
    for (const TUserRow& row : *rows) {
        const TQelUser& user = row.User;
        if (!json) {
            text += TsvLine({row.Key, user.UserName, user.Status, user.Extension, user.Department, user.Comments,
                             user.ComputerName, std::to_string(user.Administrator)});
            continue;
        }
        text += text.size() == 1 ? "{" : ",{";
        text += "\"key\":" + JsonString(row.Key) + "," + UserJsonMembers(user) + AdministratorJsonMember(user) + "}";
    }
    FEnv.Out << text << (json ? "]\n" : "");
    return ExitOk;
}

int TSession::SetUser(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine(
        "set-user", args, {}, {"--name", "--status", "--ext", "--department", "--comments", "--admin"});
    RequirePositional("set-user", line, 1);
    if (line.Values.empty())
        throw TUsageError{"set-user: give at least one of --name, --status, --ext, --department, --comments, --admin"};
    const auto admin = line.Value("--admin");
    if (admin && *admin != "0" && *admin != "1")
        throw TUsageError{"set-user: --admin takes 0 or 1"};
    struct TEdit {
        const char* Option;
        const char* What;
        size_t Size;
        std::string TQelUser::*Field;
    };
    const TEdit edits[] = {{"--name", "the user name", 21, &TQelUser::UserName},
                           {"--status", "the status", 31, &TQelUser::Status},
                           {"--ext", "the extension", 11, &TQelUser::Extension},
                           {"--department", "the department", 21, &TQelUser::Department},
                           {"--comments", "the comment", 41, &TQelUser::Comments}};
    for (const TEdit& edit : edits)
        if (const auto value = line.Value(edit.Option); value && !FitsField(edit.What, *value, edit.Size))
            return ExitFailure;
    const TUserLookup lookup = LookUpUser(line.Positional[0]);
    if (!lookup.Row)
        return lookup.Code;
    TQelUser& user = FContext.CurrentUser;
    user = lookup.Row->User;
    for (const TEdit& edit : edits)
        if (const auto value = line.Value(edit.Option))
            user.*edit.Field = *value;
    if (admin)
        user.Administrator = *admin == "1" ? 1 : 0;
    FUsers->SaveUser();
    return Verdict();
}

int TSession::DeleteUser(const std::vector<std::string>& args) {
    const TCommandLine line = ParseCommandLine("delete-user", args, {}, {});
    RequirePositional("delete-user", line, 1);
    const TUserLookup lookup = LookUpUser(line.Positional[0]);
    if (!lookup.Row)
        return lookup.Code;
    if (lookup.BoardSize <= 1)
        return Fail("the last user cannot be deleted");
    TNumberedItems list;
    list.Add(lookup.Row->User.UserName, KeyToNumber(lookup.Row->Key));
    list.Selected = 0;
    FUsers->DeleteUser(list);
    return Verdict();
}

using TArgs = std::vector<std::string>;

// One qelctl command: its name, its arguments as the usage shows them, what
// it does, and the session call that runs it.
struct TCommand {
    const char* Name;
    const char* Arguments;
    const char* Summary;
    int (*Run)(TSession& session, const std::string& command, const TArgs& args);
};

const TCommand Commands[] = {
    {"init", "FOLDER", "Creates a new database in FOLDER; this computer becomes its administrator.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.InitOrJoin(c, a, true); }},
    {"join", "FOLDER", "Joins the database in FOLDER and registers this computer.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.InitOrJoin(c, a, false); }},
    {"board", "[--department NAME] [--json]", "Prints the board in key order.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Board(c, a, false); }},
    {"watch", "[--department NAME] [--json] [--interval SECONDS]",
     "Prints the board whenever it changes (every 5 seconds by default) until interrupted.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Board(c, a, true); }},
    {"serve", "[--listen ADDRESS:PORT] [--department NAME]",
     "Serves the board to browsers, read-only (default 127.0.0.1:8080), until interrupted.",
     [](TSession& s, const std::string&, const TArgs& a) { return s.Serve(a); }},
    {"status", "NAME", "Sets this computer's status; \"Offline\" only through \"qelctl offline\".",
     [](TSession& s, const std::string&, const TArgs& a) { return s.SetStatus(a); }},
    {"comment", "TEXT", "Sets this computer's comments; an empty TEXT clears them.",
     [](TSession& s, const std::string&, const TArgs& a) { return s.SetComment(a); }},
    {"offline", "", "Empties this computer's comments, then sets its status \"Offline\".",
     [](TSession& s, const std::string&, const TArgs& a) { return s.Offline(a); }},
    {"send", "COMPUTER SUBJECT TEXT", "Sends a message to the user of COMPUTER.",
     [](TSession& s, const std::string&, const TArgs& a) { return s.Send(a); }},
    {"inbox", "[--json]", "Lists this computer's messages, newest first.",
     [](TSession& s, const std::string&, const TArgs& a) { return s.InBox(a); }},
    {"read", "KEY", "Prints a message's text and marks it old.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.ReadOrDelete(c, a, true); }},
    {"delete-message", "KEY", "Deletes one of this computer's messages.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.ReadOrDelete(c, a, false); }},
    {"statuses", "", "Lists the status catalogue: key, tab, name.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Catalogue(c, a); }},
    {"departments", "", "Lists the department catalogue: key, tab, name.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Catalogue(c, a); }},
    {"add-status", "NAME", "Administrators only: adds a status.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Catalogue(c, a); }},
    {"rename-status", "OLD NEW", "Administrators only: renames a status (not a built-in one).",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Catalogue(c, a); }},
    {"delete-status", "NAME", "Administrators only: deletes a status (not a built-in one).",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Catalogue(c, a); }},
    {"add-department", "NAME", "Administrators only: adds a department.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Catalogue(c, a); }},
    {"rename-department", "OLD NEW", "Administrators only: renames a department.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Catalogue(c, a); }},
    {"delete-department", "NAME", "Administrators only: deletes a department.",
     [](TSession& s, const std::string& c, const TArgs& a) { return s.Catalogue(c, a); }},
    {"users", "[--json]", "Administrators only: every user record with its key and administrator flag.",
     [](TSession& s, const std::string&, const TArgs& a) { return s.Users(a); }},
    {"set-user", "COMPUTER [--name T] [--status T] [--ext T] [--department T] [--comments T] [--admin 0|1]",
     "Administrators only: changes the given fields of COMPUTER's record; at least one is needed.",
     [](TSession& s, const std::string&, const TArgs& a) { return s.SetUser(a); }},
    {"delete-user", "COMPUTER", "Administrators only: deletes COMPUTER's record (never the last one).",
     [](TSession& s, const std::string&, const TArgs& a) { return s.DeleteUser(a); }},
};

const TCommand* FindCommand(const std::string& name) {
    for (const TCommand& command : Commands)
        if (name == command.Name)
            return &command;
    return nullptr;
}

std::string CommandHelp(const TCommand& command) {
    return std::string("usage: qelctl [GLOBAL OPTIONS] ") + command.Name + (*command.Arguments ? " " : "") +
           command.Arguments + "\n\n" + command.Summary + "\n";
}

// "-h" or "--help" among a command's arguments, before any "--".
bool AsksForHelp(const TArgs& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "-h" || arg == "--help")
            return true;
    }
    return false;
}

} // namespace

int RunQelCtl(const std::vector<std::string>& args, TCliEnvironment& environment) {
    try {
        std::optional<std::string> profile;
        std::optional<std::string> computer;
        std::optional<std::string> user;
        size_t i = 0;
        for (; i < args.size(); ++i) {
            const std::string& option = args[i];
            if (option == "--") {
                ++i;
                break;
            }
            if (option.size() < 2 || option[0] != '-')
                break;
            if (option == "-h" || option == "--help") {
                environment.Out << UsageText;
                return ExitOk;
            }
            if (option == "--version") {
                environment.Out << VersionText;
                return ExitOk;
            }
            const size_t equals = option.find('=');
            const std::string name = option.substr(0, equals);
            std::optional<std::string>* target = name == "--profile"    ? &profile
                                                 : name == "--computer" ? &computer
                                                 : name == "--user"     ? &user
                                                                        : nullptr;
            if (!target)
                throw TUsageError{"unknown option " + name};
            if (equals != std::string::npos)
                *target = option.substr(equals + 1);
            else if (i + 1 < args.size())
                *target = args[++i];
            else
                throw TUsageError{"option " + name + " needs a value"};
            if (target->value().empty())
                throw TUsageError{"option " + name + " needs a value that is not empty"};
        }
        if (i >= args.size())
            throw TUsageError{"no command given"};
        const std::string name = args[i];
        const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
        if (name == "help") {
            if (rest.empty()) {
                environment.Out << UsageText;
                return ExitOk;
            }
            const TCommand* command = rest.size() == 1 ? FindCommand(rest[0]) : nullptr;
            if (!command)
                throw TUsageError{rest.size() == 1 ? "no command " + Quoted(rest[0]) : "help takes one command"};
            environment.Out << CommandHelp(*command);
            return ExitOk;
        }
        const TCommand* command = FindCommand(name);
        if (!command)
            throw TUsageError{"unknown command " + Quoted(name)};
        if (AsksForHelp(rest)) {
            environment.Out << CommandHelp(*command);
            return ExitOk;
        }

        // A --profile file is used where it is named (relative to the current
        // folder); without one, the machine's Qel.ini as the desktop program uses it.
        std::string profileFile = keys::ProfileFileName;
        if (profile)
            profileFile = std::filesystem::absolute(*profile).lexically_normal().string();
        TCliPlatform platform(environment.Platform, computer, user);
        // A users record holds 20 bytes of computer and user name; a longer
        // identity would be stored cut and never found again.
        if (const std::string computerName = platform.ComputerName();
            computerName.size() > 20 || computerName.empty()) {
            environment.Err << "qelctl: the computer name \"" << computerName
                            << "\" does not fit a users record (1 to 20 bytes); give another with --computer\n";
            return ExitFailure;
        }
        if (user && user->size() > 20) {
            environment.Err << "qelctl: the user name \"" << *user << "\" is longer than 20 bytes\n";
            return ExitFailure;
        }
        TSession session(environment, platform, profileFile);
        return command->Run(session, name, rest);
    } catch (const TUsageError& error) {
        environment.Err << "qelctl: " << error.Text << ". Try 'qelctl --help'.\n";
        return ExitUsage;
    } catch (const EIniFileError& error) {
        environment.Err << "qelctl: " << error.what() << '\n';
        return ExitFailure;
    } catch (const std::filesystem::filesystem_error& error) {
        environment.Err << "qelctl: " << error.what() << '\n';
        return ExitFailure;
    }
}

} // namespace qel::cli
