// The register's registration data as the platform's device parameter table
// shows it. The companion application names about half of the fields
// differently; one table row per field holds both names.
#pragma once

#include <array>
#include <string>

namespace zarvik {

struct DataKKT {
    std::string KKTNumber;
    std::string KKTSerialNumber;
    bool Fiscal = false;
    std::string FFDVersionFN;
    std::string FFDVersionKKT;
    std::string FNSerialNumber;
    std::string DocumentNumber;
    std::string DateTime;
    std::string CompanyName;
    std::string INN;
    std::string SaleAddress;
    std::string SaleLocation;
    std::string TaxationSystems;
    bool IsOffline = false;
    bool IsEncrypted = false;
    bool IsService = false;
    bool IsExcisable = false;
    bool IsGambling = false;
    bool IsLottery = false;
    bool BSOSing = false;
    bool IsOnline = false;
    bool IsAutomaticPrinter = false;
    bool IsAutomatic = false;
    bool IsMarking = false;
    bool IsPawnshop = false;
    bool IsAssurance = false;
    std::string AgentTypes;
    std::string AutomaticNumber;
    std::string OFDCompany;
    std::string OFDCompanyINN;
};

// Exactly one of `text` and `flag` is set.
struct DataKKTField {
    const char* xml;
    const char* json;
    std::string DataKKT::*text;
    bool DataKKT::*flag;
};

// In the order of the attributes of the output and of reading the answer.
extern const std::array<DataKKTField, 30> kDataKKTFields;

}  // namespace zarvik
