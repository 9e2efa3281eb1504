// The board as an office of many desks feels it, each figure against a baseline of the same run: the refill into the
// real board widget (vs raw SQLite and a bare QTreeWidget), start-up (vs a bare window), file operations per action
// counted by the ShareShim preload, the longest GUI stall during ticks at 5 ms per operation, and resident memory (vs
// 10 users). Usage: board_bench [USERS [MESSAGES]] (default 1000 and 100000; the stall and memory runs use ten times
// USERS). The sub-modes are run by the main one.

#include "app/Images.h"
#include "app/Main.h"
#include "app/MainDialogs.h"
#include "bench/BenchSupport.h"
#include "records/QelFile.h"
#include "records/RecordsCommon.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <QTreeWidget>

#include <sqlite3.h>

#include <dlfcn.h>
#include <fstream>
#include <functional>
#include <utime.h>

namespace qel::bench {
namespace {

using namespace qel::test;

std::string Computer(int i) {
    return "PC" + std::to_string(100000 + i).substr(1);
}

// `count` users in a new users dataset in `folder`; computer 1 is this one.
void MakeUsers(const std::string& folder, int count) {
    static const char* const statuses[] = {"Available", "At lunch", "In meeting", "Gone home", "Working late"};
    TIsamFile isam;
    if (!isam.CreateDataset(folder + UsersDatasetName, DatasetKeyLength, UsersLayoutText) ||
        !isam.OpenDataset(folder + UsersDatasetName, DatasetOpenMode))
        Die("cannot create the users dataset");
    TRecordBuffer buffer(UsersLayout());
    for (int i = 1; i <= count; ++i) {
        TQelUser user;
        user.UserName = "User number " + std::to_string(i);
        user.Status = statuses[i % 5];
        user.Extension = std::to_string(1000 + i);
        user.Department = "Department " + std::to_string(i % 20);
        user.Comments = i % 3 ? "" : "back at three";
        user.ComputerName = Computer(i);
        WriteUserRecord(buffer, user);
        if (!isam.AddRecord(buffer.Data(), FormatKey(i)))
            Die("cannot add user " + std::to_string(i));
    }
    isam.CloseDataset();
}

// Another computer changes its status; the file's stamp moves past the two-second step of the one seen.
void PeerChanges(const std::string& folder, const std::string& status) {
    TStation peer(Computer(2), folder);
    peer.Context.CurrentUser.Status = status;
    TQelFile(peer.Context).SaveStatus();
    const utimbuf times{std::time(nullptr) + 10, std::time(nullptr) + 10};
    utime((folder + UsersDatasetName + ".isd").c_str(), &times);
}

// Computer 1 with its profile naming `folder`, made before a start is timed.
struct TDesk {
    explicit TDesk(const std::string& folder) {
        Platform.ComputerNameValue = Computer(1);
        TIniFile ini(Platform, keys::ProfileFileName);
        ini.WriteString(keys::Locations, keys::DBaseLocation, folder);
        ini.WriteBool(keys::Qel, keys::FirstTimeRun, false);
    }
    TScratchFolder Root;
    TFakePlatform Platform{Root.Path()};
};

// The real window on that computer, started as the program starts.
struct TProgram {
    explicit TProgram(const std::string& folder) : TProgram(std::make_shared<TDesk>(folder)) {}
    explicit TProgram(std::shared_ptr<TDesk> desk) : Desk(std::move(desk)) {
        if (!Main.FormCreate())
            Die("the window did not start");
        Dialogs.Create(Main);
        Main.show();
        WaitFor([&] { return Main.Controller().Shown(); });
    }
    static void WaitFor(const std::function<bool()>& done) {
        const auto start = Clock::now();
        while (!done()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            if (MsSince(start) > 600000)
                Die("gave up waiting after 10 minutes");
        }
    }
    std::shared_ptr<TDesk> Desk;
    TQtMainDialogs Dialogs;
    TfrmMain Main{Desk->Platform, Dialogs};
};

// The baseline: a bare tree with the same columns, rows and images.
void FillBare(QTreeWidget& tree, const std::vector<TBoardRow>& rows) {
    tree.setColumnCount(6);
    for (const TBoardRow& row : rows) {
        auto* item = new QTreeWidgetItem(&tree);
        item->setText(0, QString::fromStdString(row.Caption));
        for (size_t i = 0; i < row.SubItems.size(); ++i)
            item->setText(static_cast<int>(i) + 1, QString::fromStdString(row.SubItems[i]));
        item->setIcon(0, images::SmallPic(row.ImageIndex));
    }
}

// Returns the board's rows.
std::vector<TBoardRow> Refill(const std::string& folder, int users) {
    MakeUsers(folder, users);
    TProgram program(folder);
    TQelFile& file = program.Main.Controller().Users();
    IBoardList& board = program.Main.BoardList();
    const double refill = Median(9, [&](int) { file.ListUsers(board); });
    const std::vector<TBoardRow> rows = file.ReadBoard(nullptr).Rows;
    QTreeWidget bare;
    bare.show();
    const double bareFill = Median(9, [&](int) {
        bare.setUpdatesEnabled(false);
        bare.clear();
        FillBare(bare, rows);
        bare.setUpdatesEnabled(true);
    });
    const std::string path = folder + UsersDatasetName + ".isd";
    const double raw = Median(9, [&](int) {
        sqlite3* db = nullptr;
        sqlite3_stmt* select = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_prepare_v2(db, "SELECT key, data FROM records ORDER BY key", -1, &select, nullptr);
        std::vector<std::string> got;
        while (sqlite3_step(select) == SQLITE_ROW)
            got.emplace_back(static_cast<const char*>(sqlite3_column_blob(select, 1)), sqlite3_column_bytes(select, 1));
        sqlite3_finalize(select);
        sqlite3_close(db);
    });
    std::printf("refill of %d users: %.2f ms; raw SQLite %.3f ms (x%.1f, target <= 30); bare QTreeWidget %.2f ms "
                "(x%.2f, target <= 2)\n",
                users, refill, raw, refill / raw, bareFill, refill / bareFill);
    return rows;
}

// Both sides alternate, nine runs each; the medians are compared. The bare window takes the real one's size, so both
// paint as many rows.
void StartUp(const std::string& folder, const std::vector<TBoardRow>& rows) {
    std::vector<double> real, bare;
    for (int run = 0; run < 9; ++run) {
        auto desk = std::make_shared<TDesk>(folder);
        auto start = Clock::now();
        QSize size;
        {
            TProgram program(desk);
            QApplication::processEvents();
            real.push_back(MsSince(start));
            size = program.Main.size();
        }
        start = Clock::now();
        QTreeWidget window;
        FillBare(window, rows);
        window.resize(size);
        window.show();
        QApplication::processEvents();
        bare.push_back(MsSince(start));
    }
    std::printf(
        "start-up to a filled board of %zu users: %.1f ms; bare window of that size %.1f ms (x%.2f, target <= 2)\n",
        rows.size(), MedianOf(real), MedianOf(bare), MedianOf(real) / MedianOf(bare));
}

// Runs `program` with `args` under the share preload watching `share` (and `extra` in its environment); returns what it
// printed.
std::string RunUnderShim(const std::string& program, const QStringList& args, const std::string& share,
                         const std::pair<QString, QString>& extra = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LD_PRELOAD", QCoreApplication::applicationDirPath() + "/libqel_share_shim.so");
    environment.insert("QEL_SHARE", QString::fromStdString(share));
    if (!extra.first.isEmpty())
        environment.insert(extra.first, extra.second);
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QString::fromStdString(program), args);
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        Die(program + " failed under the share shim");
    return child.readAllStandardOutput().toStdString();
}

// A function of the preloaded shim.
template <typename F> F* Shim(const char* name) {
    auto* function = reinterpret_cast<F*>(dlsym(RTLD_DEFAULT, name));
    if (!function)
        Die("the share shim is not preloaded");
    return function;
}

void PrintOps(const char* action, long ops) {
    std::printf("  %-44s %5ld round trips = %6.0f ms at 1 ms, %6.0f ms at 5 ms\n", action, ops, ops * 1.0, ops * 5.0);
}

// In the preloaded child: the file operations of each action.
void CountOps(TProgram& program, const std::string& folder, int users, int messages) {
    TMainController& controller = program.Main.Controller();
    const auto count = [ops = Shim<long()>("qel_share_ops")](const std::string& what,
                                                             const std::function<void()>& action) {
        const long before = ops();
        action();
        PrintOps(what.c_str(), ops() - before);
    };
    const auto tick = [&] {
        controller.RefreshTick();
        QApplication::processEvents();
    };
    PeerChanges(folder, "Gone home");
    count("refresh after a peer's change, " + std::to_string(users) + " users", [&] {
        controller.RefreshTick();
        TProgram::WaitFor([&] { return controller.BoardRows().at(1).SubItems[0] == "Gone home"; });
    });
    count("own status change (write and refill)", [&] { controller.SetStatus("In meeting"); });
    count("the tick after it", tick);
    // A dialog's write (a comment) and its refill through the window's hooks.
    count("a comment from its dialog (write and refill)", [&] {
        controller.Context().CurrentUser.Comments = "Back at three";
        controller.Users().SaveUser();
        controller.Users().ListUsers(static_cast<IMainWindowHooks&>(program.Dialogs).Board());
    });
    count("the tick after it", tick);

    // qelctl status, a process of its own: the shim reports at its exit.
    const std::string report = folder + "qelctl.ops";
    RunUnderShim(QCoreApplication::applicationDirPath().toStdString() + "/qelctl",
                 {"--profile", QString::fromStdString(program.Desk->Root.Path() + "config/Qel.ini"), "--computer",
                  QString::fromStdString(Computer(1)), "status", "DND"},
                 folder, {"QEL_SHARE_REPORT", QString::fromStdString(report)});
    long qelctlOps = 0, qelctlOpens = 0;
    std::ifstream(report) >> qelctlOps >> qelctlOpens;
    PrintOps(("qelctl status (" + std::to_string(qelctlOpens) + " open of the users dataset)").c_str(), qelctlOps);

    TDatasetWriter writer(folder);
    for (int i = 0; i < messages; ++i)
        if (writer.AddMessage({.To = Computer(i % 100 + 1), .Text = "Message " + std::to_string(i)}).empty())
            Die("cannot store message " + std::to_string(i));
    TStation sender(Computer(3), folder);
    TQelMessage store(sender.Context, folder);
    count("send into " + std::to_string(messages) + " messages",
          [&] { store.Send(Computer(1), Computer(3), "Subject", "A message among many"); });
}

// In the preloaded child: the longest event-loop gap while a tick reads.
void Stall(TProgram& program, const std::string& folder) {
    TMainController& controller = program.Main.Controller();
    TStation peer(Computer(2), folder);
    TQelMessage(peer.Context, folder).Send(Computer(1), Computer(2), "Subject", "Text");
    Shim<void(long)>("qel_share_set_delay")(5000);
    double longest = 0;
    auto last = Clock::now();
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, MsSince(last));
        last = Clock::now();
    });
    probe.start(1);
    const auto measure = [&](const char* what, const std::function<void()>& tick, const std::function<bool()>& done) {
        QApplication::processEvents();
        longest = 0;
        last = Clock::now();
        const auto start = Clock::now();
        tick();
        TProgram::WaitFor(done);
        std::printf("  %-30s longest stall %6.1f ms (target <= 100) while the read took %6.0f ms\n", what, longest,
                    MsSince(start));
    };
    PeerChanges(folder, "Gone home");
    measure(
        "refresh tick", [&] { controller.RefreshTick(); },
        [&] { return controller.BoardRows().size() > 1 && controller.BoardRows()[1].SubItems[0] == "Gone home"; });
    measure(
        "message tick", [&] { controller.MessageTick(); }, [&] { return controller.NewMailState(); });
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

} // namespace
} // namespace qel::bench

