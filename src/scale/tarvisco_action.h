// TarviscoAction: the action of this library, one per host call for a DIGI SM
// scale.
#pragma once

#include "action/action_base.h"

namespace krv {

class TarviscoAction : public TKSActionBase {
public:
    TarviscoAction(TKSLibrary* library, void* device);
    ~TarviscoAction() override;

    // The scale at the configured address is what operations of this device share.
    std::string NazwaZasobuDzielonego() override;
    int32_t Operacja(HKRVDLLSRODOWISKO& env, int32_t type, int32_t parameter) override;
    std::string WlasciwosciUrzadzenia(int32_t code) override;
};

}  // namespace krv
