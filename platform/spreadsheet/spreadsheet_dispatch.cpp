#include "platform/spreadsheet/spreadsheet_dispatch.h"

#include <map>
#include <new>

#include "platform/spreadsheet/spreadsheet_app.h"
#include "platform/text/wide_text.h"

namespace platform::spreadsheet {
namespace {

std::string AsciiLower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// Member names compare without regard to the case of ASCII letters, as automation compares them.
bool SameMemberName(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::map<std::string, HRESULT>& Failures() {
    static std::map<std::string, HRESULT> failures;
    return failures;
}

}  // namespace

std::optional<int> Arguments::Int(std::uint32_t i) const {
    const VARIANT& v = At(i);
    if (v.vt == VT_I4) return v.lVal;
    if (v.vt == VT_INT) return v.intVal;
    return Mismatch(i), std::nullopt;
}

std::optional<bool> Arguments::Bool(std::uint32_t i) const {
    const VARIANT& v = At(i);
    if (v.vt == VT_BOOL) return v.boolVal != VARIANT_FALSE;
    return Mismatch(i), std::nullopt;
}

std::optional<std::string> Arguments::Text(std::uint32_t i) const {
    const VARIANT& v = At(i);
    if (v.vt == VT_BSTR) return Utf8FromWide(BstrView(v.bstrVal));
    return Mismatch(i), std::nullopt;
}

void Arguments::Mismatch(std::uint32_t i) const {
    if (argError_ != nullptr) *argError_ = params_->cArgs - 1 - i;
}

std::uint32_t DispatchObject::Release() {
    const std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DispatchObject::Give(VARIANT* result, IDispatch* object) {
    if (result == nullptr) {
        object->Release();
        return S_OK;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
}

HRESULT DispatchObject::GetIDsOfNames(const IID& riid, const OLECHAR* const* names, std::uint32_t count, LCID,
                                      DISPID* ids) {
    if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    if (Disconnected()) return RPC_E_DISCONNECTED;
    for (std::uint32_t i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (names[0] == nullptr) return DISP_E_UNKNOWNNAME;
    const std::u16string_view wanted(names[0]);
    const auto members = Members();
    for (std::size_t m = 0; m < members.size(); ++m) {
        if (SameMemberName(members[m].name, wanted)) ids[0] = static_cast<DISPID>(m + 1);
    }
    // Parameters are never passed by name here.
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT DispatchObject::Invoke(DISPID member, const IID& riid, LCID, WORD kind, DISPPARAMS* params,
                               VARIANT* result, std::uint32_t* argError) {
    if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (Disconnected()) return RPC_E_DISCONNECTED;
    const auto members = Members();
    if (member < 1 || static_cast<std::size_t>(member) > members.size()) return DISP_E_MEMBERNOTFOUND;
    const MemberSpec& spec = members[static_cast<std::size_t>(member - 1)];
    const bool kindFits = spec.kind == Kind::Method ? (kind & DISPATCH_METHOD) != 0
                          : spec.kind == Kind::Get  ? (kind & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0
                                                    : (kind & DISPATCH_PROPERTYPUT) != 0;
    if (!kindFits) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (params == nullptr) params = &none;
    if (params->cArgs > 0 && params->rgvarg == nullptr) return E_INVALIDARG;
    if (spec.kind == Kind::Put) {
        if (params->cNamedArgs != 1 || params->rgdispidNamedArgs == nullptr ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
            return DISP_E_PARAMNOTFOUND;
        }
    } else if (params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (params->cArgs != spec.arguments + (spec.kind == Kind::Put ? 1 : 0)) return DISP_E_BADPARAMCOUNT;
    if (const HRESULT injected = InjectedFailure(spec.name); Failed(injected)) return injected;
    try {
        return Run(member - 1, Arguments(params, argError), result);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT DispatchObject::InjectedFailure(std::u16string_view name) const {
    if (Failures().empty()) return S_OK;
    const std::string member = AsciiLower(Utf8FromWide(name));
    for (const std::string& key : {AsciiLower(Receiver()) + "." + member, member}) {
        if (const auto found = Failures().find(key); found != Failures().end()) return found->second;
    }
    return S_OK;
}

}  // namespace platform::spreadsheet

namespace platform {

void FailSpreadsheetMember(std::string_view member, HRESULT code) {
    const std::string key = spreadsheet::AsciiLower(std::string(member));
    if (Succeeded(code))
        spreadsheet::Failures().erase(key);
    else
        spreadsheet::Failures()[key] = code;
}

void ClearSpreadsheetFailures() { spreadsheet::Failures().clear(); }

}  // namespace platform
