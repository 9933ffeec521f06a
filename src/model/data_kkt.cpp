#include "model/data_kkt.h"

namespace zarvik {

namespace {

constexpr DataKKTField Text(const char* xml, const char* json, std::string DataKKT::*field) {
    return {xml, json, field, nullptr};
}

constexpr DataKKTField Flag(const char* xml, const char* json, bool DataKKT::*field) {
    return {xml, json, nullptr, field};
}

}  // namespace

const std::array<DataKKTField, 30> kDataKKTFields = {{
    Text("KKTNumber", "KKTNumber", &DataKKT::KKTNumber),
    Text("KKTSerialNumber", "KKTSerialNumber", &DataKKT::KKTSerialNumber),
    Flag("Fiscal", "Fiscal", &DataKKT::Fiscal),
    Text("FFDVersionFN", "FFDVersionFN", &DataKKT::FFDVersionFN),
    Text("FFDVersionKKT", "FFDVersionKKT", &DataKKT::FFDVersionKKT),
    Text("FNSerialNumber", "FNSerialNumber", &DataKKT::FNSerialNumber),
    Text("DocumentNumber", "DocumentNumber", &DataKKT::DocumentNumber),
    Text("DateTime", "DateTime", &DataKKT::DateTime),
    Text("CompanyName", "OrganizationName", &DataKKT::CompanyName),
    Text("INN", "VATIN", &DataKKT::INN),
    Text("SaleAddress", "AddressSettle", &DataKKT::SaleAddress),
    Text("SaleLocation", "PlaceSettle", &DataKKT::SaleLocation),
    Text("TaxationSystems", "TaxVariant", &DataKKT::TaxationSystems),
    Flag("IsOffline", "OfflineMode", &DataKKT::IsOffline),
    Flag("IsEncrypted", "DataEncryption", &DataKKT::IsEncrypted),
    Flag("IsService", "ServiceSign", &DataKKT::IsService),
    Flag("IsExcisable", "SaleExcisableGoods", &DataKKT::IsExcisable),
    Flag("IsGambling", "SignOfGambling", &DataKKT::IsGambling),
    Flag("IsLottery", "SignOfLottery", &DataKKT::IsLottery),
    Flag("BSOSing", "BSOSing", &DataKKT::BSOSing),
    Flag("IsOnline", "CalcOnlineSign", &DataKKT::IsOnline),
    Flag("IsAutomaticPrinter", "PrinterAutomatic", &DataKKT::IsAutomaticPrinter),
    Flag("IsAutomatic", "AutomaticMode", &DataKKT::IsAutomatic),
    Flag("IsMarking", "IsMarking", &DataKKT::IsMarking),
    Flag("IsPawnshop", "IsPawnshop", &DataKKT::IsPawnshop),
    Flag("IsAssurance", "IsAssurance", &DataKKT::IsAssurance),
    Text("AgentTypes", "SignOfAgent", &DataKKT::AgentTypes),
    Text("AutomaticNumber", "AutomaticNumber", &DataKKT::AutomaticNumber),
    Text("OFDCompany", "OFDOrganizationName", &DataKKT::OFDCompany),
    Text("OFDCompanyINN", "OFDVATIN", &DataKKT::OFDCompanyINN),
}};

}  // namespace zarvik
