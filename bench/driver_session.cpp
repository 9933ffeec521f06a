#include "driver_session.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace zarvik::bench {

namespace {

std::string LogPath(const std::string& folder) { return folder + "/VarEzu/1C_exchange_data.log"; }

// The log folder follows the user's data folder; a scratch one per run.
std::string MakeScratchFolder() {
    const char* base = std::getenv("ZARVIK_BENCH_DIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/zarvik-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder for the exchange log");
    }
    ::setenv("XDG_DATA_HOME", pattern.c_str(), 1);
    return pattern;
}

}  // namespace

DriverSession::DriverSession() : folder_(MakeScratchFolder()) {
    const char* overridden = std::getenv("ZARVIK_COMPONENT");
    library_ =
        std::make_unique<host::Library>(overridden != nullptr ? overridden : ZARVIK_COMPONENT_PATH);
    if (!library_->ok()) throw std::runtime_error(library_->error());
    component_ = std::make_unique<host::HostedComponent>(*library_);
    if (!component_->created()) throw std::runtime_error("the component was not created");
    if (!component_->SetConnection("127.0.0.1", companion_.port(), "POS-1")) {
        throw std::runtime_error("the component refused its settings");
    }
}

DriverSession::~DriverSession() {
    component_.reset();  // closes the log
    std::remove(LogPath(folder_).c_str());
    ::rmdir((folder_ + "/VarEzu").c_str());
    ::rmdir(folder_.c_str());
}

long DriverSession::method(const std::string& name) {
    const long index = component_->FindMethod(name);
    if (index < 0) throw std::runtime_error("the component does not know " + name);
    return index;
}

void DriverSession::truncateLog() {
    // The log is opened for appending: it carries on at the new end.
    ::truncate(LogPath(folder_).c_str(), 0);
}

PreparedCall::PreparedCall(DriverSession& session, const std::string& method,
                           const std::vector<host::Param>& params)
    : component_(session.component()), index_(session.method(method)) {
    texts_.reserve(params.size());
    template_.resize(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        const host::Param& param = params[i];
        tVariant& slot = template_[i];
        std::memset(&slot, 0, sizeof slot);
        slot.vt = param.vt;
        switch (param.vt) {
            case VTYPE_PWSTR:
                texts_.emplace_back(param.text.begin(), param.text.end());
                slot.pwstrVal = texts_.back().data();
                slot.wstrLen = static_cast<uint32_t>(texts_.back().size());
                break;
            case VTYPE_I4:
                slot.lVal = param.i4;
                break;
            case VTYPE_UI4:
                slot.ulVal = param.ui4;
                break;
            case VTYPE_R8:
                slot.dblVal = param.r8;
                break;
            case VTYPE_BOOL:
                slot.bVal = param.flag;
                break;
            default:
                break;
        }
    }
    slots_ = template_;
}

bool PreparedCall::operator()() {
    std::memcpy(slots_.data(), template_.data(), slots_.size() * sizeof(tVariant));
    tVariant result;
    std::memset(&result, 0, sizeof result);
    const bool returned = component_.object()->CallAsFunc(index_, &result, slots_.data(),
                                                          static_cast<long>(slots_.size()));
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].vt == VTYPE_PWSTR && slots_[i].pwstrVal != nullptr &&
            slots_[i].pwstrVal != template_[i].pwstrVal) {
            void* block = slots_[i].pwstrVal;
            component_.memory.FreeMemory(&block);
        }
    }
    if (result.vt == VTYPE_PWSTR && result.pwstrVal != nullptr) {
        void* block = result.pwstrVal;
        component_.memory.FreeMemory(&block);
    }
    return returned && result.vt == VTYPE_BOOL && result.bVal;
}

}  // namespace zarvik::bench
