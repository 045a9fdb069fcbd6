#include "platform/automation/window_handle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/automation/list_view_handle.h"

namespace {

using namespace platform;

class RegisteredWindows : public ::testing::Test {
  protected:
    ZkvWindow top{"testClass", "Debug", nullptr, nullptr, nullptr};
    ZkvWindow panel{"TPanel", nullptr, &top, nullptr, nullptr};
    ZkvWindow deepList{"TListBox", nullptr, &panel, nullptr, nullptr};
    ZkvWindow button{"TButton", nullptr, &top, nullptr, nullptr};
    ZkvWindow otherTop{"otherClass", nullptr, nullptr, nullptr, nullptr};

    void SetUp() override {
        for (HWND w : {&top, &panel, &deepList, &button, &otherTop}) RegisterWindow(w);
    }
    void TearDown() override {
        for (HWND w : {&top, &panel, &deepList, &button, &otherTop}) UnregisterWindow(w);
        EXPECT_EQ(FindWindowA("testClass", nullptr), nullptr);
    }

    static std::vector<std::string> ChildClasses(HWND parent, std::size_t stopAfter = 100) {
        struct Walk {
            std::vector<std::string> classes;
            std::size_t stopAfter;
        } walk{{}, stopAfter};
        EnumChildWindows(
            parent,
            [](HWND w, LPARAM p) -> BOOL {
                auto* state = reinterpret_cast<Walk*>(p);
                char name[256];
                GetClassNameA(w, name, sizeof name);
                state->classes.emplace_back(name);
                return state->classes.size() < state->stopAfter;
            },
            reinterpret_cast<LPARAM>(&walk));
        return walk.classes;
    }
};

TEST_F(RegisteredWindows, FoundByExactClassAndOptionalTitle) {
    EXPECT_EQ(FindWindowA("testClass", nullptr), &top);
    EXPECT_EQ(FindWindowA("testClass", "Debug"), &top);
    EXPECT_EQ(FindWindowA("testClass", "other"), nullptr);
    EXPECT_EQ(FindWindowA("TestClass", nullptr), nullptr);
    EXPECT_EQ(FindWindowA("TPanel", nullptr), nullptr);  // a child is not a top-level window
    EXPECT_TRUE(IsWindow(&panel));
    UnregisterWindow(&panel);
    EXPECT_FALSE(IsWindow(&panel));
    EXPECT_FALSE(IsWindow(nullptr));
}

TEST_F(RegisteredWindows, ChildrenAreWalkedDepthFirstUntilTheCallbackStops) {
    EXPECT_EQ(ChildClasses(&top), (std::vector<std::string>{"TPanel", "TListBox", "TButton"}));
    EXPECT_EQ(ChildClasses(&top, 2), (std::vector<std::string>{"TPanel", "TListBox"}));
    EXPECT_TRUE(ChildClasses(&otherTop).empty());
}

TEST(WindowMessages, ClassNameAndAnswerTextsStayInsideTheBuffer) {
    ZkvWindow window{"SysListView32", nullptr, nullptr, nullptr, nullptr};
    char name[8];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(GetClassNameA(&window, name, 5), 4);
    EXPECT_STREQ(name, "SysL");
    EXPECT_EQ(name[5], 'x');
    EXPECT_EQ(GetClassNameA(nullptr, name, 5), 0);
    EXPECT_EQ(CopyAnswerText("abc", 3, name, 0), 0);
    EXPECT_EQ(name[0], 'S');
    EXPECT_EQ(SendMessageA(nullptr, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(&window, LVM_GETITEMCOUNT, 0, 0), 0);  // no procedure: every message answers 0
}

class TableSource : public ListViewSource {
  public:
    int ItemCount() const override { return 2; }
    int ColumnCount() const override { return 3; }
    std::string CellText(int item, int column) const override {
        return std::to_string(item) + ":" + std::to_string(column) + " \xC4\xE0\xE2\xEB\xE5\xED\xE8\xE5";
    }
};

TEST(ListViewHandle, AnswersTheTableThroughListViewMessages) {
    TableSource source;
    ListViewHandle list(source);
    HWND handle = list.Handle();
    EXPECT_EQ(SendMessageA(handle, LVM_GETITEMCOUNT, 0, 0), 2);

    LVCOLUMNA column{};
    for (WPARAM c = 0; c < 3; ++c)
        EXPECT_NE(SendMessageA(handle, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&column)), 0);
    EXPECT_EQ(SendMessageA(handle, LVM_GETCOLUMNA, 3, reinterpret_cast<LPARAM>(&column)), 0);

    const struct {
        WPARAM item;
        int subItem;
        int capacity;
        std::string expected;
    } cases[] = {
        {1, 2, 1024, "1:2 \xC4\xE0\xE2\xEB\xE5\xED\xE8\xE5"},
        {0, 0, 6, "0:0 \xC4"},  // cut to capacity - 1 bytes
        {0, 0, 1, ""},
        {2, 0, 1024, ""},  // no such item
        {0, 3, 1024, ""},  // no such column
        {0, -1, 1024, ""},
    };
    for (const auto& c : cases) {
        char buffer[1024];
        std::memset(buffer, 'x', sizeof buffer);
        LVITEMA item{};
        item.iSubItem = c.subItem;
        item.pszText = buffer;
        item.cchTextMax = c.capacity;
        const LRESULT copied =
            SendMessageA(handle, LVM_GETITEMTEXTA, c.item, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(std::string(buffer), c.expected) << c.item << "/" << c.subItem;
        EXPECT_EQ(copied, static_cast<LRESULT>(c.expected.size()));
        EXPECT_EQ(buffer[c.expected.size() + 1], 'x') << "wrote past the text";
    }
    EXPECT_EQ(SendMessageA(handle, LB_GETCOUNT, 0, 0), 0);
}

}  // namespace
