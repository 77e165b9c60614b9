#include "host/tarvisco_library.h"

#include "scale/tarvisco_action.h"

namespace krv {

std::unique_ptr<TKSActionBase> TTarviscoLibrary::UtworzAkcje(void* device) {
    return std::make_unique<TarviscoAction>(this, device);
}

std::unique_ptr<TKSLibrary> TKSLibrary::RejestrujBiblioteke(void* cookie) {
    return std::make_unique<TTarviscoLibrary>(cookie);
}

}  // namespace krv
