#include "app/project/project_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/class_library/mem_ini_file.h"
#include "tests/app/project/test_form.h"
#include "tests/support/file_access.h"
#include "tests/support/device_node.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/printers.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::TMemIniFile;
using project::LoadSaveProject;
using project_testing::Cell;
using project_testing::Items;
using project_testing::SetCell;
using project_testing::U;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class ProjectStore : public ::testing::Test {
protected:
    ProjectStore() {
        scope = {f.forms(), QString::fromStdString(folder.file("zkvdesk.ini")), f.form.get(), "Base"};
    }

    std::string settings() const { return folder.file("zkvdesk.ini"); }
    QString file(const std::string& name) const { return QString::fromStdString(folder.file(name)); }

    project_testing::ApplicationFirst application;
    testing_support::TempFolder folder;
    project_testing::TestForm f;
    project::ProjectScope scope;
};

TEST_F(ProjectStore, ResultsForEachKindOfFile) {
    std::filesystem::create_directory(folder.file("folder.zkv"));
    WriteBytes(folder.file("letter.zkv"), "Dear user,\r\nthis is no project.\r\n");
    WriteBytes(folder.file("good.zkv"), "[FormTest]\r\nEdit1=loaded\r\n");
    const struct {
        const char* name;
        bool save;
        int result;
    } cases[] = {
        {"missing.zkv", false, project::kProjectMissing},
        {"folder.zkv", false, project::kProjectFileError},
        {"folder.zkv", true, project::kProjectFileError},
        {"letter.zkv", false, project::kProjectFileError},
        {"no such folder/a.zkv", true, project::kProjectFileError},
        {"good.zkv", false, 0},
        {"new.zkv", true, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadSaveProject(scope, file(c.name), c.save), c.result) << c.name;
    EXPECT_EQ(f.edit->text(), "loaded");
}

TEST_F(ProjectStore, ASuccessNamesTheProjectInTheCaption) {
    std::filesystem::create_directory(folder.file("dir"));
    ASSERT_EQ(LoadSaveProject(scope, file("dir/a.zkv"), true), 0);
    EXPECT_EQ(f.form->windowTitle(), "Base    a.zkv");
    f.form->setWindowTitle("Base");
    EXPECT_EQ(LoadSaveProject(scope, file("dir/missing.zkv"), false), project::kProjectMissing);
    EXPECT_EQ(f.form->windowTitle(), "Base") << "a failure leaves the caption";
}

TEST_F(ProjectStore, AnEmptyNameIsTheSettingsFile) {
    f.edit->setText("settings");
    ASSERT_EQ(LoadSaveProject(scope, "", true), 0);
    EXPECT_EQ(TMemIniFile(QString::fromStdString(settings())).ReadString("FormTest", "Edit1", ""), "settings");
    EXPECT_EQ(f.form->windowTitle(), "Base    zkvdesk.ini");
    f.edit->clear();
    ASSERT_EQ(LoadSaveProject(scope, "", false), 0);
    EXPECT_EQ(f.edit->text(), "settings");
}

// The method documents and the reference factory numbers belong to the workstation: they go to
// the settings file, never into a project, and come from it whichever project is opened.
TEST_F(ProjectStore, TheSettingsFileKeepsItsTwoListsAndProjectsKeepTheRest) {
    SetCell(f.methods, 0, 0, U("УЛМ-41"));
    SetCell(f.methods, 1, 1, U("МИ 1234"));
    f.serials->addItems({"S1", "", "S2"});
    f.edit->setText("page");
    ASSERT_EQ(LoadSaveProject(scope, file("p.zkv"), true), 0);

    const TMemIniFile saved(QString::fromStdString(settings()));
    EXPECT_EQ(saved.ReadString("Doc_MP", "sg_MP_str0", ""), U("УЛМ-41"));
    EXPECT_EQ(saved.ReadString("Doc_MP", "sg_MP_str3", ""), U("МИ 1234"));
    EXPECT_EQ(saved.ReadSection("SN_GHV_LIST"), (QStringList{"cbZavNo_str0", "cbZavNo_str1"})) << "no empty item";
    EXPECT_EQ(saved.ReadString("SN_GHV_LIST", "cbZavNo_str1", ""), "S2");
    EXPECT_FALSE(saved.SectionExists("FormTest"));
    const TMemIniFile project(file("p.zkv"));
    EXPECT_FALSE(project.SectionExists("Doc_MP"));
    EXPECT_FALSE(project.SectionExists("SN_GHV_LIST"));
    EXPECT_EQ(project.ReadString("FormTest", "Edit1", ""), "page");

    // Another workstation: its own settings file, the same project.
    TMemIniFile other(QString::fromStdString(settings()));
    other.WriteString("SN_GHV_LIST", "cbZavNo_str0", "s1");  // the same number in other letters
    other.WriteString("SN_GHV_LIST", "cbZavNo_str1", "T9");
    other.DeleteKey("Doc_MP", "sg_MP_str3");
    ASSERT_TRUE(other.UpdateFile());
    SetCell(f.methods, 1, 1, "edited since");
    f.edit->clear();
    for (int pass = 0; pass < 2; ++pass) ASSERT_EQ(LoadSaveProject(scope, file("p.zkv"), false), 0);
    EXPECT_EQ(f.edit->text(), "page");
    EXPECT_EQ(Items(f.serials), (QStringList{"S1", "", "S2", "T9"})) << "opened twice, nothing doubled";
    EXPECT_EQ(Cell(f.methods, 1, 1), "?") << "the grid follows the settings file";
}

TEST_F(ProjectStore, AMissingProjectStillLoadsTheSettingsLists) {
    WriteBytes(settings(), "[Doc_MP]\r\nsg_MP_str0=doc\r\n[SN_GHV_LIST]\r\ncbZavNo_str0=N1\r\n");
    f.edit->setText("form value");
    EXPECT_EQ(LoadSaveProject(scope, file("gone.zkv"), false), project::kProjectMissing);
    EXPECT_EQ(Cell(f.methods, 0, 0), "doc");
    EXPECT_EQ(Cell(f.methods, 1, 1), "?");
    EXPECT_EQ(Items(f.serials), QStringList{"N1"});
    EXPECT_EQ(f.edit->text(), "form value") << "the walk does not run";
}

TEST_F(ProjectStore, ASettingsFileThatCannotBeReadStopsALoad) {
    std::filesystem::create_directory(settings());
    WriteBytes(folder.file("p.zkv"), "[FormTest]\r\nEdit1=loaded\r\n");
    EXPECT_EQ(LoadSaveProject(scope, file("p.zkv"), false), project::kProjectFileError);
    EXPECT_EQ(f.edit->text(), "");
}

// What stands in the settings file's place and cannot be read as one is kept aside under a name of
// its own before the save makes a new settings file: nothing is destroyed without a trace.
TEST_F(ProjectStore, ASaveKeepsASettingsFileThatCouldNotBeReadAsideAndMakesANewOne) {
    const testing_support::TempFolder devices;
    const std::string zero = testing_support::DeviceLike(devices, "zero");
    ASSERT_FALSE(zero.empty());
    const auto make = std::map<std::string, std::function<void()>>{
        {"folder", [&] { std::filesystem::create_directory(settings()); }},
        {"fifo", [&] { ASSERT_EQ(mkfifo(settings().c_str(), 0600), 0); }},
        {"link to a device", [&] { ASSERT_EQ(symlink(zero.c_str(), settings().c_str()), 0); }},
        {"letter", [&] { WriteBytes(settings(), "Dear user,\r\nthis is no settings file.\r\n"); }},
    };
    f.serials->addItems({"S1"});
    for (const auto& [name, arrange] : make) {
        SCOPED_TRACE(name);
        std::filesystem::remove_all(folder.path());
        std::filesystem::create_directory(folder.path());
        arrange();
        struct stat before;
        ASSERT_EQ(lstat(settings().c_str(), &before), 0);
        ASSERT_EQ(LoadSaveProject(scope, file("p.zkv"), true), 0);

        std::vector<std::string> aside;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().filename().string().rfind("zkvdesk.ini.unreadable-", 0) == 0) aside.push_back(entry.path());
        }
        ASSERT_EQ(aside.size(), 1u);
        struct stat kept;
        ASSERT_EQ(lstat(aside[0].c_str(), &kept), 0);
        EXPECT_EQ(kept.st_ino, before.st_ino) << "the very file, moved";
        EXPECT_EQ(TMemIniFile(QString::fromStdString(settings())).ReadString("SN_GHV_LIST", "cbZavNo_str0", ""), "S1");
    }
    struct stat device;
    ASSERT_EQ(stat(zero.c_str(), &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));
}

