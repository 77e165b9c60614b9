#include "host/host_call.h"

#include <algorithm>
#include <vector>

#include "host/library.h"

namespace krv {

namespace {

// The host calls the library from one thread at a time (see krvdll.h), so
// these need no lock.
std::vector<TKSLibrary*> g_live;     // handles the host holds
std::vector<TKSLibrary*> g_pending;  // freed by the host while a call ran
int g_depth = 0;                     // exported calls on the stack

bool IsLive(const TKSLibrary* lib) {
    return std::find(g_live.begin(), g_live.end(), lib) != g_live.end();
}

}  // namespace

HostCall::HostCall(void* handle) {
    ++g_depth;
    auto* lib = static_cast<TKSLibrary*>(handle);
    if (lib && IsLive(lib)) library_ = lib;
}

HostCall::~HostCall() {
    if (--g_depth > 0) return;
    std::vector<TKSLibrary*> freed;
    freed.swap(g_pending);
    for (TKSLibrary* lib : freed) delete lib;
}

void* HostCall::Register(std::unique_ptr<TKSLibrary> library) {
    g_live.push_back(library.get());
    return library.release();
}

void HostCall::Release(void* handle) {
    auto* lib = static_cast<TKSLibrary*>(handle);
    auto it = std::find(g_live.begin(), g_live.end(), lib);
    if (!lib || it == g_live.end()) return;
    g_live.erase(it);
    lib->DetachHost();
    if (g_depth > 0)
        g_pending.push_back(lib);
    else
        delete lib;
}

size_t HostCall::ObjectCount() { return g_live.size() + g_pending.size(); }

}  // namespace krv
