// The device test and the device parameter table.
#include <rapidjson/document.h>

#include "applink/kassa_app_client.h"
#include "core/driver_error.h"
#include "driver/kkt_driver.h"
#include "model/documents.h"

namespace zarvik {

namespace {

using Client = KassaAppClient;

DataKKT AppGetDataKKT(KassaAppClient& client) {
    JsonRpcResult out = client.invoke("GetDataKKT", {});
    DataKKT record;
    for (const DataKKTField& field : kDataKKTFields) {
        if (field.text != nullptr) {
            record.*field.text = Client::readString(out.result, field.json);
        } else {
            record.*field.flag = Client::readBool(out.result, field.json);
        }
    }
    return record;
}

}  // namespace

DeviceTestResult KktDriver::DeviceTest() {
    try {
        JsonRpcResult out = app_.invoke("DeviceTest", {});
        // A companion application that says nothing about itself has still
        // answered: the link works.
        return DeviceTestResult{true,
                                Client::optionalString(out.result, "Description").value_or("")};
    } catch (const ZarvikKassaErrorException& error) {
        return DeviceTestResult{false, error.message, static_cast<int32_t>(error.code)};
    }
}

std::string KktDriver::GetDataKKT() { return WriteDataKKTXml(AppGetDataKKT(app_)); }

}  // namespace zarvik
