#include "workload.h"

#include <cstdint>
#include <string>

namespace zarvik::bench {

namespace {

struct Goods {
    const char* name;
    const char* gtin;
    int64_t priceKopecks;
    const char* vatRate;  // percent as the platform writes it
    int vatDivisor;       // the VAT share of a gross amount is amount * rate / (100 + rate)
    int calculationSubject;
    bool industryAttribute;  // goods whose receipts carry the ministry's permit reference
};

// Marked goods of the kinds a grocery till sells most.
const Goods kGoods[] = {
    {"Молоко пастеризованное 3,2% 0,9 л", "04606203098187", 8990, "10", 110, 33, true},
    {"Вода питьевая негазированная 1,5 л", "04600494000393", 5490, "20", 120, 33, false},
    {"Сигареты &quot;Ява золотая&quot; классическая", "04600266011916", 21500, "20", 120, 33, true},
    {"Кефир 2,5% 930 г", "04607025392194", 10490, "10", 110, 33, true},
    {"Пакет-майка ПНД 30x60", "04620006460034", 600, "20", 120, 1, false},
};

std::string Money(int64_t kopecks) {
    std::string text = std::to_string(kopecks / 100) + ".";
    const int64_t rest = kopecks % 100;
    if (rest < 10) text += '0';
    return text + std::to_string(rest);
}

// A crypto tail of 4 characters and a serial of 13 that differs per position,
// with the group separator written as a character reference the way the
// platform escapes it.
std::string MarkingCode(const Goods& goods, int serial) {
    std::string number = std::to_string(1000000000000LL + serial);
    return std::string("01") + goods.gtin + "21" + number + "&#x1D;93" + "dGVz";
}

void AppendPosition(std::string& xml, int index, int64_t& total) {
    const Goods& goods = kGoods[index % (sizeof kGoods / sizeof kGoods[0])];
    const int quantity = 1 + index % 3;
    const int64_t discount = index % 4 == 0 ? 500 : 0;
    const int64_t amount = goods.priceKopecks * quantity - discount;
    const int64_t vat = amount * (goods.vatDivisor - 100) / goods.vatDivisor;
    total += amount;
    const std::string code = MarkingCode(goods, index);
    const std::string ean13 = std::string(goods.gtin).substr(1);

    xml += "    <FiscalString Name=\"";
    xml += goods.name;
    xml += "\" Quantity=\"" + std::to_string(quantity);
    xml += "\" PriceWithDiscount=\"" + Money(amount / quantity);
    xml += "\" AmountWithDiscount=\"" + Money(amount);
    if (discount != 0) xml += "\" DiscountAmount=\"" + Money(discount);
    xml += "\" Department=\"1\" VATRate=\"";
    xml += goods.vatRate;
    xml += "\" VATAmount=\"" + Money(vat);
    xml +=
        "\" PaymentMethod=\"4\" CalculationSubject=\"" + std::to_string(goods.calculationSubject);
    xml += "\" MeasureOfQuantity=\"0\"";
    if (goods.calculationSubject == 33) {
        xml += " MarkingCode=\"" + code + "\" CountryOfOrigin=\"643\"";
    }
    xml += ">\n";
    if (goods.calculationSubject == 33) {
        xml += "      <GoodCodeData EAN13=\"" + ean13 + "\" GS1.M=\"" + code + "\"/>\n";
    } else {
        xml += "      <GoodCodeData EAN13=\"" + ean13 + "\"/>\n";
    }
    if (goods.industryAttribute) {
        xml +=
            "      <IndustryAttribute IdentifierFOIV=\"030\" DocumentDate=\"26.03.2022\" "
            "DocumentNumber=\"477\" AttributeValue=\"mode=2\"/>\n";
    }
    xml += "    </FiscalString>\n";
}

}  // namespace

std::string ReceiptPackage(int positions) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<CheckPackage>\n"
        "  <Parameters CashierName=\"Иванова А.П.\" CashierINN=\"771234567890\" "
        "OperationType=\"1\" TaxationSystem=\"0\" CustomerEmail=\"buyer@example.ru\" "
        "SaleAddress=\"г. Тверь, ул. Советская, д. 5\" SaleLocation=\"Магазин &quot;Колос&quot;, "
        "зал 1\">\n"
        "    <OperationalAttribute DateTime=\"2026-12-06T21:00:00\" OperationID=\"1\" "
        "OperationData=\"смена 12\"/>\n"
        "  </Parameters>\n"
        "  <Positions>\n";
    xml.reserve(static_cast<size_t>(positions) * 800 + 1024);
    int64_t total = 0;
    for (int i = 0; i < positions; ++i) AppendPosition(xml, i, total);
    xml += "    <TextString Text=\"Спасибо за покупку!\"/>\n";
    xml += "  </Positions>\n";
    // Cards pay the round roubles, cash the rest.
    const int64_t card = total / 100 * 100;
    xml += "  <Payments Cash=\"" + Money(total - card) + "\" ElectronicPayment=\"" + Money(card) +
           "\" PrePayment=\"0\" PostPayment=\"0\" Barter=\"0\"/>\n";
    xml += "</CheckPackage>\n";
    return xml;
}

std::string OpenShiftInput() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<InputParameters>\n"
           "  <Parameters CashierName=\"Иванова А.П.\" CashierINN=\"771234567890\" "
           "SaleAddress=\"г. Тверь, ул. Советская, д. 5\" SaleLocation=\"Магазин, зал 1\"/>\n"
           "</InputParameters>\n";
}

std::string RequestKMInput() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<RequestKM GUID=\"7d1a5a2e-1c0b-4f5e-9a33-3f1f0c2b9e41\" WaitForResult=\"true\" "
           "MarkingCode=\"010460620309818721"
           "1000000000042&#x1D;93dGVz\" PlannedStatus=\"1\" "
           "Quantity=\"1\" MeasureOfQuantity=\"0\"/>\n";
}

void AnswerLikeTheCompanion(test::TestCompanion& companion) {
    companion.onResult("ProcessCheck",
                       R"({"CheckNumber":12,"SessionNumber":3,"FiscalSign":"3826746283",)"
                       R"("AddressSiteInspections":"www.nalog.gov.ru"})");
    companion.onResult("GetDocumentOutputParametersAdditionals",
                       R"({"ShiftClosingCheckNumber":4,"DateTimeFiscal":"2026-12-06T21:00:00"})");
    companion.onResult("OpenShift",
                       R"({"SessionNumber":3,"OutputParameters":{"UrgentReplacementFN":false,)"
                       R"("MemoryOverflowFN":false,"ResourcesExhaustionFN":false}})");
    companion.onResult("GetOutputParametersAdditionalsStateInfo",
                       R"({"ShiftState":2,"DateTimeFiscal":"2026-12-06T21:00:00"})");
    companion.onResult("RequestKM",
                       R"({"RequestKMResult":{"Checking":true,"CheckingResult":true}})");
}

}  // namespace zarvik::bench
