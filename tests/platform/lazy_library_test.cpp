// Functions of libraries loaded on first use: found, or a clear error.
#include "platform/lazy_library.h"

#include <commdlg.h>
#include <gtest/gtest.h>

#include <string>

#include "core/errors.h"

namespace {

TEST(LazyLibrary, FindsSystemFunctionsAndNamesWhatIsMissing) {
    struct Case {
        const char* dll;
        const char* proc;
        bool found;
    } cases[] = {
        {"comdlg32.dll", "GetSaveFileNameA", true},
        {"shell32.dll", "ShellExecuteA", true},
        {"bcrypt.dll", "BCryptGenRandom", true},
        {"comdlg32.dll", "NoSuchFunction", false},
        {"no_such_library.dll", "GetSaveFileNameA", false},
    };
    for (const Case& c : cases) {
        if (c.found) {
            EXPECT_NE(velt::platform::SystemProc(c.dll, c.proc), nullptr) << c.dll;
        } else {
            try {
                velt::platform::SystemProc(c.dll, c.proc);
                ADD_FAILURE() << c.dll << " " << c.proc << " was found";
            } catch (const velt::Exception& e) {
                EXPECT_FALSE(std::string(e.what()).empty()) << c.dll;
            }
        }
    }
    // The typed form calls through.
    auto* commDlgExtendedError = velt::platform::SystemFunction<decltype(CommDlgExtendedError)>("comdlg32.dll", "CommDlgExtendedError");
    EXPECT_EQ(commDlgExtendedError(), 0u);
}

} // namespace
