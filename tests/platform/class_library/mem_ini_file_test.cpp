#include "platform/class_library/mem_ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/file_access.h"
#include "tests/support/device_node.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/printers.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::TMemIniFile;

class MemIniFile : public ::testing::Test {
  protected:
    QString path(const std::string& name = "project.zkv") const {
        return QString::fromStdString(folder.file(name));
    }

    void writeBytes(const std::string& bytes, const std::string& name = "project.zkv") const {
        std::ofstream(folder.file(name), std::ios::binary) << bytes;
    }
    std::string readBytes(const std::string& name = "project.zkv") const {
        std::ifstream in(folder.file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The file written by a load and UpdateFile with no change in between.
    std::string rewritten(const std::string& bytes) const {
        writeBytes(bytes);
        EXPECT_TRUE(TMemIniFile(path()).UpdateFile());
        return readBytes();
    }

    testing_support::TempFolder folder;
};

TEST_F(MemIniFile, SectionsAndKeysMatchInAnyCaseAndKeepTheirFirstSpelling) {
    writeBytes("[Setup]\r\nComPort=3\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadString("SETUP", "comport", "none"), "3");
    EXPECT_TRUE(ini.ValueExists("setup", "COMPORT"));
    EXPECT_TRUE(ini.SectionExists("sEtUp"));
    ini.WriteString("setup", "COMPORT", "4");
    ini.WriteString("SETUP", "Baud", "9600");
    EXPECT_EQ(ini.ReadSections(), QStringList{"Setup"});
    EXPECT_EQ(ini.ReadSection("SETUP"), (QStringList{"ComPort", "Baud"}));
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(readBytes(), "[Setup]\r\nComPort=4\r\nBaud=9600\r\n\r\n");
}

TEST_F(MemIniFile, CyrillicNamesMatchInAnyCaseToo) {
    TMemIniFile ini(path());
    ini.WriteString("Проект", "Имя", "Ёлка");
    EXPECT_EQ(ini.ReadString("ПРОЕКТ", "имя", ""), "Ёлка");
}

TEST_F(MemIniFile, ValuesAreTheRestOfTheLineAsWritten) {
    writeBytes("[S]\r\n  Key One  =a=b  \r\nEmpty=\r\nLead= x\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadString("S", "Key One", "?"), "a=b  ");
    EXPECT_EQ(ini.ReadString("S", "Lead", "?"), " x");
    EXPECT_EQ(ini.ReadString("S", "Empty", "?"), "");
    EXPECT_TRUE(ini.ValueExists("S", "Empty"));
    EXPECT_EQ(ini.ReadString("S", "Missing", "?"), "?");
    EXPECT_EQ(ini.ReadString("Other", "Key One", "?"), "?");
}

TEST_F(MemIniFile, ARoundTripKeepsOrderAndLinesItDoesNotUnderstand) {
    const std::string original =
        "[Zeta]\r\n"
        "b=2\r\n"
        "a=1\r\n"
        "; a comment=not a key\r\n"
        "  free text without equals  \r\n"
        "=no key\r\n"
        "[Alpha]\r\n"
        "x=10  \r\n"
        "\r\n";
    const std::string expected =
        "[Zeta]\r\n"
        "b=2\r\n"
        "a=1\r\n"
        "; a comment=not a key\r\n"
        "  free text without equals  \r\n"
        "=no key\r\n"
        "\r\n"
        "[Alpha]\r\n"
        "x=10  \r\n"
        "\r\n";
    EXPECT_EQ(testing_support::Visible(rewritten(original)), testing_support::Visible(expected));
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), (QStringList{"Zeta", "Alpha"}));
    EXPECT_EQ(ini.ReadSection("Zeta"), (QStringList{"b", "a"}));
}

TEST_F(MemIniFile, ReadsLineFeedEndsAndWritesCrLf) {
    EXPECT_EQ(rewritten("[A]\nk=v\n[B]\nm=n"), "[A]\r\nk=v\r\n\r\n[B]\r\nm=n\r\n\r\n");
}

TEST_F(MemIniFile, ASectionSeenTwiceIsOneSection) {
    writeBytes("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\nx=ignored\r\n");
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), (QStringList{"A", "B"}));
    EXPECT_EQ(ini.ReadSection("A"), (QStringList{"x", "z"}));
    EXPECT_EQ(ini.ReadString("A", "z", ""), "3");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
}

