#pragma once
// A library of the system's own, loaded from the system directory and from
// nowhere else: a file of the same name lying beside the program (in a
// Downloads folder, say) is never the one loaded.

struct HINSTANCE__;

namespace tvqx {

// The library `name` (e.g. L"riched20.dll"), or null when the system has
// none; freed with FreeLibrary.
HINSTANCE__* LoadSystemLibrary(const wchar_t* name);

} // namespace tvqx
