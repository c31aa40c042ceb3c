/*
 * OMXDRV.SYS, the stand-in filter driver: a WDM kernel driver that honours the controller's side
 * of the driver contract and ciphers nothing.
 *
 * It creates \Device\OMXDRV with the link \DosDevices\OMXDRV and answers, METHOD_BUFFERED:
 *   drive mask (0x83000000)  4 bytes in, the same 4 bytes out (Information = 4);
 *   stop (0x83000010)        ends the nominal ciphering; harmless when nothing runs;
 *   start (0x83000014)       begins it; refused until a parameter block has been accepted;
 *   set params (0x83000018)  exactly 580 bytes accepted and kept; any other length refused;
 * and, only in the test build (OMX_STANDIN_DIAGNOSTICS defined), the two diagnostic requests of
 * OmxStandinDiag.h (journal read-back, reset with injected faults). Every other code is refused, so
 * the driver that goes into a package answers neither: the journal holds the last parameter block,
 * key digest included. All state lives in the device extension.
 *
 * The device opens only for SYSTEM, Administrators and interactive users, and that access list also
 * guards every name below the device (FILE_DEVICE_SECURE_OPEN). It answers one open handle at a
 * time, the running controller's: a second open is refused until that one is closed, counted here
 * in the create and close handlers. The test build's diagnostic requests go to a second device,
 * \Device\OMXDIAG (\\.\OMXDIAG), which only SYSTEM and Administrators may open.
 */
#include <ntifs.h>

#ifndef OBJ_KERNEL_HANDLE
#define OBJ_KERNEL_HANDLE 0x00000200L
#endif

#include "OmxStandinDiag.h"

struct StandinState;

/* The start of either device's extension: which device it is, and the state both reach. */
typedef struct DeviceHeader {
    struct StandinState* State;
    ULONG Diagnostics; /* 1 on the diagnostics device */
} DeviceHeader;

typedef struct StandinState {
    DeviceHeader Header; /* the controller's device's extension is the state itself */
    KSPIN_LOCK Lock;
    PFILE_OBJECT Holder; /* the one open handle's file object; NULL when the device is free */
    UCHAR Params[OMX_PARAM_BLOCK_SIZE]; /* the block the next start would cipher with */
    ULONG HasParams;
    OmxStandinJournal Journal;
} StandinState;

DRIVER_INITIALIZE DriverEntry;

static void ResetJournal(OmxStandinJournal* journal, const OmxStandinFaults* faults) {
    /* Kept across a reset: the load stamp and the running state. */
    ULONG stampLow = journal->LoadStampLow;
    ULONG stampHigh = journal->LoadStampHigh;
    ULONG running = journal->Running;
    RtlZeroMemory(journal, sizeof(*journal));
    journal->Magic = OMX_JOURNAL_MAGIC;
    journal->Version = OMX_JOURNAL_VERSION;
    journal->Size = sizeof(*journal);
    journal->LoadStampLow = stampLow;
    journal->LoadStampHigh = stampHigh;
    journal->Running = running;
    if (faults != NULL) {
        journal->Faults = *faults;
    }
}

static void Record(OmxStandinJournal* journal, ULONG code, ULONG inLength, ULONG outLength,
                   NTSTATUS status) {
    journal->Requests++;
    if (!NT_SUCCESS(status)) {
        journal->Refused++;
    }
    if (journal->EntryCount >= OMX_JOURNAL_CAPACITY) {
        journal->Lost++;
        return;
    }
    OmxJournalEntry* entry = &journal->Entries[journal->EntryCount++];
    entry->Code = code;
    entry->InputLength = inLength;
    entry->OutputLength = outLength;
    entry->Status = status;
    entry->RunningAfter = journal->Running;
}

