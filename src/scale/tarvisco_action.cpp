#include "scale/tarvisco_action.h"

namespace krv {

TarviscoAction::TarviscoAction(TKSLibrary* library, void* device)
    : TKSActionBase(library, device) {}

TarviscoAction::~TarviscoAction() = default;

std::string TarviscoAction::NazwaZasobuDzielonego() { return WartoscParametru("DigiSM_AdresIP"); }

int32_t TarviscoAction::Operacja(HKRVDLLSRODOWISKO& env, int32_t type, int32_t parameter) {
    return TKSActionBase::Operacja(env, type, parameter);
}

std::string TarviscoAction::WlasciwosciUrzadzenia(int32_t code) {
    if (code == 1104) return "-1";
    if (code == 1101) return "0";
    return {};
}

}  // namespace krv
