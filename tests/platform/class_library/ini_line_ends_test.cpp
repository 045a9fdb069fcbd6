// The ini file's line ends: CR LF, LF and a lone CR each end a line, so a value read is a value
// the file can write back unchanged.
#include <gtest/gtest.h>

#include <QString>
#include <fstream>
#include <string>

#include "platform/class_library/mem_ini_file.h"
#include "tests/support/printers.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(IniLineEnds, EveryLineEndEndsAValueAndAValueReadIsWrittenBackAsItWas) {
    const struct {
        const char* bytes;
        const char* a;
        const char* b;
    } cases[] = {
        {"[S]\r\nA=x\r\nB=y\r\n", "x", "y"},
        {"[S]\nA=x\nB=y", "x", "y"},
        {"[S]\rA=x\rB=y\r", "x", "y"},
        {"[S]\r\nA=x\rstray\r\nB=y\r\n", "x", "y"},  // the rest of a line cut by a CR is a line of its own
        {"[S]\r\nA=x\r\r\nB=y", "x", "y"},
    };
    testing_support::TempFolder folder;
    const QString path = QString::fromStdString(folder.file("s.ini"));
    for (const auto& c : cases) {
        std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc) << c.bytes;
        platform::TMemIniFile ini(path);
        ASSERT_TRUE(ini.IsValid()) << testing_support::Visible(c.bytes);
        EXPECT_EQ(ini.ReadString("S", "A", "-"), c.a) << testing_support::Visible(c.bytes);
        EXPECT_EQ(ini.ReadString("S", "B", "-"), c.b) << testing_support::Visible(c.bytes);

        // What was read goes back, and reads back the same.
        ini.WriteString("S", "A", ini.ReadString("S", "A", "-"));
        ASSERT_TRUE(ini.UpdateFile());
        const platform::TMemIniFile again(path);
        EXPECT_EQ(again.ReadString("S", "A", "-"), c.a) << testing_support::Visible(c.bytes);
        EXPECT_EQ(again.ReadString("S", "B", "-"), c.b) << testing_support::Visible(c.bytes);
    }
}

}  // namespace
