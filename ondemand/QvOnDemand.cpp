// Finding and loading the part of the program loaded on first use.
#include "ondemand/QvOnDemand.h"

#include "settings/QvApplicationPath.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

// Defined when the part is linked into the program itself, as in the tests.
extern "C" qv::TOnDemand* AmpwiseOnDemand() __attribute__((weak));

namespace qv {

namespace {

using TEntry = TOnDemand* (*)();
const char* const kEntry = "AmpwiseOnDemand";
const char* const kLibrary = "libampwise_ondemand.so";

TOnDemand* Load() {
    if (AmpwiseOnDemand)
        return AmpwiseOnDemand();
    const std::string exe = ExecutablePath();
    const std::string file = exe.substr(0, exe.rfind('/') + 1) + kLibrary;
    void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = ::dlerror();
        throw std::runtime_error("Cannot load " + file + ": " + (why ? why : "unknown error"));
    }
    void* entry = ::dlsym(library, kEntry);
    if (!entry)
        throw std::runtime_error(file + " is not the part of the program loaded on first use");
    return reinterpret_cast<TEntry>(entry)();
}

} // namespace

TOnDemand& OnDemand() {
    static TOnDemand* const part = Load();
    return *part;
}

} // namespace qv