TEST_F(MemIniFile, RewritingAfterAChangeLosesNothingElse) {
    writeBytes("[Window]\r\nLeft=10\r\nTop=20\r\n[Unknown]\r\nKeep=me\r\nnote line\r\n[Setup]\r\nPort=1\r\n");
    {
        TMemIniFile ini(path());
        ini.WriteInteger("Setup", "Port", 5);
        ini.WriteString("New", "Key", "value");
        ASSERT_TRUE(ini.UpdateFile());
    }
    TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), (QStringList{"Window", "Unknown", "Setup", "New"}));
    EXPECT_EQ(ini.ReadSection("Window"), (QStringList{"Left", "Top"}));
    EXPECT_EQ(ini.ReadString("Window", "Top", ""), "20");
    EXPECT_EQ(ini.ReadString("Unknown", "Keep", ""), "me");
    EXPECT_NE(readBytes().find("note line\r\n"), std::string::npos);
    EXPECT_EQ(ini.ReadInteger("Setup", "Port", 0), 5);
    EXPECT_EQ(ini.ReadString("New", "Key", ""), "value");
}

TEST_F(MemIniFile, TextIsCodePage1251OnDisk) {
    {
        TMemIniFile ini(path());
        ini.WriteString("Проект", "Заголовок", "Ёмкость № 2, ёж");
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(testing_support::Visible(readBytes()),
              testing_support::Visible(
                  "[\xCF\xF0\xEE\xE5\xEA\xF2]\r\n"
                  "\xC7\xE0\xE3\xEE\xEB\xEE\xE2\xEE\xEA=\xA8\xEC\xEA\xEE\xF1\xF2\xFC \xB9 2, \xB8\xE6\r\n"
                  "\r\n"));
    EXPECT_EQ(TMemIniFile(path()).ReadString("проект", "заголовок", ""), "Ёмкость № 2, ёж");
}

TEST_F(MemIniFile, IntegersAreReadLeniently) {
    constexpr int kDefault = -999;
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"42", 42},
        {"-17", -17},
        {"+8", 8},
        {"  12 \t", 12},
        {"007", 7},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", kDefault},
        {"-2147483649", kDefault},
        {"99999999999999999999", kDefault},
        {"", kDefault},
        {"   ", kDefault},
        {"+", kDefault},
        {"-", kDefault},
        {"12a", kDefault},
        {"1 2", kDefault},
        {"1.5", kDefault},
        {"0x10", kDefault},
        {"$10", kDefault},
        {"--1", kDefault},
        {"- 1", kDefault},
        {"١٢", kDefault},
    };
    TMemIniFile ini(path());
    for (const auto& c : cases) {
        ini.WriteString("N", "v", QString::fromUtf8(c.text));
        EXPECT_EQ(ini.ReadInteger("N", "v", kDefault), c.value) << '"' << c.text << '"';
    }
    EXPECT_EQ(ini.ReadInteger("N", "missing", 33), 33);
    ini.WriteInteger("N", "v", -2147483647 - 1);
    EXPECT_EQ(ini.ReadString("N", "v", ""), "-2147483648");
}

TEST_F(MemIniFile, DatesAndTimesUseTheRussianWindowsTexts) {
    TMemIniFile ini(path());
    ini.WriteDate("D", "d", QDate(2024, 3, 5));
    ini.WriteDate("D", "early", QDate(987, 12, 31));
    ini.WriteTime("D", "t", QTime(9, 5, 7, 600));
    ini.WriteTime("D", "late", QTime(23, 59, 0));
    EXPECT_EQ(ini.ReadString("D", "d", ""), "05.03.2024");
    EXPECT_EQ(ini.ReadString("D", "early", ""), "31.12.0987");
    EXPECT_EQ(ini.ReadString("D", "t", ""), "9:05:07");
    EXPECT_EQ(ini.ReadString("D", "late", ""), "23:59:00");
    EXPECT_EQ(ini.ReadDate("D", "early", {}), QDate(987, 12, 31));
    EXPECT_EQ(ini.ReadTime("D", "t", {}), QTime(9, 5, 7));
}

