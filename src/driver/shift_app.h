// App operations of the shift family, shared by the shift and status methods:
// the shift calls themselves and the follow-up calls that collect the state,
// counters and cash balance for the output-parameters document.
#pragma once

#include <string>

#include "applink/kassa_app_client.h"
#include "model/documents.h"

namespace zarvik::app {

// The input-parameters document read (code 8 when it does not parse) and its
// cashier sent as compact JSON text in one String parameter.
JsonRpcParam CashierParam(std::string inputParameters);

// "GetOutputParametersAdditionalsStateInfo": DateTime and ShiftState.
void GetOutputParametersAdditionalsStateInfo(KassaAppClient& client, OutputParameters& record);

// "GetOutputParametersAdditionalsOperationCounters": the four counters.
void GetOutputParametersAdditionalsOperationCounters(KassaAppClient& client,
                                                     OutputParameters& record);

// "GetOutputParametersAdditionalsCashBalance": CashBalance (absent reads 0.0).
void GetOutputParametersAdditionalsCashBalance(KassaAppClient& client, OutputParameters& record);

// The backlog members of a result container. The counter is always set; its
// key differs between answers ("BacklogDocumentCounter" in the status).
void ReadBacklog(const rapidjson::Value& container, const char* counterKey,
                 OutputParameters& record);

}  // namespace zarvik::app
