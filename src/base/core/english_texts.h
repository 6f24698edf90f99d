#pragma once
// The texts the program shows in English whatever the language: they have no language key.
// The firmware update's own texts are in update/core/update_messages.h.

namespace english {

inline constexpr const wchar_t* kDeviceRemoved = L"The device you have selected has been removed!";
inline constexpr const wchar_t* kReselectTouchScreen =
    L"The touchScreen you selected have been removed,please reselect touchscreen !";
inline constexpr const wchar_t* kSaveMatchFailed = L"Save Match info failed!";
inline constexpr const wchar_t* kThreadStartFailed =
    L"The program could not start its touch screen thread and will close.\n"
    L"Close other programs to free system resources, then start it again.";
inline constexpr const wchar_t* kDriverLibraryMissing =
    L"PelnixLib.dll could not be loaded, so the touch screen driver cannot be set up.\n"
    L"Please install the touch screen driver again.";
inline constexpr const wchar_t* kListColumnName = L"Item Name";
// The two lines a button shows for any caption of 13 characters or more.
inline constexpr const wchar_t* kLongCaptionFirst = L"Region";
inline constexpr const wchar_t* kLongCaptionSecond = L"Calibrate";
inline constexpr const wchar_t* kProgramCaption = L"PelnixCpl";  // caption of the diagnostics and driver library messages
inline constexpr const wchar_t* kTextFileFilter = L"Text File(*.txt)\0*.txt\0";

}  // namespace english
