#include "settings/Autostart.h"
#include "TestEnvironment.h"
#include "platform/FakePlatform.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/Recorders.h"

#include <gtest/gtest.h>

namespace qel::test {
namespace {

// The entry starts the stored program and is confirmed; a missing or unset
// program or a refused write is an error box and no confirmation.
TEST(Autostart, EntryStartsTheStoredProgramOrTheReasonIsShown) {
    struct TCase {
        bool ProgramExists, LocationSet, FailWrites;
        const char* Error; // "" when the entry is made; "%" stands for the program, "&" for the entry
    };
    const TCase cases[] = {{true, true, false, ""},
                           {false, true, false, "% does not exist"},
                           {false, false, false, "Not_Entered does not exist"},
                           {true, true, true, "&: No space left on device"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Error);
        TScratchFolder scratch;
        TFakePlatform platform{scratch.Path()};
        TIniFile settings{platform, keys::ProfileFileName};
        TUiRecorder boxes;
        const std::string entry = platform.AutostartFolder() + "Qel.desktop", program = scratch.Path() + "qel";
        if (c.ProgramExists)
            Spit(program, "#!/bin/sh\n", 0755);
        if (c.LocationSet)
            settings.WriteString(keys::Locations, keys::FileLocation, program);
        platform.FailWrites = c.FailWrites;
        std::string error = c.Error;
        for (const auto& [mark, text] : {std::pair{"%", program}, {"&", entry}})
            if (const size_t at = error.find(mark); at != std::string::npos)
                error.replace(at, 1, text);
        EXPECT_EQ(CreateAutostartShortcut(settings, platform, boxes), error.empty());
        const TShownBox box = error.empty()
                                  ? TShownBox{TBoxKind::Information, "Qel will now start automatically on startup"}
                                  : TShownBox{TBoxKind::Error, "Cannot create the autostart entry: " + error};
        EXPECT_EQ(boxes.Boxes, std::vector<TShownBox>{box});
        EXPECT_EQ(Slurp(entry), error.empty() ? "[Desktop Entry]\nType=Application\nName=Qel\nExec=" + program +
                                                    "\nX-GNOME-Autostart-enabled=true\n"
                                              : "");
    }
}

} // namespace
} // namespace qel::test
