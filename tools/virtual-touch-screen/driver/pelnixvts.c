/* pelnixvts.sys: a HID minidriver for root-enumerated virtual touch screens.
 *
 * Each device instance is one touch screen. The HID class driver above it sees the report
 * descriptor, the attributes and the reports of a Pelnix touch screen: input reports of id
 * 0x30, output reports of ids 0x31 (commands) and 0x51 (firmware data), each 100 bytes with the
 * id, and a two-byte feature report of id 2. What the touch screen answers is decided by a
 * user-mode server on the control device (vts_control.h): output and feature reports go to it
 * as events, and the input reports it sends complete the HID class driver's reads.
 *
 * Nothing here blocks: writes complete at once and reads wait in queues, so the driver never
 * holds up the thread that dispatches its requests (the server's own requests come through
 * the same dispatcher). */
#include <ddk/wdm.h>

#include "vts_control.h"

/* The minidriver interface of the HID class driver, declared from its documented form. */
typedef struct _VTS_HID_MINIDRIVER_REGISTRATION {
  ULONG Revision;
  PDRIVER_OBJECT DriverObject;
  PUNICODE_STRING RegistryPath;
  ULONG DeviceExtensionSize;
  BOOLEAN DevicesArePolled;
  UCHAR Reserved[3];
} VTS_HID_MINIDRIVER_REGISTRATION;

typedef struct _VTS_HID_DEVICE_EXTENSION {
  PDEVICE_OBJECT PhysicalDeviceObject;
  PDEVICE_OBJECT NextDeviceObject;
  PVOID MiniDeviceExtension;
} VTS_HID_DEVICE_EXTENSION;

#pragma pack(push, 1)
typedef struct _VTS_HID_DESCRIPTOR {
  UCHAR bLength;
  UCHAR bDescriptorType;
  USHORT bcdHID;
  UCHAR bCountry;
  UCHAR bNumDescriptors;
  UCHAR bReportType;
  USHORT wReportLength;
} VTS_HID_DESCRIPTOR;
#pragma pack(pop)

typedef struct _VTS_HID_DEVICE_ATTRIBUTES {
  ULONG Size;
  USHORT VendorID;
  USHORT ProductID;
  USHORT VersionNumber;
  USHORT Reserved[11];
} VTS_HID_DEVICE_ATTRIBUTES;

typedef struct _VTS_HID_XFER_PACKET {
  PUCHAR reportBuffer;
  ULONG reportBufferLen;
  UCHAR reportId;
} VTS_HID_XFER_PACKET;

NTSTATUS NTAPI HidRegisterMinidriver(VTS_HID_MINIDRIVER_REGISTRATION *registration);

/* mingw-w64's ddk/hidclass.h carries placeholder values for these. */
#define VTS_HID_CTL(n, method) CTL_CODE(FILE_DEVICE_KEYBOARD, (n), (method), FILE_ANY_ACCESS)
#define HID_GET_DEVICE_DESCRIPTOR VTS_HID_CTL(0, METHOD_NEITHER)
#define HID_GET_REPORT_DESCRIPTOR VTS_HID_CTL(1, METHOD_NEITHER)
#define HID_READ_REPORT VTS_HID_CTL(2, METHOD_NEITHER)
#define HID_WRITE_REPORT VTS_HID_CTL(3, METHOD_NEITHER)
#define HID_GET_STRING VTS_HID_CTL(4, METHOD_NEITHER)
#define HID_ACTIVATE_DEVICE VTS_HID_CTL(7, METHOD_NEITHER)
#define HID_DEACTIVATE_DEVICE VTS_HID_CTL(8, METHOD_NEITHER)
#define HID_GET_DEVICE_ATTRIBUTES VTS_HID_CTL(9, METHOD_NEITHER)
#define HID_SET_FEATURE VTS_HID_CTL(100, METHOD_IN_DIRECT)
#define HID_SET_OUTPUT_REPORT VTS_HID_CTL(101, METHOD_IN_DIRECT)
#define HID_GET_FEATURE VTS_HID_CTL(100, METHOD_OUT_DIRECT)
#define HID_GET_INPUT_REPORT VTS_HID_CTL(104, METHOD_OUT_DIRECT)

