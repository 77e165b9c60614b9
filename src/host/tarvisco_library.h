// TTarviscoLibrary: this library's object; it creates the scale action.
#pragma once

#include "host/library.h"

namespace krv {

class TTarviscoLibrary : public TKSLibrary {
  public:
    using TKSLibrary::TKSLibrary;
    std::unique_ptr<TKSActionBase> UtworzAkcje(void* device) override;
};

}  // namespace krv
