/* The control channel between the virtual touch screen driver and the process that serves it.
 *
 * The driver exposes one control device, \\.\PelnixVirtualTouch. The server keeps a request
 * pending on it (VTS_IOCTL_NEXT_EVENT) that the driver completes with the next report the host
 * wrote to any virtual touch screen, and hands input reports to the driver with
 * VTS_IOCTL_INPUT. Every touch screen is addressed by its slot, the number the installer wrote
 * into the device's registry key. Plain C: the driver and the server both include it. */
#ifndef PELNIX_VTS_CONTROL_H
#define PELNIX_VTS_CONTROL_H

#define VTS_CONTROL_NAME L"PelnixVirtualTouch"
#define VTS_MAX_SLOTS 16
#define VTS_MAX_REPORT 128

/* CTL_CODE(FILE_DEVICE_UNKNOWN, n, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define VTS_CTL(n) (((0x22u) << 16) | ((0x800u + (n)) << 2))
#define VTS_IOCTL_NEXT_EVENT VTS_CTL(1) /* out: VTS_EVENT */
#define VTS_IOCTL_INPUT VTS_CTL(2)      /* in: VTS_INPUT */

/* Registry values of a device instance's "Device Parameters" key, read when it is added. */
#define VTS_VALUE_SLOT L"Slot"
#define VTS_VALUE_VENDOR L"VendorID"
#define VTS_VALUE_PRODUCT L"ProductID"
#define VTS_VALUE_VERSION L"VersionNumber"

enum vts_event_kind {
  VTS_EVENT_OUTPUT = 1,  /* an output report (HidD_SetOutputReport or WriteFile) */
  VTS_EVENT_FEATURE = 2, /* a feature report (HidD_SetFeature) */
  VTS_EVENT_STARTED = 3, /* the touch screen was started by the HID class driver */
  VTS_EVENT_REMOVED = 4  /* the touch screen was removed */
};

typedef struct VTS_EVENT {
  unsigned int slot;
  unsigned int kind;
  unsigned int length; /* bytes of data, report id included */
  unsigned char data[VTS_MAX_REPORT];
} VTS_EVENT;

typedef struct VTS_INPUT {
  unsigned int slot;
  unsigned int length;
  unsigned char data[VTS_MAX_REPORT];
} VTS_INPUT;

#endif
