// Dependencies point down only: a file includes headers of its own folder and of the folders below.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::set<std::string> kPages = {"app/setup",   "app/measurement", "app/results",
                                      "app/settings", "app/archive",     "app/calibration"};

// platform/ holds one folder a stand-in. The report library may use only the ones without Qt that
// make up the shared zkv_platform_core, and reaches the spreadsheet application only through
// automation, as it would reach a spreadsheet program on the original platform.
const std::map<std::string, std::set<std::string>> kPlatformBelow = {
    {"platform/system", {}},
    {"platform/text", {}},
    {"platform/automation", {"platform/system", "platform/text"}},
    {"platform/xlsx", {"platform/system", "platform/text"}},
    {"platform/spreadsheet", {"platform/xlsx", "platform/automation", "platform/system", "platform/text"}},
    {"platform/serial", {"platform/system", "platform/text"}},
    {"platform/class_library", {"platform/automation", "platform/system", "platform/text"}},
};

// The folders each folder may include from, besides itself.
const std::map<std::string, std::set<std::string>>& Below() {
    static const std::map<std::string, std::set<std::string>> below = [] {
        std::set<std::string> platform;
        for (const auto& [folder, under] : kPlatformBelow) platform.insert(folder);
        auto with = [](std::set<std::string> folders, std::initializer_list<const char*> more) {
            folders.insert(more.begin(), more.end());
            return folders;
        };
        const std::set<std::string> base = with(platform, {"link"});
        std::map<std::string, std::set<std::string>> table = kPlatformBelow;
        table["link"] = platform;
        table["sim"] = base;
        table["sheet"] = {"platform/automation", "platform/system", "platform/text"};
        table["app/model"] = base;
        table["app/controls"] = with(base, {"app/model"});
        table["app/project"] = with(base, {"app/controls", "app/model"});
        std::set<std::string> window = with(base, {"app/project", "app/controls", "app/model"});
        for (const std::string& page : kPages) {
            table[page] = with(base, {"app/controls", "app/model"});
            window.insert(page);
        }
        table["app/window"] = window;
        table["app"] = with(window, {"app/window"});  // the entry, app/main.cpp
        return table;
    }();
    return below;
}

// The folder a repository path belongs to for layering: app/<folder> inside app and
// platform/<folder> inside platform, else the top folder.
std::string FolderOf(const std::string& path) {
    const std::size_t first = path.find('/');
    if (first == std::string::npos) return {};
    const std::string top = path.substr(0, first);
    if (top != "app" && top != "platform") return top;
    const std::size_t second = path.find('/', first + 1);
    return second == std::string::npos ? top : path.substr(0, second);
}

// Whether a file in folder `from` may include the header at `header` (a path from the root).
bool MayInclude(const std::string& from, const std::string& header) {
    const std::string to = FolderOf(header);
    const auto rules = Below().find(from);
    if (rules == Below().end()) return false;  // a folder nobody has placed yet
    if (to == from) return to != "app" && to != "platform";  // app/ and platform/ themselves hold no headers
    return rules->second.count(to) != 0;
}

