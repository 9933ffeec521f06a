// The component object the platform creates: its three interfaces, and the
// driver operations behind the method table.
#pragma once

#include <memory>
#include <string>

#include "applink/kassa_app_client.h"
#include "component/error_report.h"
#include "component/native_api.h"
#include "driver/kkt_driver.h"
#include "log/exchange_log.h"
#include "model/scratch.h"

namespace zarvik {

class CZarvikKassaAddInNative final : public IComponentBase {
  public:
    // Throws std::runtime_error when the log folder cannot be made.
    CZarvikKassaAddInNative();
    ~CZarvikKassaAddInNative() override;

    // IInitDoneBase
    bool Init(void* connection) override;
    bool setMemManager(void* memory) override;
    long GetInfo() override;
    void Done() override;
    long FindParameter(const std::u16string& name) const;

    // ILanguageExtenderBase
    bool RegisterExtensionAs(WCHAR_T** extensionName) override;
    long GetNProps() override;
    long FindProp(const WCHAR_T* name) override;
    const WCHAR_T* GetPropName(long num, long alias) override;
    bool GetPropVal(const long num, tVariant* value) override;
    bool SetPropVal(const long num, tVariant* value) override;
    bool IsPropReadable(const long num) override;
    bool IsPropWritable(const long num) override;
    long GetNMethods() override;
    long FindMethod(const WCHAR_T* name) override;
    const WCHAR_T* GetMethodName(const long num, const long alias) override;
    long GetNParams(const long num) override;
    bool GetParamDefValue(const long method, const long param, tVariant* value) override;
    bool HasRetVal(const long method) override;
    bool CallAsProc(const long method, tVariant* params, const long count) override;
    bool CallAsFunc(const long method, tVariant* result, tVariant* params,
                    const long count) override;

    // LocaleBase
    void SetLocale(const WCHAR_T* locale) override;

  private:
    // The method's work and its result; throws what the operation throws.
    void Dispatch(long method, tVariant& result, tVariant* params, long count);
    void SetParameter(const tVariant& name, const tVariant& value);
    // Reports a failure that is not a driver error as code 7.
    void FailOther(const char* what) noexcept;

    IAddInDefBase* connection_ = nullptr;
    IMemoryManager* memory_ = nullptr;
    Scratch scratch_;
    std::unique_ptr<ExchangeLog> log_;
    std::unique_ptr<KassaAppClient> app_;
    std::unique_ptr<KktDriver> driver_;
    LastError lastError_;
};

}  // namespace zarvik