// A stray zero byte in the settings file loses nothing: the file is read for what it holds, and a
// save rewrites the keys it writes and leaves every other section as it was.
TEST_F(ProjectStore, ASettingsFileWithAStrayZeroByteKeepsEverythingElse) {
    WriteBytes(settings(), std::string("[Doc_MP]\r\nsg_MP_str0=doc\r\nsg_MP_str1=bad") + '\0' +
                               "byte\r\n[SN_GHV_LIST]\r\ncbZavNo_str0=N1\r\n[Project]\r\nName=/work/p.zkv\r\n"
                               "[Other]\r\nKeep=me\r\n");
    EXPECT_EQ(LoadSaveProject(scope, "", false), 0);
    EXPECT_EQ(Cell(f.methods, 0, 0), "doc");
    EXPECT_EQ(Items(f.serials), QStringList{"N1"});
    ASSERT_EQ(LoadSaveProject(scope, file("p.zkv"), true), 0);
    const TMemIniFile saved(QString::fromStdString(settings()));
    EXPECT_EQ(saved.ReadString("Project", "Name", ""), "/work/p.zkv");
    EXPECT_EQ(saved.ReadString("Other", "Keep", ""), "me");
    EXPECT_EQ(saved.ReadString("SN_GHV_LIST", "cbZavNo_str0", ""), "N1");
    EXPECT_EQ(saved.ReadString("Doc_MP", "sg_MP_str0", ""), "doc");
}

