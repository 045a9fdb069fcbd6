#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "app/calibration/form_grad.h"
#include "app/measurement/frame_meas.h"
#include "app/project/project_store.h"
#include "app/window/form_main.h"
#include "link/answer_parser.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "platform/class_library/os_services.h"
#include "platform/serial/com_ports.h"
#include "platform/serial/memory_line.h"
#include "platform/system/clock.h"
#include "tests/support/link_state.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

// The main window built headless: its executable lives in a folder of the test's own (so the
// settings file is that folder's zkvdesk.ini), it runs elevated unless a test says otherwise,
// its dialogs are scripted, its sleeps and quit requests are recorded, and its port is an
// in-memory line.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() { testing_support::EnsureApplication(); }

    void SetUp() override {
        platform::SetExecutablePathOverride(QString::fromStdString(folder.file("zkvdesk")));
        platform::SetElevatedOverride(true);
        platform::SetCommandLineArguments({});
        previousOs = platform::SetOsHooks({[this](const QString& path) { openedFolders << path; },
                                           [this] { ++quitRequests; }});
        previousClock = platform::SetClockHooks({{}, [this](unsigned ms) { slept.push_back(ms); }, {}});
        platform::SetComOpener([this](const std::string&) { return line.openHost(); });
        ProjectFile.clear();
        BaseCaption.clear();
        MeasWasRunning = false;
        OnMeasPage = false;
        testing_support::ResetExchangeState();
    }

    void TearDown() override {
        grad.reset();
        window.reset();
        testing_support::ResetExchangeState();
        platform::SetComOpener({});
        platform::SetClockHooks(previousClock);
        platform::SetOsHooks(previousOs);
        platform::SetElevatedOverride(std::nullopt);
        platform::SetExecutablePathOverride(std::nullopt);
        platform::SetCommandLineArguments({});
    }

    // Builds both windows as the entry does and shows the main one (its first show runs).
    void start() {
        window = std::make_unique<TFormMain>();
        grad = std::make_unique<TFormGrad>();
        window->show();
    }

    std::string settingsPath() const { return folder.file("zkvdesk.ini"); }

    testing_support::TempFolder folder;
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
    platform::MemoryLine line;
    QStringList openedFolders;
    int quitRequests = 0;
    std::vector<unsigned> slept;
    platform::OsHooks previousOs;
    platform::ClockHooks previousClock;
    std::unique_ptr<TFormMain> window;
    std::unique_ptr<TFormGrad> grad;
};
