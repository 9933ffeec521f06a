// The platform's documents as they are sent, or refused: the tables of
// tests/data/*_rows.txt (a row's argument a JSON pointer to the member it
// pins), the full check document as a whole file, and a check
// record reused from one receipt to the next. (The request line that carries
// the check document, escaped twice, is pinned by the operations' table.)
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "core/driver_error.h"
#include "model/cashier.h"
#include "model/check_encoding.h"
#include "model/check_package.h"
#include "model/marking_request.h"
#include "model/text_document.h"
#include "test_data.h"

namespace zarvik {
namespace {

using test_data::DataFile;

TEST(Documents, AsSentOrRefused) {
    const std::map<std::string, std::function<std::string(const std::string&)>> kinds = {
        {"check", [](auto& xml) { return CheckDocumentText(ParseCheckPackage(xml)); }},
        {"request-km", [](auto& xml) { return RequestKMText(ParseRequestKM(xml)); }},
        {"cashier", [](auto& xml) { return CashierDataToJson(ReadInputParameters(xml)); }},
        {"text-document", [](auto& xml) { return TextDocumentToJson(ReadTextDocument(xml)); }},
    };
    for (const char* file : {"check_package_rows.txt", "document_rows.txt"}) {
        const std::vector<test_data::Row> rows = test_data::Rows(file);
        EXPECT_GT(rows.size(), 10u) << file;
        for (const test_data::Row& row : rows) {
            std::string sent;
            try {
                sent = kinds.at(row.kind)(row.input);
                if (!row.argument.empty()) sent = test_data::At(sent, row.argument);
            } catch (const ZarvikKassaErrorException& error) {
                EXPECT_EQ(error.code, DriverErrorCode::InputDataError) << row.where;
                sent = error.message;
            }
            EXPECT_EQ(sent, row.expected) << row.where;
        }
    }
}

TEST(Documents, FullReceiptWithEveryPartAtBothLevels) {
    EXPECT_EQ(CheckDocumentText(ParseCheckPackage(DataFile("check_full_ffd12.xml"))),
              DataFile("check_full_ffd12.json"));
}

// The record is kept from one receipt to the next: nothing of an earlier
// receipt may show in a later one, even after a refused package.
TEST(CheckPackage, AReusedRecordCarriesNothingOver) {
    CheckPackage check;
    const std::string full = DataFile("check_full_ffd12.xml");
    const std::string minimal = DataFile("check_minimal.xml");
    const auto read = [&](std::string text) { ParseCheckPackage(text, check); };
    read(full);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(full)));
    EXPECT_THROW(read("<CheckPackage><Parameters/>"), ZarvikKassaErrorException);
    // Refused halfway through the positions, after the first was read.
    EXPECT_THROW(read(R"(<C><Parameters CashierName="К"/><Positions><FiscalString Name="A")"
                      R"( VATRate="20"/><FiscalString Name="B"/></Positions><Payments/></C>)"),
                 ZarvikKassaErrorException);
    read(minimal);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(minimal)));
    read(full);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(full)));
}

}  // namespace
}  // namespace zarvik
