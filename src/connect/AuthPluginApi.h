// The two exports of an authentication plug-in (a shared library in the home
// folder named "auth*.dll" on Windows, "libauth*.so" or "auth*.so" elsewhere).
// Texts are zero-terminated UTF-16.
#pragma once

extern "C" {
// The method's name, offered as a choice of AuthMethod; valid while loaded.
typedef const char16_t* (*GetAuthMethodNameFn)();
// Writes the credentials ("user:password") for input into buffer, which holds
// size characters. Returns 0 when done; a value of 1 or more asks to be called
// again with a buffer of that many characters plus 2.
typedef int (*GetCredentialStringFn)(const char16_t* input, char16_t* buffer, int size);
}
