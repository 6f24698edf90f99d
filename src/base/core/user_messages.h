#pragma once
// The program's private window and thread messages: the first user message (0x400) plus 100
// or more. Windows and the device thread tell each other of requests, replies and state with
// these; a message that carries a heap record hands its ownership to the receiver.
#include <cstdint>


inline constexpr std::uint32_t UM_DEVICE_REQUEST = 0x464;     // window -> device thread (thread message)
inline constexpr std::uint32_t UM_REPLY_VV = 0x465;           // hardware version reply
inline constexpr std::uint32_t UM_REPLY_VS = 0x466;           // serial number reply
inline constexpr std::uint32_t UM_REPLY_ZV = 0x467;           // LED test reply
inline constexpr std::uint32_t UM_REPLY_ZG = 0x468;           // LED test reply
inline constexpr std::uint32_t UM_CALIBRATE_BEGIN = 0x469;    // calibration window -> main window
inline constexpr std::uint32_t UM_TOUCH_POINT = 0x46B;        // lift-off report of the touch stream
inline constexpr std::uint32_t UM_SAVE_MAPPING = 0x46C;       // mapping window -> main window
inline constexpr std::uint32_t UM_REPLY_O = 0x46D;            // reply to "o"
inline constexpr std::uint32_t UM_REPLY_UPDATE = 0x46E;       // firmware exchange reply
inline constexpr std::uint32_t UM_DEVICE_REMOVED = 0x46F;     // main window -> all top-level windows
inline constexpr std::uint32_t UM_REPLY_V1_READ = 0x470;      // touch screen number read
inline constexpr std::uint32_t UM_REPLY_V1_WRITE = 0x471;     // touch screen number written
inline constexpr std::uint32_t UM_UNREGISTER_NOTIFY = 0x472;  // main window -> itself
inline constexpr std::uint32_t UM_CALIBRATE_END = 0x474;      // calibration window -> main window
inline constexpr std::uint32_t UM_MAPPING_END = 0x475;        // mapping window -> main window

// Names of the three messages the mouse hook posts; registered with RegisterWindowMessageW.
inline constexpr const wchar_t* kMouseDownMessageName = L"WM_USER_MOUSEDOWN_MSG";
inline constexpr const wchar_t* kMouseUpMessageName = L"WM_USER_MOUSEUP_MSG";
inline constexpr const wchar_t* kMouseMoveMessageName = L"WM_USER_MOUSEMOVE_MSG";
