#include "core/driver_error.h"

namespace zarvik {

const char* const kErrorSource = "ZARVIK Duzar";

namespace {
const char* const kUnknownError = "Неизвестная ошибка";
const char* const kAppReturnedError = "Приложение ЗАРВИК Кассы вернуло ошибку.";
}  // namespace

ZarvikKassaErrorException InputDataError(const std::string& detail) {
    return ZarvikKassaErrorException(DriverErrorCode::InputDataError,
                                     "Некорректные входные данные: " + detail);
}

ZarvikKassaErrorException OtherError(const std::string& what) {
    return ZarvikKassaErrorException(DriverErrorCode::OtherError,
                                     std::string(kUnknownError) + ": " + what);
}

std::vector<PlatformReport> PlatformReportsFor(const ZarvikKassaErrorException& error) {
    const auto code = static_cast<int32_t>(error.code);
    switch (error.code) {
        case DriverErrorCode::ConnectionError:
            return {{code, "Невозможно установить соединение с приложением."}};
        case DriverErrorCode::ResolveHostnameError:
            return {{code, "Невозможно определить hosthame приложения."}};
        case DriverErrorCode::ResponseEmptyError:
            return {{code, "Приложение ЗАРВИК Кассы вернуло пустой результат."}};
        case DriverErrorCode::ResponseParseError:
            return {{code, "Ошибка при обработке ответа от Приложение ЗАРВИК Кассы."}};
        case DriverErrorCode::ResponseContainError:
            return {{code, error.message}, {code, kAppReturnedError}};
        case DriverErrorCode::MissingParameterError:
        case DriverErrorCode::InputDataError:
            return {{code, error.message}};
        case DriverErrorCode::OtherError:
            return {{code, error.message.empty() ? std::string(kUnknownError) : error.message}};
    }
    return {{static_cast<int32_t>(DriverErrorCode::OtherError), kUnknownError}};
}

}  // namespace zarvik
