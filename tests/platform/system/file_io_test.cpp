#include "platform/system/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "tests/support/device_node.h"
#include "tests/support/file_access.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/other_process.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::FileRead;
using testing_support::TempFolder;

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    return names;
}

bool IsCharacterDevice(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

TEST(ReadRegularFile, ReadsOnlyRegularFilesWithinTheBound) {
    TempFolder folder;
    Put(folder.file("small"), "abc");
    Put(folder.file("big"), std::string(100, 'x'));
    Put(folder.file("exact"), std::string(10, 'y'));
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink(folder.file("small").c_str(), folder.file("link").c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", folder.file("zero").c_str()), 0);

    struct Case {
        std::string path;
        FileRead::Outcome outcome;
        std::string bytes;
    } cases[] = {
        {folder.file("small"), FileRead::Outcome::Read, "abc"},
        {folder.file("link"), FileRead::Outcome::Read, "abc"},
        {folder.file("exact"), FileRead::Outcome::Read, std::string(10, 'y')},
        {folder.file("big"), FileRead::Outcome::TooLarge, ""},
        {folder.file("none"), FileRead::Outcome::Missing, ""},
        // A FIFO with no writer would block a plain open for ever; /dev/zero would never end.
        {folder.file("fifo"), FileRead::Outcome::NotRegular, ""},
        {folder.file("zero"), FileRead::Outcome::NotRegular, ""},
        {"/dev/zero", FileRead::Outcome::NotRegular, ""},
        {folder.path(), FileRead::Outcome::NotRegular, ""},
    };
    for (const Case& c : cases) {
        const FileRead read = platform::ReadRegularFile(c.path, 10);
        EXPECT_EQ(read.outcome, c.outcome) << c.path;
        EXPECT_EQ(read.bytes, c.bytes) << c.path;
    }
}

TEST(ReplaceFile, ReplacesTheFileAndKeepsALinkToIt) {
    TempFolder folder;
    Put(folder.file("target"), "old");
    chmod(folder.file("target").c_str(), 0640);
    ASSERT_EQ(symlink("target", folder.file("link").c_str()), 0);

    ASSERT_TRUE(platform::ReplaceFile(folder.file("link"), "new bytes"));
    EXPECT_EQ(Contents(folder.file("target")), "new bytes");
    struct stat info;
    ASSERT_EQ(lstat(folder.file("link").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(folder.file("target").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    ASSERT_TRUE(platform::ReplaceFile(folder.file("fresh"), ""));
    EXPECT_EQ(Contents(folder.file("fresh")), "");
}

TEST(ReplaceFile, RefusesWhatIsNotARegularFile) {
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("fifo", folder.file("fifo.zkv").c_str()), 0);
    ASSERT_EQ(mkdir(folder.file("folder").c_str(), 0700), 0);
    std::vector<std::string> names{"fifo", "fifo.zkv", "folder"};
    // A device node of our own, never the system's: a save that went wrong would replace it.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(mknod(folder.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        ASSERT_EQ(symlink("null", folder.file("null.zkv").c_str()), 0);
        names.insert(names.end(), {"null", "null.zkv"});
    }

    for (const std::string& name : names) {
        EXPECT_FALSE(platform::ReplaceFile(folder.file(name), "project")) << name;
    }
    struct stat info;
    ASSERT_EQ(lstat(folder.file("fifo").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(lstat(folder.file("fifo.zkv").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    if (root) {
        EXPECT_TRUE(IsCharacterDevice(folder.file("null")));
    }
}

TEST(ReplaceFile, AWriteThatDoesNotReachTheDiskKeepsTheOldFile) {
    TempFolder folder;
    const std::string path = folder.file("project.zkv");
    const std::string old(3433, 'o');
    Put(path, old);

    // The child may write files of at most 4096 bytes, as a disk that fills during the save.
    const bool saved = testing_support::RunWithFileSizeLimit(
        4096, [&] { return static_cast<bool>(platform::ReplaceFile(path, std::string(4983, 'n'))); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(Contents(path), old);
    EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"project.zkv"});

    EXPECT_TRUE(testing_support::RunWithFileSizeLimit(
        8192, [&] { return static_cast<bool>(platform::ReplaceFile(path, std::string(4983, 'n'))); }));
    EXPECT_EQ(Contents(path), std::string(4983, 'n'));
}

TEST(ReplaceFile, RemovesTemporariesThatDeadProcessesLeft) {
    TempFolder folder;
    const std::string dead = std::to_string(testing_support::EndedProcessId());
    const std::string alive = std::to_string(getppid());
    const std::string staleName = folder.file(".book.xlsx." + dead + ".0");
    const std::string liveName = folder.file(".book.xlsx." + alive + ".0");
    const std::string otherName = folder.file(".other.xlsx." + dead + ".0");
    for (const std::string& name : {staleName, liveName, otherName}) Put(name, "partial");

    ASSERT_TRUE(platform::ReplaceFile(folder.file("book.xlsx"), "whole"));
    EXPECT_EQ(access(staleName.c_str(), F_OK), -1);
    // Another running save and other files' temporaries are left alone.
    EXPECT_EQ(access(liveName.c_str(), F_OK), 0);
    EXPECT_EQ(access(otherName.c_str(), F_OK), 0);
}

TEST(ReplaceFile, AFolderThatTakesNoNewFileFailsAndKeepsTheOldFile) {
    TempFolder folder;
    const testing_support::LockedFolder locked(folder.file("locked"), "settings.ini", "[Project]\r\n");
    const testing_support::ObeyFilePermissions obey;
    EXPECT_FALSE(platform::ReplaceFile(locked.file(), "[Other]\r\n"));
    EXPECT_EQ(Contents(locked.file()), "[Project]\r\n");
}

TEST(RemoveStaleTemporaries, RemovesOnlyThoseOfDeadProcessesForNamesOfThePrefix) {
    TempFolder folder;
    const std::string dead = std::to_string(testing_support::EndedProcessId());
    const std::string alive = std::to_string(getppid());
    const std::vector<std::string> names = {
        ".Протокол поверки ДД 2024.03.05 09.07.03.xlsx." + dead + ".0",  // stale: removed
        ".Протокол поверки ДД 2024.03.05 09.07.03.xlsx." + alive + ".1",  // still being written
        ".Протокол калибровки ДД 2024.03.05 09.07.03.xlsx." + dead + ".0",  // another prefix
        "Протокол поверки ДД 2024.03.05 09.07.03.xlsx",  // the protocol itself
        ".Протокол поверки ДД." + dead,  // no attempt number: not ours
    };
    for (const std::string& name : names) Put(folder.file(name), "x");
    platform::RemoveStaleTemporaries(folder.path(), "Протокол поверки ДД");
    platform::RemoveStaleTemporaries(folder.path(), "");
    std::vector<std::string> left = Entries(folder.path());
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected(names.begin() + 1, names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
}

TEST(WriteTemporaryBeside, MakesAWholeFileBesideTheTargetOrNone) {
    TempFolder folder;
    Put(folder.file("book.xlsx"), "old");
    const platform::TemporaryFile made = platform::WriteTemporaryBeside(folder.file("book.xlsx"), "new");
    ASSERT_TRUE(made);
    EXPECT_EQ(made.path.rfind(folder.file(".book.xlsx." + std::to_string(getpid()) + "."), 0), 0u) << made.path;
    EXPECT_EQ(Contents(made.path), "new");
    EXPECT_EQ(Contents(folder.file("book.xlsx")), "old");
    unlink(made.path.c_str());

    EXPECT_FALSE(testing_support::RunWithFileSizeLimit(4096, [&] {
        return static_cast<bool>(platform::WriteTemporaryBeside(folder.file("book.xlsx"), std::string(5000, 'n')));
    }));
    EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"book.xlsx"});
}

TEST(KeepAside, MovesWhateverStandsThereToAFreeNameOfItsOwn) {
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.file("zkvdesk.ini").c_str(), 0600), 0);
    const platform::KeptAside first = platform::KeepAside(folder.file("zkvdesk.ini"), "unreadable-1");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.path, folder.file("zkvdesk.ini.unreadable-1"));
    struct stat info;
    ASSERT_EQ(lstat(first.path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_NE(access(folder.file("zkvdesk.ini").c_str(), F_OK), 0);

    // A link is moved as a link; its target is not touched. The name taken before is not reused.
    const std::string device = testing_support::DeviceLike(folder, "null");
    ASSERT_FALSE(device.empty());
    ASSERT_EQ(symlink(device.c_str(), folder.file("zkvdesk.ini").c_str()), 0);
    const platform::KeptAside second = platform::KeepAside(folder.file("zkvdesk.ini"), "unreadable-1");
    ASSERT_TRUE(second);
    EXPECT_EQ(second.path, folder.file("zkvdesk.ini.unreadable-1-2"));
    ASSERT_EQ(lstat(second.path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_TRUE(IsCharacterDevice(device));
    ASSERT_EQ(lstat(first.path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    EXPECT_FALSE(platform::KeepAside(folder.file("missing.ini"), "unreadable-1"));
}

}  // namespace
