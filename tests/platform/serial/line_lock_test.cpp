#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/serial/line_lock.h"
#include "platform/serial/pseudo_terminal.h"
#include "platform/serial/serial_line.h"
#include "tests/support/other_process.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::OtherProcess;

std::string LockText(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
    return text;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Someone else's use of a line, made before we open it.
class LineHolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        lockFile = platform::LockFilePath(pty.devicePath());
    }

    testing_support::LockFolderScope locks;
    platform::PseudoTerminal pty;
    std::string lockFile;
};

TEST_F(LineHolders, TheLockFileIsNamedAfterTheDeviceALinkLeadsTo) {
    testing_support::TempFolder ports;
    const std::string entry = ports.file("COM3");
    fs::create_symlink(pty.devicePath(), entry);
    const std::string expected = locks.path() + "/LCK.." + fs::path(pty.devicePath()).filename().string();
    EXPECT_EQ(platform::LockFilePath(entry), expected);
    EXPECT_EQ(platform::LockFilePath(pty.devicePath()), expected);
}

TEST_F(LineHolders, AnOpenLineKeepsItsLockFileAndClosingRemovesIt) {
    auto line = platform::OpenSerialLine(pty.devicePath(), {});
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(FileText(lockFile), LockText(getpid()));
    EXPECT_EQ(fs::status(lockFile).permissions() & fs::perms::others_read, fs::perms::others_read)
        << "other programs read whose it is";
    line.reset();
    EXPECT_FALSE(fs::exists(lockFile));
    EXPECT_EQ(std::distance(fs::directory_iterator(locks.path()), fs::directory_iterator()), 0)
        << "nothing is left behind in the folder";
}

TEST_F(LineHolders, ALineAnotherProcessUsesCountsAsAbsent) {
    struct Case {
        const char* what;
        std::function<std::unique_ptr<OtherProcess>(const std::string& lockFile)> meanwhile;
        bool opens;
    } cases[] = {
        {"another process has it open, without flock or lock file",
         [&](const std::string&) { return std::make_unique<OtherProcess>(pty.devicePath()); },
         false},
        {"the far end's own process has it open too",
         [&](const std::string&) { return std::make_unique<OtherProcess>(pty.devicePath(), pty.farEnd()); },
         true},
        {"a live process's lock file names it",
         [&](const std::string& file) {
             auto holder = std::make_unique<OtherProcess>("/dev/null");
             WriteFile(file, LockText(holder->pid()));
             return holder;
         },
         false},
        {"the lock file of a process that has ended names it",
         [](const std::string& file) {
             WriteFile(file, LockText(testing_support::EndedProcessId()));
             return nullptr;
         },
         true},
        {"a lock file names no process",
         [](const std::string& file) {
             WriteFile(file, "locked by someone\n");
             return nullptr;
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(lockFile);
        const auto other = c.meanwhile(lockFile);
        if (other) {
            ASSERT_TRUE(other->ok());
        }
        const std::string before = FileText(lockFile);

        auto line = platform::OpenSerialLine(pty.devicePath(), {});
        EXPECT_EQ(line != nullptr, c.opens);
        if (line) {
            EXPECT_EQ(FileText(lockFile), LockText(getpid())) << "a lock of nobody alive is taken over";
            line.reset();
            EXPECT_FALSE(fs::exists(lockFile));
        } else {
            EXPECT_EQ(FileText(lockFile), before) << "someone else's lock stays as it was";
        }
    }
}

TEST_F(LineHolders, TheLineIsFreeAgainOnceItsHolderHasEnded) {
    {
        OtherProcess other(pty.devicePath());
        ASSERT_TRUE(other.ok());
        EXPECT_EQ(platform::OpenSerialLine(pty.devicePath(), {}), nullptr);
    }
    EXPECT_NE(platform::OpenSerialLine(pty.devicePath(), {}), nullptr);
}

}  // namespace
