#include "platform/automation/automation.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// ---- strings --------------------------------------------------------------------------------

namespace {

// The length word sits in front of the characters; the BSTR points past it.
std::uint32_t* LengthWord(BSTR text) { return reinterpret_cast<std::uint32_t*>(text) - 1; }

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length) {
    const std::size_t bytes = sizeof(std::uint32_t) + (std::size_t{length} + 1) * sizeof(OLECHAR);
    auto* block = static_cast<std::uint32_t*>(std::calloc(1, bytes));
    if (!block) return nullptr;
    *block = length * static_cast<std::uint32_t>(sizeof(OLECHAR));
    auto* characters = reinterpret_cast<OLECHAR*>(block + 1);
    if (text && length) std::memcpy(characters, text, length * sizeof(OLECHAR));
    return characters;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    return SysAllocStringLen(text, static_cast<std::uint32_t>(std::char_traits<OLECHAR>::length(text)));
}

void SysFreeString(BSTR text) {
    if (text) std::free(LengthWord(text));
}

std::uint32_t SysStringLen(BSTR text) {
    return text ? *LengthWord(text) / static_cast<std::uint32_t>(sizeof(OLECHAR)) : 0;
}

std::u16string_view BstrView(BSTR text) { return text ? std::u16string_view(text, SysStringLen(text)) : u""; }

// ---- values ---------------------------------------------------------------------------------

void VariantInit(VARIANT* value) { std::memset(value, 0, sizeof *value); }

HRESULT VariantClear(VARIANT* value) {
    if (!value) return E_INVALIDARG;
    switch (value->vt) {
        case VT_BSTR:
            SysFreeString(value->bstrVal);
            break;
        case VT_DISPATCH:
            if (value->pdispVal) value->pdispVal->Release();
            break;
        case VT_EMPTY:
        case VT_I4:
        case VT_BOOL:
        case VT_INT:
            break;
        default:
            return DISP_E_BADVARTYPE;
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* target, const VARIANT* source) {
    if (!target || !source) return E_INVALIDARG;
    if (target == source) return S_OK;
    const HRESULT cleared = VariantClear(target);
    if (Failed(cleared)) return cleared;
    switch (source->vt) {
        case VT_BSTR: {
            BSTR copy = nullptr;
            if (source->bstrVal) {
                copy = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
                if (!copy) return E_OUTOFMEMORY;
            }
            target->vt = VT_BSTR;
            target->bstrVal = copy;
            return S_OK;
        }
        case VT_DISPATCH:
            if (source->pdispVal) source->pdispVal->AddRef();
            break;
        case VT_EMPTY:
        case VT_I4:
        case VT_BOOL:
        case VT_INT:
            break;
        default:
            return DISP_E_BADVARTYPE;
    }
    *target = *source;
    return S_OK;
}

// ---- servers and their registry -------------------------------------------------------------

namespace {

std::u16string Folded(std::u16string_view progId) {
    std::u16string folded(progId);
    for (auto& c : folded) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return folded;
}

// A class is the ProgID's place in the list of ProgIDs ever named, tagged so that no zero or
// stranger class passes for one.
constexpr std::uint16_t kClassTag = 0x7A6B;

struct Registry {
    std::mutex lock;
    std::map<std::u16string, ServerFactory> overrides;  // folded ProgID -> factory (empty: hidden)
    std::vector<std::u16string> classes;                // folded ProgIDs; class n is index n - 1
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// The factory that answers the folded ProgID now; empty when none does. Caller holds the lock.
ServerFactory FactoryOf(Registry& registry, const std::u16string& folded) {
    if (const auto found = registry.overrides.find(folded); found != registry.overrides.end())
        return found->second;
    for (const auto& server : InstalledServers()) {
        if (Folded(server.progId) == folded && server.create) return server.create;
    }
    return {};
}

CLSID ClassAt(std::size_t index) {
    return CLSID{static_cast<std::uint32_t>(index + 1), kClassTag, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
}

}  // namespace

HRESULT CLSIDFromProgID(const OLECHAR* progId, CLSID* clsid) {
    if (!clsid) return E_INVALIDARG;
    *clsid = CLSID{};
    if (!progId) return E_INVALIDARG;
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    const std::u16string folded = Folded(progId);
    if (!FactoryOf(registry, folded)) return CO_E_CLASSSTRING;
    std::size_t index = 0;
    while (index < registry.classes.size() && registry.classes[index] != folded) ++index;
    if (index == registry.classes.size()) registry.classes.push_back(folded);
    *clsid = ClassAt(index);
    return S_OK;
}

HRESULT CoCreateInstance(const CLSID& clsid, IDispatch* /*outer*/, DWORD /*context*/, const IID& iid,
                         IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!OleInitializedOnThisThread()) return CO_E_NOTINITIALIZED;
    ServerFactory factory;
    {
        Registry& registry = TheRegistry();
        std::lock_guard guard(registry.lock);
        const std::size_t index = clsid.data1 - std::size_t{1};
        if (clsid.data2 != kClassTag || clsid.data1 == 0 || index >= registry.classes.size() ||
            !(clsid == ClassAt(index))) {
            return REGDB_E_CLASSNOTREG;
        }
        factory = FactoryOf(registry, registry.classes[index]);
    }
    if (!factory) return REGDB_E_CLASSNOTREG;
    if (!(iid == IID_IDispatch)) return E_NOINTERFACE;
    IDispatch* created = nullptr;
    const HRESULT code = factory(&created);
    if (Failed(code)) {
        if (created) created->Release();
        return code;
    }
    if (!created) return E_UNEXPECTED;
    *object = created;
    return S_OK;
}

void RegisterServer(std::u16string_view progId, ServerFactory factory) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    registry.overrides[Folded(progId)] = std::move(factory);
}

void UnregisterServer(std::u16string_view progId) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    registry.overrides.erase(Folded(progId));
}

// ---- OLE on a thread ------------------------------------------------------------------------

namespace {

thread_local int oleInitCount = 0;
std::atomic<HRESULT> forcedOleFailure{S_OK};

}  // namespace

HRESULT OleInitialize(void* reserved) {
    if (reserved) return E_INVALIDARG;
    if (const HRESULT forced = forcedOleFailure.load(); Failed(forced)) return forced;
    return oleInitCount++ == 0 ? S_OK : S_FALSE;
}

void OleUninitialize() {
    if (oleInitCount > 0) --oleInitCount;
}

bool OleInitializedOnThisThread() { return oleInitCount > 0; }

void ForceOleInitializeFailure(HRESULT code) { forcedOleFailure.store(code); }

}  // namespace platform
