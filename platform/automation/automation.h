#pragma once

// A minimal automation layer of our own: the values, strings, late-bound object interface and the
// server registry that the report library drives the spreadsheet application through. The names,
// numbers and calling rules are the ones automation clients are written against, so that the
// library's code reads as automation code and its failure codes mean what they always meant.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace platform {

// ---- result codes ---------------------------------------------------------------------------

using HRESULT = std::int32_t;

constexpr HRESULT HresultOf(std::uint32_t bits) { return static_cast<HRESULT>(bits); }
constexpr bool Succeeded(HRESULT code) { return code >= 0; }
constexpr bool Failed(HRESULT code) { return code < 0; }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

constexpr HRESULT E_UNEXPECTED = HresultOf(0x8000FFFF);
constexpr HRESULT E_NOTIMPL = HresultOf(0x80004001);
constexpr HRESULT E_NOINTERFACE = HresultOf(0x80004002);
constexpr HRESULT E_POINTER = HresultOf(0x80004003);
constexpr HRESULT E_FAIL = HresultOf(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = HresultOf(0x8007000E);
constexpr HRESULT E_INVALIDARG = HresultOf(0x80070057);

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = HresultOf(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = HresultOf(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = HresultOf(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = HresultOf(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = HresultOf(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = HresultOf(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = HresultOf(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = HresultOf(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = HresultOf(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = HresultOf(0x8002000B);
constexpr HRESULT DISP_E_UNKNOWNLCID = HresultOf(0x8002000C);
constexpr HRESULT DISP_E_ARRAYISLOCKED = HresultOf(0x8002000D);
constexpr HRESULT DISP_E_BADPARAMCOUNT = HresultOf(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = HresultOf(0x8002000F);

constexpr HRESULT REGDB_E_CLASSNOTREG = HresultOf(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = HresultOf(0x800401F0);
constexpr HRESULT CO_E_CLASSSTRING = HresultOf(0x800401F3);

// ---- strings --------------------------------------------------------------------------------

// Automation strings are UTF-16. A BSTR points at its first character; its length in characters
// is stored in front of it and a NUL follows the last character, so it also reads as a C string.
// A null BSTR is the empty string.
using OLECHAR = char16_t;
using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);                           // null text: null
BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length);  // null text: zero-filled
void SysFreeString(BSTR text);                                      // null: nothing
std::uint32_t SysStringLen(BSTR text);                              // null: 0
std::u16string_view BstrView(BSTR text);

// ---- values ---------------------------------------------------------------------------------

using VARTYPE = std::uint16_t;
constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_INT = 22;

using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

class IDispatch;

// A VT_BSTR value owns its string and a VT_DISPATCH value holds one reference to its object;
// VariantClear gives both back.
struct VARIANT {
    VARTYPE vt;
    union {
        std::int32_t lVal;     // VT_I4
        std::int32_t intVal;   // VT_INT
        VARIANT_BOOL boolVal;  // VT_BOOL
        BSTR bstrVal;          // VT_BSTR
        IDispatch* pdispVal;   // VT_DISPATCH
    };
};

// VT_EMPTY; nothing is freed.
void VariantInit(VARIANT* value);
// Frees the string or releases the object, then VT_EMPTY; DISP_E_BADVARTYPE for a type outside
// the six, which is left as it is.
HRESULT VariantClear(VARIANT* value);
// Clears the target first, then copies the string or adds a reference to the object.
HRESULT VariantCopy(VARIANT* target, const VARIANT* source);

// ---- late-bound objects ---------------------------------------------------------------------

using DISPID = std::int32_t;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;

using LCID = std::uint32_t;
constexpr LCID LOCALE_USER_DEFAULT = 0x400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x800;

using WORD = std::uint16_t;
constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;

struct GUID {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
constexpr IID IID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Arguments of an invoke. rgvarg[0] is the member's LAST parameter (callers fill the array last
// parameter first). A property put passes its value as the one named argument DISPID_PROPERTYPUT.
struct DISPPARAMS {
    VARIANT* rgvarg;
    DISPID* rgdispidNamedArgs;
    std::uint32_t cArgs;
    std::uint32_t cNamedArgs;
};

// The late-bound object interface. Objects are reference counted: whoever receives an object
// (from a factory, in a result VARIANT) owns one reference and gives it back with Release.
// Invoke reads its arguments only; it never takes over or frees them. A result VARIANT is given
// initialised (VT_EMPTY) or null when the caller wants none.
class IDispatch {
  public:
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;
    // Looks up each name (case-insensitively) and fills ids; DISP_E_UNKNOWNNAME when one is not
    // a member (its id becomes DISPID_UNKNOWN). riid must be IID_NULL.
    virtual HRESULT GetIDsOfNames(const IID& riid, const OLECHAR* const* names, std::uint32_t count,
                                  LCID lcid, DISPID* ids) = 0;
    // kind: DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT (a method that is also a
    // property may be called with METHOD | PROPERTYGET). argError, when given, receives the index
    // into rgvarg of an argument that failed with DISP_E_TYPEMISMATCH or DISP_E_PARAMNOTFOUND.
    virtual HRESULT Invoke(DISPID member, const IID& riid, LCID lcid, WORD kind, DISPPARAMS* params,
                           VARIANT* result, std::uint32_t* argError) = 0;

  protected:
    virtual ~IDispatch() = default;
};

// ---- servers and their registry -------------------------------------------------------------

using DWORD = std::uint32_t;
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

// Makes a new object of a server; on success *object holds one reference for the caller.
using ServerFactory = std::function<HRESULT(IDispatch** object)>;

// The class of a registered ProgID (case-insensitive); CO_E_CLASSSTRING and a zero class when
// the ProgID is not registered.
HRESULT CLSIDFromProgID(const OLECHAR* progId, CLSID* clsid);
// Creates an object of the class on a thread that initialised OLE (CO_E_NOTINITIALIZED
// otherwise); REGDB_E_CLASSNOTREG for an unknown class, E_NOINTERFACE unless iid is IID_IDispatch,
// the factory's own code when it fails. *object is null on every failure.
HRESULT CoCreateInstance(const CLSID& clsid, IDispatch* outer, DWORD context, const IID& iid,
                         IDispatch** object);

// Servers installed on this machine (installed_servers.cpp) answer their ProgIDs unless a
// registration below overrides one. Registering an empty factory makes the ProgID unknown, as on
// a machine where that server is not installed. Unregister returns to the installed state.
void RegisterServer(std::u16string_view progId, ServerFactory factory);
void UnregisterServer(std::u16string_view progId);

struct InstalledServer {
    std::u16string_view progId;
    HRESULT (*create)(IDispatch** object);
};
// The table of installed servers; defined in installed_servers.cpp, where each server adds its row.
std::span<const InstalledServer> InstalledServers();

// ---- OLE on a thread ------------------------------------------------------------------------

// Initialises OLE on the calling thread: S_OK the first time, S_FALSE when already initialised
// (each success needs its OleUninitialize). reserved must be null. Fails with the code set by
// ForceOleInitializeFailure, leaving the thread uninitialised.
HRESULT OleInitialize(void* reserved);
void OleUninitialize();
bool OleInitializedOnThisThread();
// Tests: makes every later OleInitialize fail with the code (S_OK: succeed again). Process-wide.
void ForceOleInitializeFailure(HRESULT code);

}  // namespace platform