/* One of the controller's requests (or an unknown code); the lock is held. */
static NTSTATUS HandleRequest(StandinState* state, ULONG code, PVOID buffer, ULONG inLength,
                              ULONG outLength, ULONG_PTR* information) {
    OmxStandinJournal* journal = &state->Journal;
    if (code == journal->Faults.RefuseCode &&
        (code == OMX_IOCTL_DRIVE_MASK || code == OMX_IOCTL_STOP || code == OMX_IOCTL_START ||
         code == OMX_IOCTL_SET_PARAMS)) {
        return STATUS_UNSUCCESSFUL;
    }
    switch (code) {
    case OMX_IOCTL_DRIVE_MASK: {
        if (buffer == NULL || inLength < OMX_DRIVE_MASK_SIZE) {
            return STATUS_INVALID_PARAMETER;
        }
        if (outLength < OMX_DRIVE_MASK_SIZE) {
            return STATUS_BUFFER_TOO_SMALL;
        }
        /* Input and output share the system buffer: echoing is leaving the bytes in place. */
        ULONG mask;
        RtlCopyMemory(&mask, buffer, sizeof(mask));
        ULONG answer = journal->Faults.OverrideMask ? journal->Faults.MaskValue : mask;
        RtlCopyMemory(buffer, &answer, sizeof(answer));
        journal->LastMaskIn = mask;
        journal->LastMaskOut = answer;
        journal->MaskRequests++;
        *information = OMX_DRIVE_MASK_SIZE;
        return STATUS_SUCCESS;
    }
    case OMX_IOCTL_SET_PARAMS:
        if (buffer == NULL || inLength != OMX_PARAM_BLOCK_SIZE) {
            return STATUS_INFO_LENGTH_MISMATCH;
        }
        RtlCopyMemory(state->Params, buffer, OMX_PARAM_BLOCK_SIZE);
        state->HasParams = 1;
#ifdef OMX_STANDIN_DIAGNOSTICS
        RtlCopyMemory(journal->LastBlock, buffer, OMX_PARAM_BLOCK_SIZE);
        journal->HasBlock = 1;
#endif
        journal->BlocksAccepted++;
        return STATUS_SUCCESS;
    case OMX_IOCTL_START:
        if (!state->HasParams) {
            return STATUS_DEVICE_NOT_READY;
        }
        journal->Running = 1;
        journal->Starts++;
        return STATUS_SUCCESS;
    case OMX_IOCTL_STOP:
        journal->Running = 0;
        journal->Stops++;
        return STATUS_SUCCESS;
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

/* The file object a request came through: the stack location's, or where a host sets only the
 * IRP's own (Wine), that one. */
static PFILE_OBJECT FileOf(PIRP irp, PIO_STACK_LOCATION stack) {
    return stack->FileObject != NULL ? stack->FileObject : irp->Tail.Overlay.OriginalFileObject;
}

static NTSTATUS CompleteIrp(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    const DeviceHeader* header = (const DeviceHeader*)device->DeviceExtension;
    StandinState* state = header->State;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    PVOID buffer = irp->AssociatedIrp.SystemBuffer;
    ULONG_PTR information = 0;
    NTSTATUS status;
    KIRQL irql;

    KeAcquireSpinLock(&state->Lock, &irql);
    if (header->Diagnostics) {
        status = STATUS_INVALID_DEVICE_REQUEST;
#ifdef OMX_STANDIN_DIAGNOSTICS
        if (code == OMX_DIAG_READ_JOURNAL) {
            if (buffer == NULL || outLength < sizeof(OmxStandinJournal)) {
                status = STATUS_BUFFER_TOO_SMALL;
            } else {
                RtlCopyMemory(buffer, &state->Journal, sizeof(OmxStandinJournal));
                information = sizeof(OmxStandinJournal);
                status = STATUS_SUCCESS;
            }
        } else if (code == OMX_DIAG_RESET) {
            if (buffer == NULL || inLength != sizeof(OmxStandinFaults)) {
                status = STATUS_INFO_LENGTH_MISMATCH;
            } else {
                OmxStandinFaults faults;
                RtlCopyMemory(&faults, buffer, sizeof(faults));
                ResetJournal(&state->Journal, &faults);
                status = STATUS_SUCCESS;
            }
        }
#endif
    } else if (state->Holder == NULL || FileOf(irp, stack) != state->Holder) {
        /* A handle the device was not given (a host may let a refused open through). */
        status = STATUS_SHARING_VIOLATION;
        Record(&state->Journal, code, inLength, outLength, status);
    } else {
        status = HandleRequest(state, code, buffer, inLength, outLength, &information);
        if (!NT_SUCCESS(status)) {
            information = 0;
        }
        Record(&state->Journal, code, inLength, outLength, status);
    }
    KeReleaseSpinLock(&state->Lock, irql);
    return CompleteIrp(irp, status, information);
}

/* The controller's device is exclusive: the handle that holds it is known by its file object,
 * so that a refused open (which gets no close) never frees it, and only the holder's close does.
 * Requests through any other handle are refused as well (DispatchControl). */
static NTSTATUS NTAPI DispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
    const DeviceHeader* header = (const DeviceHeader*)device->DeviceExtension;
    if (header->Diagnostics) {
        return CompleteIrp(irp, STATUS_SUCCESS, 0);
    }
    StandinState* state = header->State;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;
    KeAcquireSpinLock(&state->Lock, &irql);
    if (stack->MajorFunction == IRP_MJ_CREATE) {
        state->Journal.Opens++;
        if (state->Holder != NULL || FileOf(irp, stack) == NULL) {
            status = STATUS_SHARING_VIOLATION;
        } else {
            state->Holder = FileOf(irp, stack);
        }
    } else if (stack->MajorFunction == IRP_MJ_CLOSE) {
        state->Journal.Closes++;
        if (FileOf(irp, stack) == state->Holder) {
            state->Holder = NULL;
        }
    }
    KeReleaseSpinLock(&state->Lock, irql);
    return CompleteIrp(irp, status, 0);
}

/* A SID with one or two sub-authorities of the NT authority (S-1-5-...), laid out as a SID. */
typedef struct NtSid {
    UCHAR Revision;
    UCHAR SubAuthorityCount;
    UCHAR Authority[6];
    ULONG SubAuthority[2];
} NtSid;

static const NtSid kLocalSystem = {1, 1, {0, 0, 0, 0, 0, 5}, {18, 0}};      /* S-1-5-18 */
static const NtSid kAdministrators = {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}}; /* S-1-5-32-544 */
static const NtSid kInteractive = {1, 1, {0, 0, 0, 0, 0, 5}, {4, 0}};       /* S-1-5-4 */

