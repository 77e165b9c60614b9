// Runs one piece of an operation with the action's final catcher around it:
// whatever it throws becomes error lines for the host under the operation's
// name. Answers false when something was caught.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "action/action_base.h"

namespace krv {

template <typename Fn>
bool RunUnderFinalCatcher(TKSActionBase& action, const std::string& operationName, Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const std::exception& e) {
        action.OstatecznePrzechwycenieBledu(operationName, &e);
    } catch (...) {
        action.OstatecznePrzechwycenieBledu(operationName, nullptr);
    }
    return false;
}

}  // namespace krv
