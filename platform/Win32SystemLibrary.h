#pragma once
// A library of the system's own, loaded from the system directory and from
// nowhere else: a file of the same name lying beside the program (in a
// Downloads folder, say) is never the one loaded.

struct HINSTANCE__;

namespace tvqx {

// The library `name` (e.g. L"riched20.dll"), or null when the system has
// none; freed with FreeLibrary.
HINSTANCE__* LoadSystemLibrary(const wchar_t* name);

// The function `name` of a loaded library, as the function type F; null when
// the library has none (a function newer than the system, say).
using AnyFunction = void (*)();
AnyFunction FunctionOf(HINSTANCE__* module, const char* name);
template <typename F>
F FunctionOf(HINSTANCE__* module, const char* name)
{
    return reinterpret_cast<F>(FunctionOf(module, name));
}

} // namespace tvqx
