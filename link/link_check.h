#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "link/exchange_engine.h"

// What the link check reaches outside the link: the settings page's settings-read stage machine,
// the set-up page's factory-number edit and the status bar. The main window wires them up.
struct LinkCheckHooks {
    std::function<void(int stage)> setSettingsStage;
    std::function<int()> settingsStage;
    std::function<void(const char* data)> rxSettings;
    std::function<void(const QString& text)> setFactoryNumber;
    std::function<void(int index)> showWorkName;
};

// The link check (work 31): the opening write, then the instrument's settings through the settings
// page and its factory number. A guard ends it when a page change has switched the answer
// time-out off under it.
class LinkCheck {
public:
    // The hooks are read at every step, so they may be wired after the check is made.
    LinkCheck(const LinkCheckHooks& hooks, std::function<void(bool on)> lockControls);

    // The step machine, run by the dispatcher.
    void Step(std::uint16_t event, const WorkInput& input);

private:
    void ShowWorkName(int index);
    void LockControls(bool on);
    void Fail();
    void ArmGuard();

    const LinkCheckHooks& hooks_;
    std::function<void(bool on)> lockControls_;
    // The data text of the last complete answer; the parser's own buffer holds a frame being
    // received while one is in progress.
    std::string lastAnswer_;
    bool guardArmed_ = false;  // DelayTicks counts the guard, not the settings read's delay
};