/* Sets the device's access list, through a kernel handle opened for WRITE_DAC: the controller's
 * device "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GRGW;;;IU)" (interactive users may open it to read and
 * write, that is send requests, never change its access list or owner); the diagnostics device
 * only the first two entries. Any failure fails the driver's load: an open device is never left
 * with the default access list. */
static NTSTATUS RestrictDeviceAccess(PDEVICE_OBJECT device, ULONG entries) {
    ULONG acl[64]; /* room for the ACL header (8 bytes) and three ACEs of at most 24 bytes */
    SECURITY_DESCRIPTOR sd;
    const NtSid* sids[] = {&kLocalSystem, &kAdministrators, &kInteractive};
    const ACCESS_MASK rights[] = {GENERIC_ALL, GENERIC_ALL, GENERIC_READ | GENERIC_WRITE};
    NTSTATUS status = RtlCreateAcl((PACL)acl, sizeof(acl), ACL_REVISION);
    for (ULONG i = 0; NT_SUCCESS(status) && i < entries && i < sizeof(sids) / sizeof(sids[0]);
         i++) {
        status = RtlAddAccessAllowedAce((PACL)acl, ACL_REVISION, rights[i], (PSID)sids[i]);
    }
    if (NT_SUCCESS(status)) {
        status = RtlCreateSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    }
    if (NT_SUCCESS(status)) {
        status = RtlSetDaclSecurityDescriptor(&sd, TRUE, (PACL)acl, FALSE);
    }
    if (NT_SUCCESS(status)) {
        sd.Control |= SE_DACL_PROTECTED;
        HANDLE handle = NULL;
        status = ObOpenObjectByPointer(device, OBJ_KERNEL_HANDLE, NULL, WRITE_DAC, NULL, KernelMode,
                                       &handle);
        if (NT_SUCCESS(status)) {
            status = ZwSetSecurityObject(handle, DACL_SECURITY_INFORMATION, &sd);
            ZwClose(handle);
        }
    }
    return status;
}

