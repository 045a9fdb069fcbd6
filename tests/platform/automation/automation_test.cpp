#include "platform/automation/automation.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

using namespace platform;

// The smallest object: counts its references and deletes itself at the last Release.
class CountedObject : public IDispatch {
  public:
    explicit CountedObject(int* alive) : alive_(alive) { ++*alive_; }
    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT GetIDsOfNames(const IID&, const OLECHAR* const*, std::uint32_t, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, std::uint32_t*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
    std::uint32_t references() const { return references_; }

  private:
    ~CountedObject() { --*alive_; }
    int* alive_;
    std::uint32_t references_ = 1;
};

TEST(Bstr, LengthIsStoredAndTheTextEndsWithANul) {
    BSTR text = SysAllocString(u"Лист1");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 5u);
    EXPECT_EQ(text[5], u'\0');
    EXPECT_EQ(BstrView(text), u"Лист1");
    SysFreeString(text);

    // A string may hold NULs of its own: the stored length, not the first NUL, is its end.
    const char16_t withNul[] = {u'a', u'\0', u'b'};
    BSTR inner = SysAllocStringLen(withNul, 3);
    EXPECT_EQ(SysStringLen(inner), 3u);
    EXPECT_EQ(BstrView(inner), std::u16string_view(withNul, 3));
    SysFreeString(inner);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(BstrView(nullptr), u"");
    SysFreeString(nullptr);
}

TEST(Variant, ClearGivesBackWhatTheValueHolds) {
    int alive = 0;
    auto* object = new CountedObject(&alive);
    object->AddRef();  // the test keeps one reference of its own
    VARIANT held;
    VariantInit(&held);
    EXPECT_EQ(held.vt, VT_EMPTY);
    held.vt = VT_DISPATCH;
    held.pdispVal = object;
    EXPECT_EQ(VariantClear(&held), S_OK);
    EXPECT_EQ(held.vt, VT_EMPTY);
    EXPECT_EQ(object->references(), 1u);

    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"строка");
    EXPECT_EQ(VariantClear(&text), S_OK);  // ASan sees a leak if the string stays
    EXPECT_EQ(text.vt, VT_EMPTY);

    VARIANT strange;
    VariantInit(&strange);
    strange.vt = 12345;
    EXPECT_EQ(VariantClear(&strange), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
    object->Release();
    EXPECT_EQ(alive, 0);
}

TEST(Variant, CopyDuplicatesStringsAndAddsReferences) {
    int alive = 0;
    auto* object = new CountedObject(&alive);
    VARIANT source;
    source.vt = VT_DISPATCH;
    source.pdispVal = object;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(u"old");  // the copy must free it
    ASSERT_EQ(VariantCopy(&target, &source), S_OK);
    EXPECT_EQ(target.pdispVal, object);
    EXPECT_EQ(object->references(), 2u);
    VariantClear(&target);
    VariantClear(&source);
    EXPECT_EQ(alive, 0);

    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"Value");
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    EXPECT_EQ(BstrView(copy.bstrVal), u"Value");
    VariantClear(&text);
    EXPECT_EQ(BstrView(copy.bstrVal), u"Value");
    VariantClear(&copy);
}

class ServerRegistry : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(Succeeded(OleInitialize(nullptr))); }
    void TearDown() override {
        UnregisterServer(u"Test.Server");
        OleUninitialize();
        EXPECT_EQ(alive, 0);
    }
    ServerFactory Factory() {
        return [this](IDispatch** object) {
            ++created;
            *object = new CountedObject(&alive);
            return S_OK;
        };
    }
    int alive = 0;
    int created = 0;
};

TEST_F(ServerRegistry, RegisteredProgIdCreatesOneOwnedObject) {
    RegisterServer(u"Test.Server", Factory());
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"test.SERVER", &clsid), S_OK);  // ProgIDs are not case-sensitive
    EXPECT_FALSE(clsid == CLSID{});
    CLSID again{};
    CLSIDFromProgID(u"Test.Server", &again);
    EXPECT_TRUE(clsid == again);

    IDispatch* object = nullptr;
    ASSERT_EQ(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch, &object),
        S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(alive, 1);
    object->Release();
}

TEST_F(ServerRegistry, CreationFailuresLeaveNoObject) {
    CLSID unknown{};
    EXPECT_EQ(CLSIDFromProgID(u"No.Such.Server", &unknown), CO_E_CLASSSTRING);
    EXPECT_TRUE(unknown == CLSID{});
    IDispatch* object = reinterpret_cast<IDispatch*>(this);  // any stale value must be overwritten
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);

    RegisterServer(u"Test.Server", Factory());
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Test.Server", &clsid), S_OK);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_NULL, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    // A factory that fails hands its code on; an object it made anyway is given back.
    RegisterServer(u"Test.Server", [this](IDispatch** made) {
        *made = new CountedObject(&alive);
        return E_OUTOFMEMORY;
    });
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);

    // An empty registration hides the ProgID, and a class taken before stops answering.
    RegisterServer(u"Test.Server", {});
    EXPECT_EQ(CLSIDFromProgID(u"Test.Server", &unknown), CO_E_CLASSSTRING);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(created, 0);
}

TEST_F(ServerRegistry, CreationNeedsOleOnTheCallingThread) {
    RegisterServer(u"Test.Server", Factory());
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Test.Server", &clsid), S_OK);
    HRESULT onOtherThread = S_OK;
    IDispatch* object = nullptr;
    std::thread([&] {
        onOtherThread = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &object);
    }).join();
    EXPECT_EQ(onOtherThread, CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(created, 0);
}

TEST(OleStartUp, CountsPerThreadAndFailsWhenForced) {
    EXPECT_FALSE(OleInitializedOnThisThread());
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
    OleUninitialize();
    EXPECT_TRUE(OleInitializedOnThisThread());
    OleUninitialize();
    EXPECT_FALSE(OleInitializedOnThisThread());
    OleUninitialize();  // one too many changes nothing
    EXPECT_FALSE(OleInitializedOnThisThread());

    ForceOleInitializeFailure(E_OUTOFMEMORY);
    EXPECT_EQ(OleInitialize(nullptr), E_OUTOFMEMORY);
    EXPECT_FALSE(OleInitializedOnThisThread());
    ForceOleInitializeFailure(S_OK);
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    OleUninitialize();
    int reserved = 0;
    EXPECT_EQ(OleInitialize(&reserved), E_INVALIDARG);
    EXPECT_FALSE(OleInitializedOnThisThread());
}

}  // namespace
