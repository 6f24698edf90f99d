#pragma once
// The texts the firmware update writes: console lines and the update dialog's captions.
// printf formats where they take arguments.

// Console update.
inline constexpr const char* kMsgFileMissing = "%s doesn't exist!\n";
inline constexpr const char* kMsgCannotOpen =
    "Can't open  file %s,Please check the filename or file path!\n";
inline constexpr const char* kMsgDamaged =
    "the file you selected has been destroyed or changed,Please check!\n";
inline constexpr const char* kMsgTooLarge =
    "the file you selected is larger than 262144 bytes,Please check!\n";
inline constexpr const char* kMsgTooShort =
    "the file you selected is too short to be a firmware image,Please check!\n";
inline constexpr const char* kMsgBadLength =
    "the file you selected has a data length beyond its end,Please check!\n";
inline constexpr const char* kMsgBadBlock =
    "the file you selected has a block beyond its end,Please check!\n";
inline constexpr const char* kMsgPressToExit = "Press any key to exit......\n";

inline constexpr const wchar_t* kUpdateConsoleTitle = L"PELNIX TouchScreen Updating";
inline constexpr const char* kMsgNoteDontClose =
    "Note:Please don't close the console or remove the touch Screen!\n";
inline constexpr const char* kMsgPleaseWait = "Please wait a moment for updating!\n";
inline constexpr const char* kMsgProgressFormat = "%s%d%s";
inline constexpr const char* kMsgProgressPrefix = "Updating...";
inline constexpr const char* kMsgProgressSuffix = "%";
inline constexpr const char* kMsgUpdateFailed =
    "\nUpdate failed! please reconnect the touch screen\n";
inline constexpr const char* kMsgPressToContinueLine = "Press any key to continue......\n";
inline constexpr const char* kMsgUpdateSucceeded = "\nUpdate successfully!\n";
inline constexpr const char* kMsgPressToContinue = "Press any key to continue......";

// Update dialog.
inline constexpr const wchar_t* kDialogImagePath = L"update\\vorlane";
inline constexpr const wchar_t* kDialogReadFailed = L"Read file failed! Update failed!";
inline constexpr const wchar_t* kDialogUpdateFailed = L"Update failed!";
inline constexpr const wchar_t* kDialogUpdateError = L"Update Error!";
inline constexpr const wchar_t* kDialogCompleted = L"Update completed!";
inline constexpr const char* kLogReceived = " Recv:%x %x ";
inline constexpr const char* kLogSent = "%x %x ";