// A disk that fills during the save: the project file that was there stays whole and the save
// fails; a link to a regular file is followed, and one to something else is refused.
TEST_F(ProjectStore, ASaveThatCannotReachTheDiskOrWouldReplaceANonFileFailsAndKeepsTheOld) {
    const std::string old(3433, ';');
    WriteBytes(folder.file("p.zkv"), "[FormTest]\r\n" + old + "\r\n");
    const std::string before = ReadBytes(folder.file("p.zkv"));
    f.edit->setText("new");
    for (int row = 0; row < 2; ++row) SetCell(f.plain, row, 0, QString(2000, 'p'));
    EXPECT_FALSE(testing_support::RunWithFileSizeLimit(4096, [&] {
        return LoadSaveProject(scope, file("p.zkv"), true) == 0;
    }));
    EXPECT_EQ(ReadBytes(folder.file("p.zkv")), before);

    ASSERT_EQ(symlink("p.zkv", folder.file("link.zkv").c_str()), 0);
    ASSERT_EQ(LoadSaveProject(scope, file("link.zkv"), true), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.zkv")));
    EXPECT_EQ(TMemIniFile(file("p.zkv")).ReadString("FormTest", "Edit1", ""), "new");

    // As the superuser a device node of the test's own, which a save must not turn into a file.
    const std::string null = testing_support::DeviceLike(folder, "null");
    ASSERT_FALSE(null.empty());
    ASSERT_EQ(symlink(null.c_str(), folder.file("null.zkv").c_str()), 0);
    ASSERT_EQ(mkfifo(folder.file("fifo.zkv").c_str(), 0600), 0);
    for (const char* name : {"null.zkv", "fifo.zkv"}) {
        EXPECT_EQ(LoadSaveProject(scope, file(name), true), project::kProjectFileError) << name;
    }
    struct stat info;
    ASSERT_EQ(stat(null.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ASSERT_EQ(lstat(folder.file("fifo.zkv").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// The user confirmed writing over a file that is no project; a save replaces it. A load never
// takes it.
TEST_F(ProjectStore, ASaveReplacesAFileThatIsNoIniFile) {
    WriteBytes(folder.file("letter.zkv"), "Dear user,\r\n");
    f.edit->setText("page");
    ASSERT_EQ(LoadSaveProject(scope, file("letter.zkv"), true), 0);
    EXPECT_EQ(TMemIniFile(file("letter.zkv")).ReadString("FormTest", "Edit1", ""), "page");
}

TEST_F(ProjectStore, AFailedSaveLeavesTheOldFilesAsTheyWere) {
    const std::string old = "[FormTest]\r\nEdit1=old\r\n";
    const std::string oldSettings = "[Project]\r\nName=x\r\n";
    WriteBytes(settings(), oldSettings);
    f.edit->setText("new");
    {
        // The project's folder takes no new file.
        const testing_support::LockedFolder locked(folder.file("locked"), "p.zkv", old);
        int result = 0;
        {
            testing_support::ObeyFilePermissions obey;
            result = LoadSaveProject(scope, file("locked/p.zkv"), true);
        }
        EXPECT_EQ(result, project::kProjectFileError);
        EXPECT_EQ(ReadBytes(locked.file()), old);
        EXPECT_EQ(f.form->windowTitle(), "") << "no caption for a failure";
    }
    // The settings file's folder takes no new file: the project is not written either.
    const testing_support::LockedFolder locked(folder.file("exe"), "zkvdesk.ini", oldSettings);
    scope.settingsPath = QString::fromStdString(locked.file());
    int result = 0;
    {
        testing_support::ObeyFilePermissions obey;
        result = LoadSaveProject(scope, file("p.zkv"), true);
    }
    EXPECT_EQ(result, project::kProjectFileError);
    EXPECT_EQ(ReadBytes(locked.file()), oldSettings);
    EXPECT_FALSE(std::filesystem::exists(folder.file("p.zkv")));
}

TEST_F(ProjectStore, AHandlerThatFailsDuringALoadEndsItAsAFailedLoad) {
    platform::SetStateHandler(f.combo, [](QObject*) { throw std::runtime_error("page failure"); });
    WriteBytes(folder.file("p.zkv"), "[FrameTest1]\r\nCombo1=1\r\n");
    int result = 0;
    EXPECT_NO_THROW(result = LoadSaveProject(scope, file("p.zkv"), false));
    EXPECT_EQ(result, project::kProjectFileError);
}

}  // namespace