TEST_F(MemIniFile, DatesAreReadInTheirShortAndFullFormsElseDefault) {
    const QDate fallback(2000, 1, 1);
    const struct {
        const char* text;
        QDate date;
    } cases[] = {
        {"05.03.2024", QDate(2024, 3, 5)},
        {"5.3.2024", QDate(2024, 3, 5)},
        {" 29.02.2024 ", QDate(2024, 2, 29)},
        {"29.02.2023", fallback},
        {"32.01.2024", fallback},
        {"01.13.2024", fallback},
        {"00.01.2024", fallback},
        {"05.03.24", QDate(2024, 3, 5)},
        {"5.3.99", QDate(2099, 3, 5)},
        {"05.03.024", fallback},
        {"05/03/2024", fallback},
        {"2024-03-05", fallback},
        {"05.03.2024.", fallback},
        {"5..2024", fallback},
        {"", fallback},
        {"a5.03.2024", fallback},
        {"005.03.2024", fallback},
    };
    TMemIniFile ini(path());
    for (const auto& c : cases) {
        ini.WriteString("D", "d", c.text);
        EXPECT_EQ(ini.ReadDate("D", "d", fallback), c.date) << '"' << c.text << '"';
    }
    EXPECT_EQ(ini.ReadDate("D", "missing", fallback), fallback);
}

TEST_F(MemIniFile, TimesAreReadWithOrWithoutSecondsElseDefault) {
    const QTime fallback(1, 2, 3);
    const struct {
        const char* text;
        QTime time;
    } cases[] = {
        {"9:05:07", QTime(9, 5, 7)}, {"09:05:07", QTime(9, 5, 7)}, {"23:59:59", QTime(23, 59, 59)},
        {"0:00:00", QTime(0, 0, 0)}, {"9:05", QTime(9, 5, 0)},     {" 14:30 ", QTime(14, 30, 0)},
        {"9:5:7", QTime(9, 5, 7)},   {"9:05:7", QTime(9, 5, 7)},   {"24:00:00", fallback},
        {"9:60:00", fallback},       {"9:05:60", fallback},        {"9", fallback},
        {"9:005:07", fallback},      {"9::07", fallback},
        {"9:05:07:00", fallback},    {"9.05.07", fallback},        {"", fallback},
        {"009:05", fallback},        {"-1:05", fallback},
    };
    TMemIniFile ini(path());
    for (const auto& c : cases) {
        ini.WriteString("T", "t", c.text);
        EXPECT_EQ(ini.ReadTime("T", "t", fallback), c.time) << '"' << c.text << '"';
    }
}

TEST_F(MemIniFile, AMissingFileIsEmptyAndUpdateFileMakesIt) {
    TMemIniFile ini(path("new.ini"));
    EXPECT_TRUE(ini.ReadSections().isEmpty());
    EXPECT_FALSE(QFile::exists(path("new.ini")));
    ini.WriteString("S", "k", "v");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(readBytes("new.ini"), "[S]\r\nk=v\r\n\r\n");
}

TEST_F(MemIniFile, AFileThatCannotBeReadOrIsNoIniFileReadsAsAnInvalidEmptyIni) {
    // A folder in the file's place: unreadable as a file even to the superuser.
    std::filesystem::create_directory(folder.file("folder.ini"));
    const struct {
        std::string name;
        std::string bytes;
        bool valid;
    } cases[] = {
        {"empty.zkv", "", true},
        {"blank.zkv", "\r\n  \r\n", true},
        {"comment.zkv", "; nothing yet\r\n", true},
        {"sections.zkv", "stray line\r\n[A]\r\nk=v\r\n", true},
        {"text.zkv", "Dear user,\r\nthis is a letter.\r\n", false},
        {"picture.zkv", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), false},
    };
    for (const auto& c : cases) {
        writeBytes(c.bytes, c.name);
        const TMemIniFile ini(path(c.name));
        EXPECT_EQ(ini.IsValid(), c.valid) << c.name;
        EXPECT_TRUE(ini.IsReadable()) << c.name;
        if (!c.valid) {
            EXPECT_TRUE(ini.ReadSections().isEmpty()) << c.name;
        }
    }
    // A FIFO without a writer would hang a plain open for ever, /dev/zero would never end: neither is
    // read, and neither counts as read.
    ASSERT_EQ(mkfifo(folder.file("fifo.ini").c_str(), 0600), 0);
    ASSERT_EQ(symlink(testing_support::DeviceLike(folder, "zero").c_str(), folder.file("zero.ini").c_str()), 0);
    for (const char* name : {"folder.ini", "fifo.ini", "zero.ini"}) {
        EXPECT_FALSE(TMemIniFile(path(name)).IsValid()) << name;
        EXPECT_FALSE(TMemIniFile(path(name)).IsReadable()) << name;
    }
    EXPECT_TRUE(TMemIniFile(path("missing.ini")).IsValid()) << "a missing file is an empty ini";
    EXPECT_EQ(TMemIniFile(path("sections.zkv")).ReadString("A", "k", ""), "v");

    writeBytes("[A]\r\n", "huge.zkv");
    std::filesystem::resize_file(folder.file("huge.zkv"), 17 * 1024 * 1024);
    EXPECT_FALSE(TMemIniFile(path("huge.zkv")).IsValid());
}

