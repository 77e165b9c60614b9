// The program's own settings: sm_eth.cfg beside the program. The library
// rewrites sm_eth.ini on every export, so whatever must stay chosen (the
// protocol spoken to the scale, its code page) lives here. No file means the
// defaults: our own line protocol, as the scale simulator speaks it.
//
//   [Scale]
//   Protocol=digi           ; digi, or tarvisco (the default)
//   CodePage=cp852          ; the scale's code page (DIGI); windows-1250 by default
//   Tries=3                 ; sends of a frame whose answer does not come (1-10)
//   TimeoutMs=2000          ; replaces T= for connecting and for each answer
//   SpecialMessage=1        ; the special-message number sent with each PLU, or none
//   IngredientNumber=1      ; the ingredient number sent with each PLU, or none
#pragma once

#include <optional>
#include <string>

#include "ini_file.h"

namespace krv::smeth {

inline constexpr const char* kLocalSettingsFile = "sm_eth.cfg";

enum class Protocol { kTarvisco, kDigi };

struct LocalSettings {
    Protocol protocol = Protocol::kTarvisco;
    std::string codepage = "windows-1250";
    int tries = 3;
    int timeout_ms = 0;  // 0: from T= or SM_ETH_TIMEOUT_MS
    std::optional<int> special_message = 1;
    std::optional<int> ingredient_number = 1;
};

// False with *error (UTF-8) naming the key and what it takes.
bool ReadLocalSettings(const IniFile& ini, LocalSettings* out, std::string* error);

}  // namespace krv::smeth