/* Vendor collection: input 0x30, outputs 0x31 and 0x51 (99 data bytes each), feature 2 (1). */
static const UCHAR report_descriptor[] = {
    0x06, 0x00, 0xFF, /* Usage Page (vendor 0xFF00) */
    0x09, 0x01,       /* Usage (1) */
    0xA1, 0x01,       /* Collection (Application) */
    0x15, 0x00,       /*   Logical Minimum (0) */
    0x26, 0xFF, 0x00, /*   Logical Maximum (255) */
    0x75, 0x08,       /*   Report Size (8) */
    0x85, 0x30,       /*   Report ID (0x30) */
    0x95, 0x63,       /*   Report Count (99) */
    0x09, 0x02,       /*   Usage (2) */
    0x81, 0x02,       /*   Input (Data, Variable, Absolute) */
    0x85, 0x31,       /*   Report ID (0x31) */
    0x95, 0x63,       /*   Report Count (99) */
    0x09, 0x03,       /*   Usage (3) */
    0x91, 0x02,       /*   Output (Data, Variable, Absolute) */
    0x85, 0x51,       /*   Report ID (0x51) */
    0x95, 0x63,       /*   Report Count (99) */
    0x09, 0x04,       /*   Usage (4) */
    0x91, 0x02,       /*   Output (Data, Variable, Absolute) */
    0x85, 0x02,       /*   Report ID (2) */
    0x95, 0x01,       /*   Report Count (1) */
    0x09, 0x05,       /*   Usage (5) */
    0xB1, 0x02,       /*   Feature (Data, Variable, Absolute) */
    0xC0,             /* End Collection */
};

#define INPUT_QUEUE 64   /* input reports kept while no read is pending */
#define EVENT_QUEUE 512  /* events kept while the server has no request pending */

typedef struct VTS_DEVICE {
  unsigned int slot;
  VTS_HID_DEVICE_ATTRIBUTES attributes;
  BOOLEAN removed;
  LIST_ENTRY reads; /* pending HID_READ_REPORT requests, oldest first */
  VTS_INPUT inputs[INPUT_QUEUE];
  unsigned int inputHead, inputCount;
} VTS_DEVICE;

static KSPIN_LOCK lock;  /* guards everything below */
static VTS_DEVICE *slots[VTS_MAX_SLOTS];
static LIST_ENTRY eventRequests; /* pending VTS_IOCTL_NEXT_EVENT requests */
static VTS_EVENT events[EVENT_QUEUE];
static unsigned int eventHead, eventCount;

static DEVICE_OBJECT *control;
static PDRIVER_DISPATCH hidDispatch[IRP_MJ_MAXIMUM_FUNCTION + 1];

static VTS_DEVICE *DeviceOf(DEVICE_OBJECT *fdo) {
  return (VTS_DEVICE *)((VTS_HID_DEVICE_EXTENSION *)fdo->DeviceExtension)->MiniDeviceExtension;
}

static NTSTATUS Complete(IRP *irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

/* Pending requests live in lists guarded by `lock`; a cancelled one leaves its list here. */
static void NTAPI CancelQueued(DEVICE_OBJECT *device, IRP *irp) {
  KIRQL irql;
  IoReleaseCancelSpinLock(irp->CancelIrql);
  KeAcquireSpinLock(&lock, &irql);
  RemoveEntryList(&irp->Tail.Overlay.ListEntry);
  KeReleaseSpinLock(&lock, irql);
  Complete(irp, STATUS_CANCELLED, 0);
}

/* Called with `lock` held. False when the request was already cancelled: the caller completes it. */
static BOOLEAN Enqueue(LIST_ENTRY *list, IRP *irp) {
  IoSetCancelRoutine(irp, CancelQueued);
  if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) return FALSE;
  IoMarkIrpPending(irp);
  InsertTailList(list, &irp->Tail.Overlay.ListEntry);
  return TRUE;
}