TEST_F(MemIniFile, UpdateFileSaysWhenItCannotWrite) {
    TMemIniFile inMissingFolder(path("no such folder/project.zkv"));
    inMissingFolder.WriteString("S", "k", "v");
    EXPECT_FALSE(inMissingFolder.UpdateFile());

    TMemIniFile blocked(path("blocked.ini"));
    blocked.WriteString("S", "k", "v");
    std::filesystem::create_directory(folder.file("blocked.ini"));
    EXPECT_FALSE(blocked.UpdateFile());
}

// The old file stays whole when the new one cannot be put in its place, even where the file itself
// could be written over: a write straight into it that failed half way would lose both.
TEST_F(MemIniFile, AFailedUpdateLeavesTheOldFileWholeAndNoLeftovers) {
    const std::string old = "[Old]\r\nk=1\r\n";
    const testing_support::LockedFolder locked(folder.file("locked"), "project.zkv", old);
    bool written = true;
    {
        testing_support::ObeyFilePermissions obey;
        TMemIniFile ini(QString::fromStdString(locked.file()));
        ASSERT_TRUE(ini.IsValid());
        ini.WriteString("New", "k", "2");
        written = ini.UpdateFile();
    }
    EXPECT_FALSE(written);
    std::ifstream in(locked.file(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked.path()), {}), 1) << "no temporary file is left";
}

