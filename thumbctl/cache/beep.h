// The cache's only sign of internal trouble: MessageBeep(0xFFFFFFFF). Tests
// replace the handler to count beeps.
#pragma once

namespace thumbctl::cache {

using BeepHandler = void (*)();

void Beep();
// Installs a handler (null restores the system beep) and returns the previous one.
BeepHandler SetBeepHandler(BeepHandler handler);

}  // namespace thumbctl::cache
