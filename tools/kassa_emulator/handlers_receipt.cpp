// Receipts, correction receipts and non-fiscal text documents.
#include "handlers.h"
#include "schemas.h"

namespace kassa {

namespace {

constexpr char kInspectionSite[] = "www.nalog.gov.ru";

double NumberOr(const rapidjson::Value& object, const char* key) {
    const auto found = object.FindMember(key);
    return found != object.MemberEnd() ? found->value.GetDouble() : 0.0;
}

std::string TextOr(const rapidjson::Value& object, const char* key) {
    const auto found = object.FindMember(key);
    if (found == object.MemberEnd()) return std::string();
    return std::string(found->value.GetString(), found->value.GetStringLength());
}

// The check has passed its schema, so every member has its type.
Receipt ReadReceipt(const rapidjson::Document& check) {
    const rapidjson::Value& parameters = check["Parameters"];
    Receipt receipt;
    receipt.operationType = parameters["PaymentType"].GetInt();
    receipt.correction = parameters.HasMember("CorrectionData");
    for (const rapidjson::Value& line : check["Positions"]["FiscalString"].GetArray()) {
        ReceiptPosition position;
        position.name = TextOr(line, "Name");
        position.amount = line["SumWithDiscount"].GetDouble();
        position.markingCode = TextOr(line, "MarkingCode");
        receipt.positions.push_back(position);
    }
    const rapidjson::Value& payments = check["Payments"];
    receipt.payments.cash = NumberOr(payments, "Cash");
    receipt.payments.electronic = NumberOr(payments, "ElectronicPayment");
    receipt.payments.advance = NumberOr(payments, "AdvancePayment");
    receipt.payments.credit = NumberOr(payments, "Credit");
    receipt.payments.provision = NumberOr(payments, "CashProvision");
    return receipt;
}

void ProcessCheck(Call& call) {
    call.params.expectOwn(3, "PosId, счётчик, пустая строка, электронно, чек");
    if (!call.params.text(0, "зарезервирован").empty()) {
        InvalidParams("параметр 3 должен быть пустой строкой");
    }
    const bool electronically = call.params.flag(1, "электронно");
    rapidjson::Document check;
    call.params.json(2, "чек", kCheckSchema, check);
    const rapidjson::Value& parameters = check["Parameters"];
    if (electronically && TextOr(parameters, "CustomerEmail").empty() &&
        TextOr(parameters, "CustomerPhone").empty()) {
        throw Refusal{kBadReceipt,
                      "Для электронного чека нужен телефон или e-mail покупателя "
                      "(CustomerPhone или CustomerEmail)"};
    }
    const RegisteredReceipt receipt = call.kassa.ProcessCheck(ReadReceipt(check));
    call.result.Set("CheckNumber", receipt.document.number)
        .Set("SessionNumber", receipt.shiftNumber)
        .Set("FiscalSign", receipt.document.fiscalSign)
        .Set("AddressSiteInspections", kInspectionSite)
        .Set("DateTime", FormatDateTime(receipt.document.time))
        .Set("Amount", receipt.total);
}

void GetDocumentOutputParametersAdditionals(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    const RegisteredReceipt* receipt = call.kassa.lastReceipt();
    if (receipt == nullptr) throw Refusal{kReceiptNotFound, "В текущей смене ещё нет чеков"};
    call.result.Set("ShiftClosingCheckNumber", receipt->numberInShift)
        .Set("DateTimeFiscal", FormatDateTime(receipt->document.time));
}

bool IsBase64(const std::string& text) {
    if (text.size() % 4 != 0) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              (c >= '0' && c <= '9') || c == '+' || c == '/';
        const bool padding = c == '=' && i + 2 >= text.size();
        if (!alphabet && !padding) return false;
    }
    return true;
}

const Schema kTextLine{"строка документа",
                       {{"LineType", Kind::String, true}, {"Text", Kind::String, true}}};
const Schema kBarcodeLine{"штрихкод документа",
                          {{"LineType", Kind::String, true},
                           {"BarcodeType", Kind::String, true},
                           {"Barcode", Kind::String, true}}};

void PrintTextDocument(Call& call) {
    call.params.expectOwn(1, "PosId, счётчик, строки документа");
    rapidjson::Document lines;
    call.params.jsonArray(0, "строки документа", lines);
    int32_t barcodes = 0;
    for (rapidjson::SizeType i = 0; i < lines.Size(); ++i) {
        const rapidjson::Value& line = lines[i];
        const std::string path = "строка " + std::to_string(i + 1);
        const std::string type = line.IsObject() ? TextOr(line, "LineType") : std::string();
        if (type == "TextString") {
            CheckAgainst(line, kTextLine, path);
        } else if (type == "Barcode") {
            CheckAgainst(line, kBarcodeLine, path);
            if (!IsBase64(TextOr(line, "Barcode"))) {
                InvalidParams(path + ": значение штрихкода не в Base64");
            }
            ++barcodes;
        } else {
            InvalidParams(path + ": LineType должен быть TextString или Barcode");
        }
    }
    call.result.Set("LinesPrinted", static_cast<int32_t>(lines.Size()))
        .Set("BarcodesPrinted", barcodes);
}

}  // namespace

const std::vector<MethodEntry>& ReceiptMethods() {
    static const std::vector<MethodEntry> methods = {
        {"ProcessCheck", ProcessCheck},
        {"GetDocumentOutputParametersAdditionals", GetDocumentOutputParametersAdditionals},
        {"PrintTextDocument", PrintTextDocument},
    };
    return methods;
}

}  // namespace kassa
