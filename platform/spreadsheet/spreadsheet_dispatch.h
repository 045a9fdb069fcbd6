#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace platform::spreadsheet {

// The late-bound object plumbing of the spreadsheet application's objects: look-up by name, the checks
// every call passes (kind, argument count, the put's named argument, the failure switches) and
// arguments read in the member's own order.

enum class Kind { Method, Get, Put };

struct MemberSpec {
    std::u16string_view name;
    Kind kind;
    std::uint32_t arguments;  // positional; a put also takes its value
};

// The arguments of one call in the member's own order (rgvarg holds them last first). A wrong type
// reports its place in rgvarg through argError, as automation does.
class Arguments {
  public:
    Arguments(DISPPARAMS* params, std::uint32_t* argError) : params_(params), argError_(argError) {}
    std::optional<int> Int(std::uint32_t i) const;
    std::optional<bool> Bool(std::uint32_t i) const;
    std::optional<std::string> Text(std::uint32_t i) const;  // UTF-8
    // The place of a property put's value.
    std::uint32_t Value() const { return params_->cArgs - 1; }

  private:
    const VARIANT& At(std::uint32_t i) const { return params_->rgvarg[params_->cArgs - 1 - i]; }
    void Mismatch(std::uint32_t i) const;
    DISPPARAMS* params_;
    std::uint32_t* argError_;
};

class DispatchObject : public IDispatch {
  public:
    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override;
    HRESULT GetIDsOfNames(const IID& riid, const OLECHAR* const* names, std::uint32_t count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID member, const IID& riid, LCID lcid, WORD kind, DISPPARAMS* params, VARIANT* result,
                   std::uint32_t* argError) override;

  protected:
    ~DispatchObject() override = default;
    // True once the server has gone: every call then fails with RPC_E_DISCONNECTED.
    virtual bool Disconnected() const = 0;
    // The receiver's name for the failure switches ("rows").
    virtual const char* Receiver() const = 0;
    virtual std::span<const MemberSpec> Members() const = 0;
    virtual HRESULT Run(int member, const Arguments& args, VARIANT* result) = 0;

    // Hands a new object to the caller's result, which then holds its one reference.
    static HRESULT Give(VARIANT* result, IDispatch* object);

  private:
    HRESULT InjectedFailure(std::u16string_view name) const;
    std::atomic<std::uint32_t> references_{1};
};

}  // namespace platform::spreadsheet
