// Who the driver is and how it is set up: its description, the settings form
// the platform shows, the device test and the device parameter table.
#include <rapidjson/document.h>
#include <tinyxml2.h>

#include "applink/kassa_app_client.h"
#include "core/driver_error.h"
#include "driver/identity.h"
#include "driver/kkt_driver.h"
#include "log/exchange_log.h"
#include "model/documents.h"

namespace zarvik {

using Client = KassaAppClient;

std::string KktDriver::GetDescription() {
    tinyxml2::XMLDocument document;
    document.InsertFirstChild(document.NewDeclaration());  // version="1.0" encoding="UTF-8"
    tinyxml2::XMLElement* root = document.NewElement("DriverDescription");
    document.InsertEndChild(root);
    root->SetAttribute("Name", kDriverName);
    root->SetAttribute("Description", kDriverDescription);
    root->SetAttribute("EquipmentType", kEquipmentType);
    root->SetAttribute("IntegrationComponent", "true");
    root->SetAttribute("MainDriverInstalled", "true");
    root->SetAttribute("DriverVersion", kDriverVersion);
    root->SetAttribute("IntegrationComponentVersion", kDriverVersion);
    root->SetAttribute("DownloadURL", kDownloadURL);
    root->SetAttribute("LogIsEnabled", "true");
    // Computed anew: the folder may have been removed since the component was made.
    root->SetAttribute("LogPath", ComputeLogPath(kLogFolderName, kLogFileName).c_str());
    return PrintXml(document);
}

std::string KktDriver::GetParameters() {
    struct Setting {
        const char* name;
        const char* caption;
        const char* type;
        const char* defaultValue;
        const char* description;  // the field's tooltip
        const char* format;
    };
    static const Setting kSettings[] = {
        {"ServerHost", "IP Сервера", "String", "127.0.0.1",
         "IP-адрес или имя компьютера, на котором запущено приложение ЗАРВИК Касса. Если оно "
         "работает на этом же компьютере, оставьте 127.0.0.1.",
         nullptr},
        {"ServerPort", "Порт сервера", "Number", "3333",
         "TCP-порт, на котором приложение ЗАРВИК Касса принимает подключения драйвера: указан в "
         "настройках подключения приложения (обычно 3333). Целое число от 1 до 65535.",
         "ЧГ=0"},  // a port is no amount: 3 333 would read oddly
        {"PosId", "ID ФР", "String", nullptr,
         "Идентификатор этой кассы (фискального регистратора), под которым она заведена в "
         "приложении ЗАРВИК Касса; его показывают настройки приложения.",
         nullptr},
    };

    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* settings = document.NewElement("Settings");
    document.InsertEndChild(settings);
    tinyxml2::XMLElement* page = settings->InsertNewChildElement("Page");
    page->SetAttribute("Caption", "Настройки ЗАРВИК Кассы");
    tinyxml2::XMLElement* group = page->InsertNewChildElement("Group");
    group->SetAttribute("Caption", "Параметры подключения");
    for (const Setting& setting : kSettings) {
        tinyxml2::XMLElement* parameter = group->InsertNewChildElement("Parameter");
        parameter->SetAttribute("Name", setting.name);
        parameter->SetAttribute("Caption", setting.caption);
        parameter->SetAttribute("TypeValue", setting.type);
        if (setting.defaultValue != nullptr) {
            parameter->SetAttribute("DefaultValue", setting.defaultValue);
        }
        parameter->SetAttribute("Description", setting.description);
        if (setting.format != nullptr) parameter->SetAttribute("FieldFormat", setting.format);
    }
    return PrintXml(document);
}

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

std::string KktDriver::GetDataKKT() {
    const JsonRpcResult out = app_.invoke("GetDataKKT", {});
    DataKKT record;
    for (size_t i = 0; i < record.size(); ++i) {
        const DataKKTField& field = kDataKKTFields[i];
        record[i] = field.flag ? (Client::readBool(out.result, field.json) ? "true" : "false")
                               : Client::readString(out.result, field.json);
    }
    return WriteDataKKTXml(record);
}

}  // namespace zarvik
