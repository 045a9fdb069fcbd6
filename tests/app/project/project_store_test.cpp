#include "app/project/project_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/mem_ini_file.h"
#include "tests/app/project/test_form.h"
#include "tests/support/file_access.h"
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

TEST_F(ProjectStore, ASettingsFileThatCannotBeReadStopsBothWays) {
    std::filesystem::create_directory(settings());
    WriteBytes(folder.file("p.zkv"), "[FormTest]\r\nEdit1=loaded\r\n");
    EXPECT_EQ(LoadSaveProject(scope, file("p.zkv"), false), project::kProjectFileError);
    EXPECT_EQ(f.edit->text(), "");
    EXPECT_EQ(LoadSaveProject(scope, file("p.zkv"), true), project::kProjectFileError);
    EXPECT_EQ(ReadBytes(folder.file("p.zkv")), "[FormTest]\r\nEdit1=loaded\r\n");
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