static void NTAPI DriverUnload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, OMX_DOS_DEVICE_NAME_W);
    IoDeleteSymbolicLink(&link);
#ifdef OMX_STANDIN_DIAGNOSTICS
    RtlInitUnicodeString(&link, OMX_DIAG_DOS_DEVICE_NAME_W);
    IoDeleteSymbolicLink(&link);
#endif
    while (driver->DeviceObject != NULL) {
        IoDeleteDevice(driver->DeviceObject);
    }
}

/* A device of this driver with its access list and its link; NULL when any step failed (and
 * nothing of it is left). */
static PDEVICE_OBJECT CreateLinkedDevice(PDRIVER_OBJECT driver, PCWSTR deviceName, PCWSTR linkName,
                                         ULONG extensionSize, ULONG entries, NTSTATUS* status) {
    UNICODE_STRING name;
    UNICODE_STRING link;
    PDEVICE_OBJECT device = NULL;
    RtlInitUnicodeString(&name, deviceName);
    *status = IoCreateDevice(driver, extensionSize, &name, 0x8300, FILE_DEVICE_SECURE_OPEN, FALSE,
                             &device);
    if (!NT_SUCCESS(*status)) {
        return NULL;
    }
    RtlZeroMemory(device->DeviceExtension, extensionSize);
    *status = RestrictDeviceAccess(device, entries);
    if (NT_SUCCESS(*status)) {
        RtlInitUnicodeString(&link, linkName);
        *status = IoCreateSymbolicLink(&link, &name);
    }
    if (!NT_SUCCESS(*status)) {
        IoDeleteDevice(device);
        return NULL;
    }
    device->Flags |= DO_BUFFERED_IO;
    return device;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    NTSTATUS status;
    (void)registryPath;

    PDEVICE_OBJECT device = CreateLinkedDevice(driver, OMX_DEVICE_NAME_W, OMX_DOS_DEVICE_NAME_W,
                                               sizeof(StandinState), 3, &status);
    if (device == NULL) {
        return status;
    }
    StandinState* state = (StandinState*)device->DeviceExtension;
    state->Header.State = state;
    KeInitializeSpinLock(&state->Lock);
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    state->Journal.LoadStampLow = now.LowPart;
    state->Journal.LoadStampHigh = (ULONG)now.HighPart;
    ResetJournal(&state->Journal, NULL);

#ifdef OMX_STANDIN_DIAGNOSTICS
    PDEVICE_OBJECT diagnostics =
        CreateLinkedDevice(driver, OMX_DIAG_DEVICE_NAME_W, OMX_DIAG_DOS_DEVICE_NAME_W,
                           sizeof(DeviceHeader), 2, &status);
    if (diagnostics == NULL) {
        UNICODE_STRING link;
        RtlInitUnicodeString(&link, OMX_DOS_DEVICE_NAME_W);
        IoDeleteSymbolicLink(&link);
        IoDeleteDevice(device);
        return status;
    }
    DeviceHeader* header = (DeviceHeader*)diagnostics->DeviceExtension;
    header->State = state;
    header->Diagnostics = 1;
    diagnostics->Flags &= ~DO_DEVICE_INITIALIZING;
#endif

    driver->MajorFunction[IRP_MJ_CREATE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = DriverUnload;

    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
