// The lifetime of library objects across exported calls. A host may free a
// library from inside one of its callbacks (or while another exported call of
// the process is still running further up the stack): the object must outlive
// every call that is using it, so the release is deferred until the outermost
// exported call returns, and the object is deleted exactly once.
//
// From the moment the host frees it, a library calls none of the host's
// functions again (the host may be tearing down its own side) and answers
// every later call on its handle as it answers a null handle.
#pragma once

#include <cstddef>
#include <memory>

namespace krv {

class TKSLibrary;

class HostCall {
  public:
    // Enters an exported call; `handle` is the host's library handle or null.
    explicit HostCall(void* handle = nullptr);
    // Leaves it; the outermost call deletes the libraries freed meanwhile.
    ~HostCall();
    HostCall(const HostCall&) = delete;
    HostCall& operator=(const HostCall&) = delete;

    // The library of the handle, or null for a handle that is null, unknown
    // or already freed.
    TKSLibrary* Library() const { return library_; }

    // Hands a new library to the host: its handle.
    static void* Register(std::unique_ptr<TKSLibrary> library);
    // The host frees a handle: at once when no exported call is running,
    // else when the outermost one returns. An unknown or already freed
    // handle is left alone.
    static void Release(void* handle);
    // How many library objects exist (freed ones still waiting count).
    static size_t ObjectCount();

  private:
    TKSLibrary* library_ = nullptr;
};

}  // namespace krv