/* Called with `lock` held: the oldest request of the list that is not being cancelled. */
static IRP *Dequeue(LIST_ENTRY *list) {
  while (!IsListEmpty(list)) {
    LIST_ENTRY *entry = RemoveHeadList(list);
    IRP *irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
    if (IoSetCancelRoutine(irp, NULL)) return irp;
    InitializeListHead(entry); /* its cancel routine runs and removes nothing */
  }
  return NULL;
}

/* Hands an event to the server's pending request, or keeps it (dropping the oldest when full). */
static void PostEvent(unsigned int slot, unsigned int kind, const UCHAR *data, ULONG length) {
  KIRQL irql;
  IRP *irp;
  VTS_EVENT *e;
  if (length > VTS_MAX_REPORT) length = VTS_MAX_REPORT;
  KeAcquireSpinLock(&lock, &irql);
  irp = Dequeue(&eventRequests);
  if (irp) {
    e = (VTS_EVENT *)irp->AssociatedIrp.SystemBuffer;
  } else {
    if (eventCount == EVENT_QUEUE) {
      eventHead = (eventHead + 1) % EVENT_QUEUE;
      --eventCount;
    }
    e = &events[(eventHead + eventCount++) % EVENT_QUEUE];
  }
  RtlZeroMemory(e, sizeof(*e));
  e->slot = slot;
  e->kind = kind;
  e->length = length;
  if (length) RtlCopyMemory(e->data, data, length);
  KeReleaseSpinLock(&lock, irql);
  if (irp) Complete(irp, STATUS_SUCCESS, sizeof(VTS_EVENT));
}

/* Reads the device's identity from its registry key; missing values keep the defaults. */
static void ReadIdentity(DEVICE_OBJECT *pdo, VTS_DEVICE *d) {
  static const WCHAR *names[] = {VTS_VALUE_SLOT, VTS_VALUE_VENDOR, VTS_VALUE_PRODUCT, VTS_VALUE_VERSION};
  HANDLE key;
  unsigned int i;
  if (!NT_SUCCESS(IoOpenDeviceRegistryKey(pdo, PLUGPLAY_REGKEY_DEVICE, KEY_READ, &key))) return;
  for (i = 0; i < 4; ++i) {
    UCHAR buffer[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + sizeof(ULONG)];
    KEY_VALUE_PARTIAL_INFORMATION *info = (KEY_VALUE_PARTIAL_INFORMATION *)buffer;
    UNICODE_STRING name;
    ULONG size, value;
    RtlInitUnicodeString(&name, names[i]);
    if (!NT_SUCCESS(ZwQueryValueKey(key, &name, KeyValuePartialInformation, info, sizeof(buffer), &size)) ||
        info->Type != REG_DWORD)
      continue;
    RtlCopyMemory(&value, info->Data, sizeof(value));
    switch (i) {
      case 0: d->slot = value; break;
      case 1: d->attributes.VendorID = (USHORT)value; break;
      case 2: d->attributes.ProductID = (USHORT)value; break;
      case 3: d->attributes.VersionNumber = (USHORT)value; break;
    }
  }
  ZwClose(key);
}

static NTSTATUS NTAPI AddDevice(DRIVER_OBJECT *driver, DEVICE_OBJECT *fdo) {
  VTS_HID_DEVICE_EXTENSION *hid = (VTS_HID_DEVICE_EXTENSION *)fdo->DeviceExtension;
  VTS_DEVICE *d = DeviceOf(fdo);
  KIRQL irql;
  RtlZeroMemory(d, sizeof(*d));
  InitializeListHead(&d->reads);
  d->slot = VTS_MAX_SLOTS; /* none until the registry names one */
  d->attributes.Size = sizeof(d->attributes);
  d->attributes.VendorID = 0x7E3A;
  d->attributes.ProductID = 0x0001;
  d->attributes.VersionNumber = 0x0100;
  ReadIdentity(hid->PhysicalDeviceObject, d);
  KeAcquireSpinLock(&lock, &irql);
  if (d->slot < VTS_MAX_SLOTS && !slots[d->slot]) slots[d->slot] = d;
  else d->slot = VTS_MAX_SLOTS; /* served by nobody: its reads wait until removal */
  KeReleaseSpinLock(&lock, irql);
  fdo->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}

