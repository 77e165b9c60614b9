// One operation call of the host: the session check, then the operation under
// the final catcher, on an action that lives for this call only.
#include <memory>

#include "action/action_base.h"
#include "action/final_catch.h"
#include "host/library.h"
#include "platform/clock.h"
#include "support/cp1250.h"
#include "support/strutil.h"

namespace krv {

std::string TKSLibrary::OperationName(int32_t type) {
    switch (type) {
        case KRV_OP_CONNECTION_TEST: return Utf8ToCp1250("test połączenia");
        case KRV_OP_EXPORT: return "eksport";
        case KRV_OP_SALES_IMPORT: return Utf8ToCp1250("import sprzedaży");
        case KRV_OP_RECEIPT_IMPORT: return "import paragonu";
        case KRV_OP_AUTO_EXPORT: return "eksport automatyczny";
        case KRV_OP_AUTO_IMPORT: return "import automatyczny";
        case KRV_OP_LISTEN: return Utf8ToCp1250("nasłuch");
        case KRV_OP_COUNTER_IMPORT: return "import licznika";
        default: return "operacja [" + IntToStr(type) + "]";
    }
}

bool TKSLibrary::RunOperation(void* device, HKRVDLLSRODOWISKO& env, int32_t type,
                              int32_t parameter) {
    std::unique_ptr<TKSActionBase> action = UtworzAkcje(device);
    try {
        WeryfikujTypSesji(env.session_slot ? *env.session_slot : nullptr, env.text);
    } catch (...) {
        // Another program's session holds the device: the host asks again.
        action->DodajKomunikat(KRV_MSG_ORDINARY,
                               Utf8ToCp1250("Oczekiwanie na zamknięcie sesji '") + env.text + "'");
        platform::CurrentClock().SleepMs(1000);
        env.result = 1;
        return false;
    }
    action->UstawParametrOperacji(parameter);
    env.result = 0;
    if (!RunUnderFinalCatcher(*action, OperationName(type),
                              [&] { action->Operacja(env, type, parameter); })) {
        env.result = 0;
    }
    return true;
}

}  // namespace krv
