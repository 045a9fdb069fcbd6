#include "tests/sheet/recording_dispatch.h"

#include <stdexcept>

#include "platform/automation/window_handle.h"
#include "platform/text/wide_text.h"

namespace testing_support {

using namespace platform;

namespace {

std::string ArgumentText(const VARIANT& value) {
    switch (value.vt) {
        case VT_EMPTY:
            return "empty";
        case VT_I4:
            return "i4:" + std::to_string(value.lVal);
        case VT_INT:
            return "int:" + std::to_string(value.intVal);
        case VT_BOOL:
            return "bool:" + std::to_string(value.boolVal);
        case VT_BSTR:
            return "\"" + Utf8FromWide(BstrView(value.bstrVal)) + "\"";
        case VT_DISPATCH:
            return "dispatch";
        default:
            return "vt:" + std::to_string(value.vt);
    }
}

const char* KindText(WORD kind) {
    switch (kind) {
        case DISPATCH_METHOD:
            return "method";
        case DISPATCH_PROPERTYGET:
            return "get";
        case DISPATCH_PROPERTYPUT:
            return "put";
        default:
            return "kind?";
    }
}

}  // namespace

std::string RecordedCall::Line() const {
    std::string line = receiver + " " + KindText(kind) + " " + member + "(";
    for (std::size_t i = 0; i < arguments.size(); ++i) line += (i ? ", " : "") + arguments[i];
    return line + ")";
}

class RecordingObject : public IDispatch {
  public:
    RecordingObject(RecordingWorld& world, std::string label) : world_(world), label_(std::move(label)) {
        ++world_.alive_;
        ++world_.created_;
    }

    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT GetIDsOfNames(const IID& riid, const OLECHAR* const* names, std::uint32_t count, LCID lcid,
                          DISPID* ids) override {
        if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (count != 1) return E_INVALIDARG;
        const std::string name = Utf8FromWide(names[0]);
        if (const auto found = world_.unknown_.find(name); found != world_.unknown_.end()) {
            if (found->second) throw std::runtime_error("server gone");
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        lastLookupLocale_ = lcid;
        auto& known = world_.names_;
        std::size_t index = 0;
        while (index < known.size() && known[index] != name) ++index;
        if (index == known.size()) known.push_back(name);
        ids[0] = static_cast<DISPID>(index + 1);
        return S_OK;
    }

    HRESULT Invoke(DISPID member, const IID& riid, LCID lcid, WORD kind, DISPPARAMS* params, VARIANT* result,
                   std::uint32_t*) override {
        if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (member < 1 || static_cast<std::size_t>(member) > world_.names_.size())
            return DISP_E_MEMBERNOTFOUND;
        RecordedCall call{
            label_, world_.names_[static_cast<std::size_t>(member) - 1], kind, {}, lastLookupLocale_, lcid};
        for (std::uint32_t i = params->cArgs; i-- > 0;)
            call.arguments.push_back(ArgumentText(params->rgvarg[i]));
        world_.calls_.push_back(call);

        // A put carries its value as the one named argument; nothing else names its arguments.
        const bool isPut = kind == DISPATCH_PROPERTYPUT;
        const bool namedPut = params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
                              params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        if (isPut && (!namedPut || params->cArgs < 1)) return DISP_E_PARAMNOTOPTIONAL;
        if (!isPut && params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;

        std::string child = call.member;
        if (!call.arguments.empty()) {
            child += "(";
            for (std::size_t i = 0; i < call.arguments.size(); ++i) child += (i ? "," : "") + call.arguments[i];
            child += ")";
        }
        if (const HRESULT failure = world_.FailureFor(label_, call.member, child); Failed(failure)) return failure;
        if (result && !isPut) {
            result->vt = VT_DISPATCH;
            result->pdispVal = new RecordingObject(world_, child);
        }
        return S_OK;
    }

  private:
    ~RecordingObject() override { --world_.alive_; }

    RecordingWorld& world_;
    std::string label_;
    std::uint32_t references_ = 1;
    LCID lastLookupLocale_ = 0;
};

IDispatch* RecordingWorld::NewObject(const std::string& label) { return new RecordingObject(*this, label); }

VARIANT RecordingWorld::NewVariant(const std::string& label) {
    VARIANT value;
    value.vt = VT_DISPATCH;
    value.pdispVal = NewObject(label);
    return value;
}

void RecordingWorld::Fail(const std::string& member, HRESULT code, const std::string& receiverPrefix, int spared) {
    failures_.push_back({member, receiverPrefix, code, spared});
}

HRESULT RecordingWorld::FailureFor(const std::string& receiver, const std::string& member, const std::string& child) {
    for (auto& failure : failures_) {
        if ((failure.member == member || failure.member == child) && receiver.rfind(failure.receiverPrefix, 0) == 0) {
            if (failure.spared > 0) {
                --failure.spared;
                continue;
            }
            return failure.code;
        }
    }
    return S_OK;
}

std::vector<std::string> RecordingWorld::Lines() const {
    std::vector<std::string> lines;
    for (const auto& call : calls_) lines.push_back(call.Line());
    return lines;
}

DebugLines::DebugLines() {
    previous_ = SetClockHooks({{}, {}, [this](std::string_view line) { lines.emplace_back(line); }});
}

DebugLines::~DebugLines() { SetClockHooks(previous_); }

DiagnosticWindow::DiagnosticWindow()
    : top_{"testClass", "Debug", nullptr, nullptr, nullptr},
      panel_{"TPanel", nullptr, &top_, nullptr, nullptr},
      button_{"TButton", nullptr, &panel_, nullptr, nullptr},
      listBox_{"TListBox", nullptr, &panel_, &DiagnosticWindow::ListBoxAnswer, this} {
    for (HWND w : {&top_, &panel_, &button_, &listBox_}) RegisterWindow(w);
}

DiagnosticWindow::~DiagnosticWindow() {
    for (HWND w : {&top_, &panel_, &button_, &listBox_}) UnregisterWindow(w);
}

LRESULT DiagnosticWindow::ListBoxAnswer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<DiagnosticWindow*>(window->data);
    switch (message) {
        case LB_ADDSTRING:
            self->lines.emplace_back(reinterpret_cast<const char*>(lParam));
            return static_cast<LRESULT>(self->lines.size() - 1);
        case LB_GETCOUNT:
            return static_cast<LRESULT>(self->lines.size());
        case LB_SETCURSEL:
            self->selected = static_cast<long>(wParam);
            return static_cast<LRESULT>(wParam);
        default:
            return 0;
    }
}

}  // namespace testing_support
