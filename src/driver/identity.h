// Who the driver is, as the platform sees it. Constants: nothing changes them.
#pragma once

#include <cstdint>

namespace zarvik {

constexpr int32_t kInterfaceRevision = 3004;
constexpr const char* kDriverVersion = "1.7.0.0";
constexpr const char* kExtensionName = "ZARVIK_KASSA_KKM_54FZ_FFD105";
constexpr const char* kClassName = "CZarvikKassaAddInNative";
constexpr const char* kDriverName =
    "ЗАРВИК Reviv: Драйвер ККТ с передачей данных (54-ФЗ) ФФД 1.2 (версия 3.4)";
constexpr const char* kDriverDescription =
    "ЗАРВИК Reviv: Драйвер ККТ» – компонента (драйвер), предназначенная для работы с "
    "приложением «ZARVIKKassaWindows» версии выше 1.14.0.0";
constexpr const char* kEquipmentType = "ККТ";
constexpr const char* kDownloadURL = "https://zarvik.ru/download/";

}  // namespace zarvik