TEST(Layering, TheRuleRefusesEveryUpwardAndSidewaysInclude) {
    const struct {
        const char* from;
        const char* header;
        bool allowed;
    } cases[] = {
        {"app/model", "app/model/setup_record.h", true},
        {"app/model", "platform/class_library/dialogs.h", true},
        {"app/model", "link/protocol.h", true},
        {"app/model", "app/controls/key_filter.h", false},
        {"app/model", "app/measurement/frame_meas.h", false},
        {"app/controls", "app/model/value_text.h", true},
        {"app/controls", "app/measurement/frame_meas.h", false},
        {"app/setup", "app/controls/key_filter.h", true},
        {"app/setup", "app/measurement/frame_meas.h", false},
        {"app/measurement", "app/settings/frame_settings.h", false},
        {"app/measurement", "app/window/form_main.h", false},
        {"app/results", "app/project/project_store.h", false},
        {"app/project", "app/model/setup_record.h", true},
        {"app/project", "app/window/form_main.h", false},
        {"app/project", "app/setup/frame_tune.h", false},
        {"app/window", "app/setup/frame_tune.h", true},
        {"app/window", "app/project/project_store.h", true},
        {"app", "app/window/form_main.h", true},
        {"app/window", "app/form_main.h", false},  // a header left in app/ itself
        {"app/newpage", "app/model/setup_record.h", false},
        {"link", "platform/serial/serial_line.h", true},
        {"link", "platform/class_library/dialogs.h", true},
        {"link", "app/window/form_main.h", false},
        {"link", "sim/instrument.h", false},
        {"platform/system", "link/protocol.h", false},
        {"platform/class_library", "app/model/value_text.h", false},
        {"platform/system", "platform/system/clock.h", true},
        {"platform/system", "platform/text/wide_text.h", false},
        {"platform/text", "platform/system/clock.h", false},
        {"platform/automation", "platform/text/wide_text.h", true},
        {"platform/automation", "platform/spreadsheet/spreadsheet_app.h", false},
        {"platform/automation", "platform/class_library/dialogs.h", false},
        {"platform/xlsx", "platform/system/file_io.h", true},
        {"platform/xlsx", "platform/spreadsheet/xlsx_workbook.h", false},
        {"platform/xlsx", "platform/automation/automation.h", false},
        {"platform/spreadsheet", "platform/xlsx/xlsx_sheet.h", true},
        {"platform/spreadsheet", "platform/automation/automation.h", true},
        {"platform/spreadsheet", "platform/serial/byte_stream.h", false},
        {"platform/spreadsheet", "platform/class_library/cp1251.h", false},
        {"platform/serial", "platform/system/clock.h", true},
        {"platform/serial", "platform/class_library/components.h", false},
        {"platform/serial", "platform/automation/automation.h", false},
        {"platform/class_library", "platform/system/message_box.h", true},
        {"platform/class_library", "platform/automation/library_loader.h", true},
        {"platform/class_library", "platform/serial/serial_line.h", false},
        {"platform/class_library", "platform/spreadsheet/spreadsheet_app.h", false},
        {"platform/system", "platform/clock.h", false},  // a header left in platform/ itself
        {"platform", "platform/system/clock.h", false},
        {"platform/newstandin", "platform/system/clock.h", false},
        {"sim", "link/protocol.h", true},
        {"sim", "platform/serial/pseudo_terminal.h", true},
        {"sim", "app/model/current_row.h", false},
        {"sheet", "platform/automation/automation.h", true},
        {"sheet", "platform/system/clock.h", true},
        {"sheet", "platform/text/wide_text.h", true},
        {"sheet", "platform/class_library/cp1251.h", false},  // Qt
        {"sheet", "platform/serial/serial_line.h", false},
        {"sheet", "platform/spreadsheet/spreadsheet_app.h", false},
        {"sheet", "app/model/setup_record.h", false},
        {"app/model", "tests/support/printers.h", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MayInclude(c.from, c.header), c.allowed) << c.from << " -> " << c.header;
}

struct Include {
    std::string file;
    int line;
    std::string header;
};

// The quoted includes of the project's own headers in every source file of the layered folders.
std::vector<Include> ProjectIncludes(const fs::path& root) {
    static const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::vector<Include> found;
    for (const char* top : {"app", "link", "platform", "sim", "sheet"}) {
        if (!fs::is_directory(root / top)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
            std::ifstream in(entry.path());
            std::string text;
            for (int line = 1; std::getline(in, text); ++line) {
                std::smatch match;
                if (!std::regex_search(text, match, include)) continue;
                const std::string header = match[1];
                if (header.find('/') == std::string::npos) continue;  // a generated or local file, not a folder's header
                found.push_back({fs::relative(entry.path(), root).generic_string(), line, header});
            }
        }
    }
    return found;
}

TEST(Layering, NoFileIncludesAHeaderFromAFolderAboveOrBesideIts) {
    const fs::path root = ZKV_SOURCE_DIR;
    const std::vector<Include> includes = ProjectIncludes(root);
    ASSERT_GT(includes.size(), 100u) << "the tree was not found at " << root;
    std::vector<std::string> wrong;
    for (const Include& i : includes) {
        if (!MayInclude(FolderOf(i.file), i.header))
            wrong.push_back(i.file + ":" + std::to_string(i.line) + " includes " + i.header);
    }
    EXPECT_TRUE(wrong.empty()) << [&] {
        std::string list;
        for (const std::string& w : wrong) list += "\n  " + w;
        return list;
    }();
}

// Every source of platform/ lies in the folder of its stand-in, and every such folder is placed above.
TEST(Layering, PlatformHoldsOnlyThePlacedStandInFolders) {
    const fs::path platform = fs::path(ZKV_SOURCE_DIR) / "platform";
    ASSERT_TRUE(fs::is_directory(platform)) << platform;
    std::vector<std::string> wrong;
    for (const auto& entry : fs::directory_iterator(platform)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory()) {
            if (kPlatformBelow.count("platform/" + name) == 0) wrong.push_back(name + "/ is no placed folder");
        } else if (name != "CMakeLists.txt") {
            wrong.push_back(name + " lies in platform/ itself");
        }
    }
    EXPECT_TRUE(wrong.empty()) << [&] {
        std::string list;
        for (const std::string& w : wrong) list += "\n  " + w;
        return list;
    }();
}

}  // namespace