/* The touch screen is gone: every pending read ends with an error and its slot is freed. */
static void RemoveDevice(VTS_DEVICE *d) {
  LIST_ENTRY done;
  IRP *irp;
  KIRQL irql;
  unsigned int slot;
  InitializeListHead(&done);
  KeAcquireSpinLock(&lock, &irql);
  slot = d->slot;
  if (d->removed) slot = VTS_MAX_SLOTS;
  d->removed = TRUE;
  while ((irp = Dequeue(&d->reads))) InsertTailList(&done, &irp->Tail.Overlay.ListEntry);
  if (d->slot < VTS_MAX_SLOTS && slots[d->slot] == d) slots[d->slot] = NULL;
  KeReleaseSpinLock(&lock, irql);
  while (!IsListEmpty(&done)) {
    irp = CONTAINING_RECORD(RemoveHeadList(&done), IRP, Tail.Overlay.ListEntry);
    Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
  }
  if (slot < VTS_MAX_SLOTS) PostEvent(slot, VTS_EVENT_REMOVED, NULL, 0);
}

static NTSTATUS NTAPI DispatchPnp(DEVICE_OBJECT *fdo, IRP *irp) {
  VTS_HID_DEVICE_EXTENSION *hid = (VTS_HID_DEVICE_EXTENSION *)fdo->DeviceExtension;
  VTS_DEVICE *d = DeviceOf(fdo);
  switch (IoGetCurrentIrpStackLocation(irp)->MinorFunction) {
    case IRP_MN_START_DEVICE:
      if (d->slot < VTS_MAX_SLOTS) PostEvent(d->slot, VTS_EVENT_STARTED, NULL, 0);
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_REMOVE_DEVICE:
      RemoveDevice(d);
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
      irp->IoStatus.Status = STATUS_SUCCESS;
      break;
    default:
      break;
  }
  IoSkipCurrentIrpStackLocation(irp);
  return IoCallDriver(hid->NextDeviceObject, irp);
}

static NTSTATUS NTAPI DispatchPower(DEVICE_OBJECT *fdo, IRP *irp) {
  VTS_HID_DEVICE_EXTENSION *hid = (VTS_HID_DEVICE_EXTENSION *)fdo->DeviceExtension;
  PoStartNextPowerIrp(irp);
  IoSkipCurrentIrpStackLocation(irp);
  return PoCallDriver(hid->NextDeviceObject, irp);
}

static NTSTATUS CopyOut(IRP *irp, const void *data, ULONG length) {
  ULONG room = IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.OutputBufferLength;
  if (room < length) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
  RtlCopyMemory(irp->UserBuffer, data, length);
  return Complete(irp, STATUS_SUCCESS, length);
}

/* Fills a read with a queued input report; called with `lock` held. */
static ULONG FillRead(VTS_DEVICE *d, IRP *irp) {
  ULONG room = IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.OutputBufferLength;
  VTS_INPUT *in = &d->inputs[d->inputHead];
  ULONG length = in->length < room ? in->length : room;
  RtlCopyMemory(irp->UserBuffer, in->data, length);
  d->inputHead = (d->inputHead + 1) % INPUT_QUEUE;
  --d->inputCount;
  return length;
}

static NTSTATUS ReadReport(VTS_DEVICE *d, IRP *irp) {
  KIRQL irql;
  ULONG length;
  KeAcquireSpinLock(&lock, &irql);
  if (d->removed) {
    KeReleaseSpinLock(&lock, irql);
    return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
  }
  if (d->inputCount) {
    length = FillRead(d, irp);
    KeReleaseSpinLock(&lock, irql);
    return Complete(irp, STATUS_SUCCESS, length);
  }
  if (!Enqueue(&d->reads, irp)) {
    KeReleaseSpinLock(&lock, irql);
    return Complete(irp, STATUS_CANCELLED, 0);
  }
  KeReleaseSpinLock(&lock, irql);
  return STATUS_PENDING;
}

