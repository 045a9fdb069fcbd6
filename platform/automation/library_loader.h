#pragma once

// Loading a library at run time, with the entry callback the report library relies on: the
// library may export "DllMain", which is called with DLL_PROCESS_ATTACH after loading (a false
// answer refuses the load: the library is closed again and LoadLibraryA answers null) and with
// DLL_PROCESS_DETACH before unloading. A library loaded past these functions gets no callback.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

using HMODULE = void*;
constexpr std::uint32_t DLL_PROCESS_DETACH = 0;
constexpr std::uint32_t DLL_PROCESS_ATTACH = 1;
using DllEntry = int (*)(HMODULE instance, std::uint32_t reason, void* reserved);

// A bare file name (no '/') is looked up in the executable's folder first, then as the system
// looks up libraries. Null when the file cannot be loaded or its entry refused.
HMODULE LoadLibraryA(const char* path);
void* GetProcAddress(HMODULE library, const char* name);
// Answers false for a null handle.
bool FreeLibrary(HMODULE library);

// The folder of the running executable, without a closing separator ("" when it cannot be told).
const char* ExecutableFolder();
// Tests place the executable in a folder of their own; the whole process, the libraries it loads
// included, then takes that folder as the executable's (nothing: back to the real one).
void SetExecutableFolderOverride(std::optional<std::string> folder);

}  // namespace platform