int main(int argc, char** argv) {
    using namespace qel::bench;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Datasets in memory when the machine offers it: building them is not bound by the disk's flushes.
    if (std::filesystem::is_directory("/dev/shm"))
        setenv("TMPDIR", "/dev/shm", 0);
    QApplication application(argc, argv);
    const std::string mode = argc > 1 && !std::isdigit(static_cast<unsigned char>(argv[1][0])) ? argv[1] : "all";
    const int first = mode == "all" ? 1 : 2;
    const int users = argc > first ? std::atoi(argv[first]) : 1000;
    const int messages = argc > first + 1 ? std::atoi(argv[first + 1]) : 100000;
    const qel::TScratchFolder scratch;
    // The sub-modes work in the folder the shim watches.
    const std::string folder = mode == "all" ? scratch.Path() : std::getenv("QEL_SHARE");
    if (mode != "all") {
        MakeUsers(folder, users);
        TProgram program(folder);
        if (mode == "ops")
            CountOps(program, folder, users, messages);
        if (mode == "stall")
            Stall(program, folder);
        QApplication::processEvents();
        if (mode == "memory")
            std::printf("%ld\n", ResidentKb());
        return 0;
    }
    std::filesystem::create_directory(folder + "share");
    StartUp(folder, Refill(folder, users));
    const std::string share = folder + "share/";
    const auto child = [&](const std::string& childMode, int childUsers) {
        std::filesystem::remove_all(share);
        std::filesystem::create_directory(share);
        return RunUnderShim(QCoreApplication::applicationFilePath().toStdString(),
                            {QString::fromStdString(childMode), QString::number(childUsers), QString::number(messages)},
                            share);
    };
    std::printf("file operations on the shared folder:\n%s", child("ops", users).c_str());
    std::printf("GUI during ticks, %d users, 5 ms per file operation:\n%s", users * 10,
                child("stall", users * 10).c_str());
    const long small = std::stol(child("memory", 10)), large = std::stol(child("memory", users * 10));
    std::printf("memory: %d users %.1f MB resident, 10 users %.1f MB: %.1f MB more (target <= 20)\n", users * 10,
                large / 1024.0, small / 1024.0, (large - small) / 1024.0);
    return 0;
}