/* An output or feature report from the host goes to the server; the write itself succeeds. */
static NTSTATUS WriteReport(VTS_DEVICE *d, IRP *irp, unsigned int kind) {
  VTS_HID_XFER_PACKET *packet = (VTS_HID_XFER_PACKET *)irp->UserBuffer;
  UCHAR report[VTS_MAX_REPORT];
  ULONG length;
  if (d->removed) return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
  if (!packet || !packet->reportBuffer) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
  length = packet->reportBufferLen < VTS_MAX_REPORT ? packet->reportBufferLen : VTS_MAX_REPORT;
  RtlCopyMemory(report, packet->reportBuffer, length);
  if (d->slot < VTS_MAX_SLOTS) PostEvent(d->slot, kind, report, length);
  return Complete(irp, STATUS_SUCCESS, packet->reportBufferLen);
}

static NTSTATUS NTAPI DispatchHid(DEVICE_OBJECT *fdo, IRP *irp) {
  VTS_DEVICE *d = DeviceOf(fdo);
  IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
  switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case HID_GET_DEVICE_DESCRIPTOR: {
      VTS_HID_DESCRIPTOR descriptor = {sizeof(VTS_HID_DESCRIPTOR), 0x21, 0x0111, 0, 1, 0x22,
                                       sizeof(report_descriptor)};
      return CopyOut(irp, &descriptor, sizeof(descriptor));
    }
    case HID_GET_REPORT_DESCRIPTOR:
      return CopyOut(irp, report_descriptor, sizeof(report_descriptor));
    case HID_GET_DEVICE_ATTRIBUTES:
      return CopyOut(irp, &d->attributes, sizeof(d->attributes));
    case HID_GET_STRING: {
      static const WCHAR name[] = L"Pelnix virtual touch screen";
      return CopyOut(irp, name, sizeof(name));
    }
    case HID_READ_REPORT:
      return ReadReport(d, irp);
    case HID_WRITE_REPORT:
    case HID_SET_OUTPUT_REPORT:
      return WriteReport(d, irp, VTS_EVENT_OUTPUT);
    case HID_SET_FEATURE:
      return WriteReport(d, irp, VTS_EVENT_FEATURE);
    case HID_ACTIVATE_DEVICE:
    case HID_DEACTIVATE_DEVICE:
      return Complete(irp, STATUS_SUCCESS, 0);
    default:
      return Complete(irp, STATUS_NOT_SUPPORTED, 0);
  }
}

/* An input report from the server: it completes the oldest pending read, or waits for one. */
static NTSTATUS ControlInput(IRP *irp) {
  IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
  const VTS_INPUT *in = (const VTS_INPUT *)irp->AssociatedIrp.SystemBuffer;
  VTS_DEVICE *d;
  IRP *read = NULL;
  KIRQL irql;
  ULONG length = 0;
  if (stack->Parameters.DeviceIoControl.InputBufferLength < sizeof(VTS_INPUT) ||
      in->slot >= VTS_MAX_SLOTS || in->length > VTS_MAX_REPORT)
    return Complete(irp, STATUS_INVALID_PARAMETER, 0);
  KeAcquireSpinLock(&lock, &irql);
  d = slots[in->slot];
  if (!d || d->removed) {
    KeReleaseSpinLock(&lock, irql);
    return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
  }
  if (d->inputCount == INPUT_QUEUE) {
    KeReleaseSpinLock(&lock, irql);
    return Complete(irp, STATUS_DEVICE_BUSY, 0);
  }
  d->inputs[(d->inputHead + d->inputCount++) % INPUT_QUEUE] = *in;
  read = Dequeue(&d->reads);
  if (read) length = FillRead(d, read);
  KeReleaseSpinLock(&lock, irql);
  if (read) Complete(read, STATUS_SUCCESS, length);
  return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS ControlNextEvent(IRP *irp) {
  IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
  KIRQL irql;
  if (stack->Parameters.DeviceIoControl.OutputBufferLength < sizeof(VTS_EVENT))
    return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
  KeAcquireSpinLock(&lock, &irql);
  if (eventCount) {
    RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, &events[eventHead], sizeof(VTS_EVENT));
    eventHead = (eventHead + 1) % EVENT_QUEUE;
    --eventCount;
    KeReleaseSpinLock(&lock, irql);
    return Complete(irp, STATUS_SUCCESS, sizeof(VTS_EVENT));
  }
  if (!Enqueue(&eventRequests, irp)) {
    KeReleaseSpinLock(&lock, irql);
    return Complete(irp, STATUS_CANCELLED, 0);
  }
  KeReleaseSpinLock(&lock, irql);
  return STATUS_PENDING;
}

