// qelctl's command line: help, version, option forms, "--", one-line usage errors.

#include "cli/QelCtl.h"
#include "platform/FakePlatform.h"
#include "qel/Version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace qel::cli {
namespace {

struct TLineCase {
    std::vector<std::string> Args; // after the global --profile
    int Code;
    std::string Out; // the start of standard output
    std::string Err; // the start of standard error
};

TEST(CommandLine, HelpVersionOptionsAndUsageErrors) {
    TScratchFolder root;
    TFakePlatform platform(root.Path());
    const std::string usageEnd = ". Try 'qelctl --help'.\n";
    const TLineCase cases[] = {
        {{"--version"}, ExitOk, "qelctl (Qel) " QEL_VERSION "\n", ""},
        {{"-h"}, ExitOk, "usage: qelctl [--profile FILE]", ""},
        {{"help", "set-user"}, ExitOk, "usage: qelctl [GLOBAL OPTIONS] set-user COMPUTER [--name T]", ""},
        {{"board", "--json", "-h"}, ExitOk, "usage: qelctl [GLOBAL OPTIONS] board [--department NAME]", ""},
        {{"--", "comment", "--", "--help"}, ExitFailure, "", "qelctl: no database folder is set"},
        {{"board", "--department=IT", "--wide"}, ExitUsage, "", "qelctl: board: unknown option --wide" + usageEnd},
        {{"board", "--json=yes"}, ExitUsage, "", "qelctl: board: option --json takes no value" + usageEnd},
        {{"set-user", "PC2"}, ExitUsage, "", "qelctl: set-user: give at least one of --name"},
        {{"help", "frobnicate"}, ExitUsage, "", "qelctl: no command \"frobnicate\"" + usageEnd},
        {{"--colour", "red", "board"}, ExitUsage, "", "qelctl: unknown option --colour" + usageEnd},
        {{}, ExitUsage, "", "qelctl: no command given" + usageEnd},
    };
    for (const TLineCase& c : cases) {
        std::vector<std::string> args{"--profile=" + root.Path() + "Qel.ini"};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        std::ostringstream out;
        std::ostringstream err;
        TCliEnvironment environment{platform, out, err, {}, nullptr};
        const std::string line = c.Args.empty() ? "(none)" : c.Args[0] + " ...";
        EXPECT_EQ(RunQelCtl(args, environment), c.Code) << line;
        EXPECT_EQ(out.str().rfind(c.Out, 0), 0u) << line << ": " << out.str();
        EXPECT_EQ(err.str().rfind(c.Err, 0), 0u) << line << ": " << err.str();
        const std::string errors = err.str();
        EXPECT_TRUE(c.Code != ExitUsage || std::count(errors.begin(), errors.end(), '\n') == 1) << line;
    }
}

} // namespace
} // namespace qel::cli
