// Cash deposits and withdrawals, the drawer, the printer, the device test and
// the register's registration data.
#include "handlers.h"
#include "money.h"
#include "schemas.h"

namespace kassa {

namespace {

constexpr int32_t kLineLength = 48;

void CashInOutcome(Call& call) {
    call.params.expectOwn(2, "PosId, счётчик, сумма, кассир");
    const double amount = call.params.number(0, "сумма");
    rapidjson::Document cashier;
    call.params.json(1, "кассир", kCashierSchema, cashier);
    call.kassa.CashInOutcome(amount);
    call.result.Set("CashBalance", call.kassa.cashBalance());
}

void OpenCashDrawer(Call& call) { call.params.expectOwn(0, "PosId, счётчик"); }

void GetLineLength(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    call.result.Set("LineLength", kLineLength);
}

void PrintCheckCopy(Call& call) {
    call.params.expectOwn(1, "PosId, счётчик, номер чека");
    const std::string text = call.params.text(0, "номер чека");
    uint32_t number = 0;
    bool digits = !text.empty() && text.size() <= 9;
    for (char c : text) {
        digits = digits && c >= '0' && c <= '9';
        if (digits) number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    if (!digits) InvalidParams("номер чека «" + text + "» должен состоять из цифр");
    const RegisteredReceipt* receipt = call.kassa.findReceipt(number);
    if (receipt == nullptr) {
        throw Refusal{kReceiptNotFound, "Чек №" + text + " в текущей смене не найден"};
    }
    call.result.Set("CheckNumber", receipt->document.number)
        .Set("FiscalSign", receipt->document.fiscalSign)
        .Set("Amount", receipt->total);
}

void DeviceTest(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    call.result.Set("Description",
                    "Эмулятор ККТ на связи: касса «" + call.params.posId() +
                        "», фискальный накопитель исправен, смена " +
                        (call.kassa.shiftState() == ShiftState::Closed ? "закрыта" : "открыта"));
}

void GetDataKKT(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    call.result.Set("KKTNumber", "0007345921034581")
        .Set("KKTSerialNumber", "00106701234567")
        .Set("Fiscal", true)
        .Set("FFDVersionFN", "1.2")
        .Set("FFDVersionKKT", "1.2")
        .Set("FNSerialNumber", "7380440700076543")
        .Set("DocumentNumber", std::to_string(call.kassa.lastDocumentNumber()))
        .Set("DateTime", FormatDateTime(call.kassa.now()))
        .Set("OrganizationName", "ООО «Северный берег»")
        .Set("VATIN", "7814627301")
        .Set("AddressSettle", "197341, г. Санкт-Петербург, Коломяжский пр., д. 15, к. 2")
        .Set("PlaceSettle", "Магазин «Продукты у дома», торговый зал")
        .Set("TaxVariant", "0,1")
        .Set("OfflineMode", false)
        .Set("DataEncryption", false)
        .Set("ServiceSign", false)
        .Set("SaleExcisableGoods", true)
        .Set("SignOfGambling", false)
        .Set("SignOfLottery", false)
        .Set("BSOSing", false)
        .Set("CalcOnlineSign", false)
        .Set("PrinterAutomatic", false)
        .Set("AutomaticMode", false)
        .Set("IsMarking", true)
        .Set("IsPawnshop", false)
        .Set("IsAssurance", false)
        .Set("SignOfAgent", "")
        .Set("AutomaticNumber", "")
        .Set("OFDOrganizationName", "ООО «Оператор фискальных данных Север»")
        .Set("OFDVATIN", "7802861454");
}

}  // namespace

const std::vector<MethodEntry>& ServiceMethods() {
    static const std::vector<MethodEntry> methods = {
        {"CashInOutcome", CashInOutcome}, {"OpenCashDrawer", OpenCashDrawer},
        {"GetLineLength", GetLineLength}, {"PrintCheckCopy", PrintCheckCopy},
        {"DeviceTest", DeviceTest},       {"GetDataKKT", GetDataKKT},
    };
    return methods;
}

}  // namespace kassa
