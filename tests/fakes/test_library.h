// A library object registered through the exported functions, with a fake
// host behind it, for tests that drive actions directly.
#pragma once

#include <memory>

#include "action/action_base.h"
#include "fakes/fake_host.h"
#include "host/library.h"

namespace krv::test {

struct TestLibrary {
    FakeHost host;
    void* handle = nullptr;

    explicit TestLibrary(bool registerAll = true, std::set<int32_t> except = {}) {
        handle = KRVDLLRejestrujBiblioteke(&host, nullptr, nullptr, nullptr);
        if (registerAll) host.RegisterAll(handle, except);
    }
    ~TestLibrary() { KRVDLLZwolnijBiblioteke(handle); }
    TestLibrary(const TestLibrary&) = delete;
    TestLibrary& operator=(const TestLibrary&) = delete;

    TKSLibrary& Lib() { return *static_cast<TKSLibrary*>(handle); }
    std::unique_ptr<TKSActionBase> Action() { return Lib().UtworzAkcje(host.Device()); }
};

// Text in the library's encoding from a UTF-8 literal.
std::string W(const char* utf8);

}  // namespace krv::test
