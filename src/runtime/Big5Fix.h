// Site-defined Big5 characters. Under ANSI code page 950 the process's Big5
// conversions map two groups of byte pairs that Big5 leaves undefined to
// fixed characters and back: pairs with a trail byte 0x80..0xA0, and 0xA3
// 0xC0..0xFE except 0xA3 0xE0. The registry value "UseKBIG5" of the
// installation's key switches the mapping off with "0"; it is on when the key
// or the value is missing and for every other value.
#pragma once

namespace ktrb {

bool IsBig5FixEnabled();
// Library start-up: switches the mapping on (ANSI code page 950 and the
// switch on). Only the first call acts; calls are counted.
void InstallBig5Fix();
// Library unload: the last call matching an install switches the mapping
// off again when the install switched it on.
void RemoveBig5Fix();

}  // namespace ktrb