static NTSTATUS DispatchControl(IRP *irp) {
  IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
  switch (stack->MajorFunction) {
    case IRP_MJ_CREATE:
    case IRP_MJ_CLOSE:
      return Complete(irp, STATUS_SUCCESS, 0);
    case IRP_MJ_CLEANUP: {
      /* The server closed its handle: its pending requests end with it. */
      LIST_ENTRY done;
      IRP *pending;
      KIRQL irql;
      InitializeListHead(&done);
      KeAcquireSpinLock(&lock, &irql);
      while ((pending = Dequeue(&eventRequests))) InsertTailList(&done, &pending->Tail.Overlay.ListEntry);
      KeReleaseSpinLock(&lock, irql);
      while (!IsListEmpty(&done))
        Complete(CONTAINING_RECORD(RemoveHeadList(&done), IRP, Tail.Overlay.ListEntry), STATUS_CANCELLED, 0);
      return Complete(irp, STATUS_SUCCESS, 0);
    }
    case IRP_MJ_DEVICE_CONTROL:
      switch (stack->Parameters.DeviceIoControl.IoControlCode) {
        case VTS_IOCTL_NEXT_EVENT: return ControlNextEvent(irp);
        case VTS_IOCTL_INPUT: return ControlInput(irp);
      }
      return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    default:
      return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  }
}

/* Every request of this driver comes here: the control device's to the control handler, the
 * rest to what the HID class driver installed. */
static NTSTATUS NTAPI Route(DEVICE_OBJECT *device, IRP *irp) {
  UCHAR major = IoGetCurrentIrpStackLocation(irp)->MajorFunction;
  if (device == control) return DispatchControl(irp);
  if (hidDispatch[major]) return hidDispatch[major](device, irp);
  return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
}

static void NTAPI Unload(DRIVER_OBJECT *driver) {
  UNICODE_STRING link;
  RtlInitUnicodeString(&link, L"\\DosDevices\\" VTS_CONTROL_NAME);
  IoDeleteSymbolicLink(&link);
  if (control) IoDeleteDevice(control);
  control = NULL;
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registryPath) {
  VTS_HID_MINIDRIVER_REGISTRATION registration;
  UNICODE_STRING name, link;
  NTSTATUS status;
  unsigned int i;

  KeInitializeSpinLock(&lock);
  InitializeListHead(&eventRequests);
  driver->DriverExtension->AddDevice = AddDevice;
  driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
  driver->MajorFunction[IRP_MJ_POWER] = DispatchPower;
  driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = DispatchHid;
  driver->DriverUnload = Unload; /* the HID class driver calls it from its own */

  RtlZeroMemory(&registration, sizeof(registration));
  registration.Revision = 1;
  registration.DriverObject = driver;
  registration.RegistryPath = registryPath;
  registration.DeviceExtensionSize = sizeof(VTS_DEVICE);
  registration.DevicesArePolled = FALSE;
  status = HidRegisterMinidriver(&registration);
  if (!NT_SUCCESS(status)) return status;

  /* The control device: created after the HID class driver took its entries, which stay. */
  RtlInitUnicodeString(&name, L"\\Device\\" VTS_CONTROL_NAME);
  RtlInitUnicodeString(&link, L"\\DosDevices\\" VTS_CONTROL_NAME);
  status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &control);
  if (!NT_SUCCESS(status)) return status;
  status = IoCreateSymbolicLink(&link, &name);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(control);
    control = NULL;
    return status;
  }
  control->Flags &= ~DO_DEVICE_INITIALIZING;
  for (i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; ++i) {
    hidDispatch[i] = driver->MajorFunction[i];
    driver->MajorFunction[i] = Route;
  }
  return STATUS_SUCCESS;
}
