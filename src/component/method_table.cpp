#include "component/method_table.h"

namespace zarvik {

const MethodRow kMethods[kMethodCount] = {
    {u"GetInterfaceRevision", u"ПолучитьРевизиюИнтерфейса", 0, CountCheck::None},
    {u"GetDescription", u"ПолучитьОписание", 1, CountCheck::NonZero},
    {u"GetLastError", u"ПолучитьОшибку", 1, CountCheck::Exactly},
    {u"GetParameters", u"ПолучитьПараметры", 1, CountCheck::Exactly},
    {u"SetParameter", u"УстановитьПараметр", 2, CountCheck::SetParameter},
    {u"Open", u"Подключить", 1, CountCheck::None},
    {u"Close", u"Отключить", 1, CountCheck::None},
    {u"DeviceTest", u"ТестУстройства", 2, CountCheck::NonZero},
    {u"GetAdditionalActions", u"ПолучитьДополнительныеДействия", 1, CountCheck::None},
    {u"DoAdditionalAction", u"ВыполнитьДополнительноеДействие", 1, CountCheck::None},
    {u"GetDataKKT", u"ПолучитьПараметрыККТ", 2, CountCheck::Exactly},
    {u"OperationFN", u"ОперацияФН", 3, CountCheck::None},
    {u"OpenShift", u"ОткрытьСмену", 3, CountCheck::Exactly},
    {u"CloseShift", u"ЗакрытьСмену", 3, CountCheck::Exactly},
    {u"ProcessCheck", u"СформироватьЧек", 4, CountCheck::Exactly},
    {u"ProcessCorrectionCheck", u"СформироватьЧекКоррекции", 3, CountCheck::Exactly},
    {u"PrintTextDocument", u"НапечататьТекстовыйДокумент", 2, CountCheck::Exactly},
    {u"CashInOutcome", u"НапечататьЧекВнесенияВыемки", 3, CountCheck::Exactly},
    {u"PrintXReport", u"НапечататьОтчетБезГашения", 2, CountCheck::Exactly},
    {u"PrintCheckCopy", u"НапечататьКопиюЧека", 2, CountCheck::Exactly},
    {u"GetCurrentStatus", u"ПолучитьТекущееСостояние", 3, CountCheck::Exactly},
    {u"ReportCurrentStatusOfSettlements", u"ОтчетОТекущемСостоянииРасчетов", 3,
     CountCheck::Exactly},
    {u"OpenCashDrawer", u"ОткрытьДенежныйЯщик", 1, CountCheck::None},
    {u"GetLineLength", u"ПолучитьШиринуСтроки", 2, CountCheck::Exactly},
    {u"OpenSessionRegistrationKM", u"ОткрытьСессиюРегистрацииКМ", 1, CountCheck::None},
    {u"CloseSessionRegistrationKM", u"ЗакрытьСессиюРегистрацииКМ", 1, CountCheck::None},
    {u"RequestKM", u"ЗапросКМ", 3, CountCheck::Exactly},
    {u"GetProcessingKMResult", u"ПолучитьРезультатыЗапросаКМ", 3, CountCheck::Exactly},
    {u"ConfirmKM", u"ПодтвердитьКМ", 3, CountCheck::Exactly},
};

long FindMethodIndex(const std::u16string& name) {
    for (long i = 0; i < kMethodCount; ++i) {
        if (name == kMethods[i].english) return i;
    }
    for (long i = 0; i < kMethodCount; ++i) {
        if (name == kMethods[i].russian) return i;
    }
    return -1;
}

bool PassesCountCheck(long method, const void* params, long count, bool firstIsString) {
    const MethodRow& row = kMethods[method];
    switch (row.check) {
        case CountCheck::None:
            return true;
        case CountCheck::NonZero:
            return count > 0 && params != nullptr;
        case CountCheck::Exactly:
            return count == row.params && params != nullptr;
        case CountCheck::SetParameter:
            return count == 2 && params != nullptr && firstIsString;
    }
    return false;
}

}  // namespace zarvik
