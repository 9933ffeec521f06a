#include "model/data_kkt.h"

namespace zarvik {

constexpr bool kText = false;
constexpr bool kFlag = true;

const std::array<DataKKTField, 30> kDataKKTFields = {{
    {"KKTNumber", "KKTNumber", kText},
    {"KKTSerialNumber", "KKTSerialNumber", kText},
    {"Fiscal", "Fiscal", kFlag},
    {"FFDVersionFN", "FFDVersionFN", kText},
    {"FFDVersionKKT", "FFDVersionKKT", kText},
    {"FNSerialNumber", "FNSerialNumber", kText},
    {"DocumentNumber", "DocumentNumber", kText},
    {"DateTime", "DateTime", kText},
    {"CompanyName", "OrganizationName", kText},
    {"INN", "VATIN", kText},
    {"SaleAddress", "AddressSettle", kText},
    {"SaleLocation", "PlaceSettle", kText},
    {"TaxationSystems", "TaxVariant", kText},
    {"IsOffline", "OfflineMode", kFlag},
    {"IsEncrypted", "DataEncryption", kFlag},
    {"IsService", "ServiceSign", kFlag},
    {"IsExcisable", "SaleExcisableGoods", kFlag},
    {"IsGambling", "SignOfGambling", kFlag},
    {"IsLottery", "SignOfLottery", kFlag},
    {"BSOSing", "BSOSing", kFlag},
    {"IsOnline", "CalcOnlineSign", kFlag},
    {"IsAutomaticPrinter", "PrinterAutomatic", kFlag},
    {"IsAutomatic", "AutomaticMode", kFlag},
    {"IsMarking", "IsMarking", kFlag},
    {"IsPawnshop", "IsPawnshop", kFlag},
    {"IsAssurance", "IsAssurance", kFlag},
    {"AgentTypes", "SignOfAgent", kText},
    {"AutomaticNumber", "AutomaticNumber", kText},
    {"OFDCompany", "OFDOrganizationName", kText},
    {"OFDCompanyINN", "OFDVATIN", kText},
}};

}  // namespace zarvik
