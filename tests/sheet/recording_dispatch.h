#pragma once

// A recording stand-in for the spreadsheet application's objects: every object answers every
// member name, records each invoke (receiver, member, kind, arguments in parameter order), and
// hands out a fresh child object for each property get or method with a result. It can be told to
// make any member unknown, fail, or throw from the look-up, and counts the references it hands out
// so that tests see every one given back.

#include <map>
#include <string>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/automation/window_handle.h"
#include "platform/system/clock.h"

namespace testing_support {

struct RecordedCall {
    std::string receiver;  // label of the object called
    std::string member;
    platform::WORD kind;
    std::vector<std::string> arguments;  // parameter order: first parameter first
    platform::LCID lookupLocale;
    platform::LCID invokeLocale;
    std::string Line() const;  // "receiver get Member(arg, arg)"
};

class RecordingWorld {
  public:
    RecordingWorld() = default;
    RecordingWorld(const RecordingWorld&) = delete;
    RecordingWorld& operator=(const RecordingWorld&) = delete;

    // A new object with one reference for the caller.
    platform::IDispatch* NewObject(const std::string& label);
    // A VT_DISPATCH holding a new object.
    platform::VARIANT NewVariant(const std::string& label);

    // Every later invoke of the member fails with the code; with a receiver prefix, only on
    // receivers whose label starts with it. The member may name its arguments the way labels do
    // ("Item(i4:3)") to fail only that call; the first `spared` matching invokes still succeed.
    void Fail(const std::string& member, platform::HRESULT code, const std::string& receiverPrefix = "",
              int spared = 0);
    // The member's look-up fails with DISP_E_UNKNOWNNAME, or throws.
    void Unknown(const std::string& member) { unknown_[member] = false; }
    void ThrowOnLookup(const std::string& member) { unknown_[member] = true; }

    const std::vector<RecordedCall>& calls() const { return calls_; }
    std::vector<std::string> Lines() const;
    int alive() const { return alive_; }
    int created() const { return created_; }

  private:
    friend class RecordingObject;
    platform::HRESULT FailureFor(const std::string& receiver, const std::string& member, const std::string& child);

    struct Failure {
        std::string member;
        std::string receiverPrefix;
        platform::HRESULT code;
        int spared;
    };
    std::vector<Failure> failures_;
    std::map<std::string, bool> unknown_;  // member -> throws
    std::vector<std::string> names_;       // DISPID n is names_[n - 1]
    std::vector<RecordedCall> calls_;
    int alive_ = 0;
    int created_ = 0;
};

// Collects the debug lines for its life.
class DebugLines {
  public:
    DebugLines();
    ~DebugLines();
    DebugLines(const DebugLines&) = delete;
    DebugLines& operator=(const DebugLines&) = delete;
    std::vector<std::string> lines;

  private:
    platform::ClockHooks previous_;
};

// A diagnostic window of class "testClass" with a list box among its children, which records
// the list-box messages; registered for its life.
class DiagnosticWindow {
  public:
    DiagnosticWindow();
    ~DiagnosticWindow();
    DiagnosticWindow(const DiagnosticWindow&) = delete;
    DiagnosticWindow& operator=(const DiagnosticWindow&) = delete;
    std::vector<std::string> lines;  // code page 1251, as added
    long selected = -100;

  private:
    static LRESULT ListBoxAnswer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    ZkvWindow top_;
    ZkvWindow panel_;
    ZkvWindow button_;
    ZkvWindow listBox_;
};

}  // namespace testing_support
