#include "device/hid_library.h"

#include <type_traits>

#include "base/system_library.h"

namespace {

// What each entry does when HID.DLL or the function is missing.
template <typename Function>
struct Unavailable;
template <typename Result, typename... Args>
struct Unavailable<Result (*)(Args...)> {
  static Result WINAPI Call(Args...) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    if constexpr (!std::is_void_v<Result>) return Result{};
  }
};

template <typename Function>
void Bind(HMODULE library, const char* name, Function& entry) {
  entry = SystemFunction<Function>(library, name, &Unavailable<Function>::Call);
}

}  // namespace

const HidLibrary& SystemHidLibrary() {
  static const HidLibrary hid = [] {
    const HMODULE library = LoadSystemLibrary(L"hid.dll");
    HidLibrary table{};
    Bind(library, "HidD_GetHidGuid", table.GetHidGuid);
    Bind(library, "HidD_GetPreparsedData", table.GetPreparsedData);
    Bind(library, "HidD_FreePreparsedData", table.FreePreparsedData);
    Bind(library, "HidD_GetAttributes", table.GetAttributes);
    Bind(library, "HidP_GetCaps", table.GetCaps);
    Bind(library, "HidD_SetNumInputBuffers", table.SetNumInputBuffers);
    Bind(library, "HidD_SetOutputReport", table.SetOutputReport);
    Bind(library, "HidD_SetFeature", table.SetFeature);
    return table;
  }();
  return hid;
}