// A value can never add a section or a key, whatever it holds; names that could not be read back
// are not written.
TEST_F(MemIniFile, NothingWrittenBreaksALineOrHidesAName) {
    {
        TMemIniFile ini(path());
        ini.WriteString("Project", "Name", "/tmp/a\n[Evil]\nPort=9");
        ini.WriteString("Project", "Cr", "one\rtwo");
        ini.WriteString("Project", "Zero", QString("a") + QChar(0) + "b");
        ini.WriteString("Project", "Crlf", "x\r\n[Evil2]");
        for (const QString& key : {QString("Bad\nKey"), QString("Bad=Key"), QString(" Padded"), QString(""),
                                   QString("[Sect]"), QString(";Note")})
            ini.WriteString("Project", key, "v");
        ini.WriteString("Bad\r\nSection", "k", "v");
        ini.WriteString("", "k", "v");
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(testing_support::Visible(readBytes()),
              testing_support::Visible("[Project]\r\nName=/tmp/a [Evil] Port=9\r\nCr=one two\r\nZero=a b\r\n"
                                       "Crlf=x  [Evil2]\r\n\r\n"));
    const TMemIniFile ini(path());
    EXPECT_EQ(ini.ReadSections(), QStringList{"Project"});
    EXPECT_EQ(ini.ReadSection("Project"), (QStringList{"Name", "Cr", "Zero", "Crlf"}));
}

TEST_F(MemIniFile, DeleteKeyRemovesTheKeyInAnyCaseAndNothingElse) {
    writeBytes("[A]\r\nx=1\r\n; note\r\ny=2\r\n[B]\r\nx=3\r\n");
    TMemIniFile ini(path());
    ini.DeleteKey("a", "X");
    ini.DeleteKey("A", "missing");
    ini.DeleteKey("Missing", "x");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(readBytes(), "[A]\r\n; note\r\ny=2\r\n\r\n[B]\r\nx=3\r\n\r\n");
}

// A stray zero byte, as a crash or a bad sector leaves one, spoils at most its own line: every other
// section and key is read, and a save gives them all back.
TEST_F(MemIniFile, AStrayZeroByteSpoilsAtMostItsOwnLine) {
    writeBytes(std::string("[Doc_MP]\r\nsg_MP_str0=doc") + '\0' +
               "ument\r\nsg_MP_str1=second\r\n[SN_GHV_LIST]\r\ncbZavNo_str0=1001\r\n[Project]\r\nName=/p.zkv\r\n");
    {
        TMemIniFile ini(path());
        EXPECT_TRUE(ini.IsValid());
        EXPECT_EQ(ini.ReadSections(), (QStringList{"Doc_MP", "SN_GHV_LIST", "Project"}));
        EXPECT_EQ(ini.ReadString("Doc_MP", "sg_MP_str0", ""), "doc ument");
        EXPECT_EQ(ini.ReadString("Doc_MP", "sg_MP_str1", ""), "second");
        EXPECT_EQ(ini.ReadString("Project", "Name", ""), "/p.zkv");
        ini.WriteString("Project", "Name", "/q.zkv");
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(readBytes(), "[Doc_MP]\r\nsg_MP_str0=doc ument\r\nsg_MP_str1=second\r\n\r\n"
                           "[SN_GHV_LIST]\r\ncbZavNo_str0=1001\r\n\r\n[Project]\r\nName=/q.zkv\r\n\r\n");
}

// A full disk: the write of the new file fails part way. The old file stays whole and the save
// says it failed.
TEST_F(MemIniFile, AWriteThatDoesNotReachTheDiskFailsAndKeepsTheOldFile) {
    std::string old = "[Old]\r\n";
    while (old.size() < 3433) old += "key" + std::to_string(old.size()) + "=value\r\n";
    writeBytes(old);
    const auto save = [&] {
        TMemIniFile ini(path());
        for (int i = 0; i < 300; ++i) ini.WriteString("New", "k" + QString::number(i), "0123456789");
        return ini.UpdateFile();
    };
    EXPECT_FALSE(testing_support::RunWithFileSizeLimit(4096, save));
    EXPECT_EQ(readBytes(), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "no temporary file is left";
    EXPECT_TRUE(testing_support::RunWithFileSizeLimit(64 * 1024, save));
    EXPECT_TRUE(TMemIniFile(path()).ValueExists("New", "k299"));
}

// A link to a regular file is followed and stays a link; one to something else is never replaced by
// a file, and a file that could not be read is never written over.
TEST_F(MemIniFile, AnUpdateWritesOnlyOverARegularFileItCouldRead) {
    writeBytes("[A]\r\nk=1\r\n", "target.zkv");
    ASSERT_EQ(symlink("target.zkv", folder.file("link.zkv").c_str()), 0);
    {
        TMemIniFile ini(path("link.zkv"));
        ini.WriteString("A", "k", "2");
        ASSERT_TRUE(ini.UpdateFile());
    }
    struct stat info;
    ASSERT_EQ(lstat(folder.file("link.zkv").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readBytes("target.zkv"), "[A]\r\nk=2\r\n\r\n");

    const std::string null = testing_support::DeviceLike(folder, "null");
    ASSERT_FALSE(null.empty());
    ASSERT_EQ(symlink(null.c_str(), folder.file("null.zkv").c_str()), 0);
    ASSERT_EQ(mkfifo(folder.file("fifo.zkv").c_str(), 0600), 0);
    for (const char* name : {"null.zkv", "fifo.zkv"}) {
        TMemIniFile ini(path(name));
        ini.WriteString("A", "k", "3");
        EXPECT_FALSE(ini.UpdateFile()) << name;
    }
    ASSERT_EQ(lstat(folder.file("null.zkv").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(null.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ASSERT_EQ(lstat(folder.file("fifo.zkv").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // Unreadable to the reader, though the folder would take a new file.
    writeBytes("[Secret]\r\nk=1\r\n", "secret.zkv");
    ASSERT_EQ(chmod(folder.file("secret.zkv").c_str(), 0200), 0);
    bool written = true;
    {
        testing_support::ObeyFilePermissions obey;
        TMemIniFile ini(path("secret.zkv"));
        EXPECT_FALSE(ini.IsReadable());
        ini.WriteString("A", "k", "4");
        written = ini.UpdateFile();
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(readBytes("secret.zkv"), "[Secret]\r\nk=1\r\n");
}

}  // namespace
